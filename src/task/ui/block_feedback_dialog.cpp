#include "task/ui/block_feedback_dialog.h"

#include <QPushButton>

const DialogTemplate& BlockFeedbackDialog::dialogTemplate()
{
    static const DialogTemplate t{
        "",
        228,
        139,
        14,
        {
            {ControlKind::GroupBox, FrameId, "", {7, 4, 214, 128}},
            {ControlKind::Static, TimeCaptionId, "The total time to complete the entire block was:", {14, 19, 118, 15}},
            {ControlKind::Static, TimeId, "", {148, 27, 22, 8}, AlignRight},
            {ControlKind::Static, SecondsId, "seconds", {173, 27, 39, 8}},
            {ControlKind::Static,
             PercentCaptionId,
             "The percent of items you categorized correctly was:",
             {15, 53, 114, 16}},
            {ControlKind::Static, PercentId, "", {149, 62, 18, 8}, AlignRight},
            {ControlKind::Static, PercentSignId, "%", {171, 62, 8, 8}},
            {ControlKind::DefaultButton, OkId, "OK", {171, 112, 50, 20}},
        }};
    return t;
}

BlockFeedbackDialog::BlockFeedbackDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &QDialog::accept);
    control(OkId)->setFocus();
}

void BlockFeedbackDialog::setTexts(std::string_view timeText, std::string_view percentText)
{
    setControlText(TimeId, fromSingleByte(timeText));
    setControlText(PercentId, fromSingleByte(percentText));
}

void BlockFeedbackDialog::showTexts(std::string_view timeText, std::string_view percentText, QWidget* parent)
{
    BlockFeedbackDialog dialog(parent);
    dialog.setTexts(timeText, percentText);
    dialog.exec();
}
