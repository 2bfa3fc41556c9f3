#include "task/ui/report_dialog.h"

#include <QPushButton>

#include "task/score_table.h"

const DialogTemplate& ReportDialog::dialogTemplate()
{
    // The two columns do not wrap: line k of the left column stands beside line k of
    // the right one, both in the dialog font from the same top.
    static const DialogTemplate t{
        "TRUV Report",
        393,
        247,
        8,
        {
            {ControlKind::DefaultButton, OkId, "OK", {325, 12, 50, 20}},
            {ControlKind::Static, SubjectCaptionId, "Subject:", {7, 7, 29, 8}},
            {ControlKind::Static, SubjectId, "", {37, 7, 28, 8}},
            {ControlKind::GroupBox, HeadingFrameId, "", {9, 20, 283, 31}},
            {ControlKind::Static, QavId, "QAV", {13, 31, 14, 8}},
            {ControlKind::Static, TaskNameId, "Category Judgment Task", {36, 31, 108, 10}},
            {ControlKind::Static, MeanLatencyId, "Mean Latency", {189, 30, 35, 17}, AlignCenter},
            {ControlKind::Static, ErrorRateId, "Error Rate", {227, 30, 20, 17}, AlignCenter},
            {ControlKind::Static, NId, "N", {260, 33, 8, 8}},
            {ControlKind::GroupBox, ColumnsFrameId, "", {7, 58, 286, 182}},
            {ControlKind::Static, LeftColumnId, "", {13, 68, 178, 166}, NoWrap},
            {ControlKind::Static, RightColumnId, "", {201, 68, 86, 166}, NoWrap},
            {ControlKind::Static,
             NoteId,
             "Note: Latencies greater than 3000 ms were recoded as 3000 ms, and latencies less than 300 ms were "
             "recoded as 300 ms.  First two trials of each block were excluded.  ",
             {303, 118, 72, 71}},
        }};
    return t;
}

ReportDialog::ReportDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &QDialog::accept);
    control(OkId)->setFocus();
}

void ReportDialog::setReport(int subjectNumber, std::string_view leftColumn, std::string_view rightColumn)
{
    setControlText(SubjectId, QString::number(subjectNumber));
    setControlText(LeftColumnId, fromSingleByte(leftColumn));
    setControlText(RightColumnId, fromSingleByte(rightColumn));
}

void ReportDialog::showReport(int subjectNumber, const ScoreTable& scores, QWidget* parent)
{
    ReportDialog dialog(parent);
    dialog.setReport(subjectNumber, scores.leftColumnText(), scores.rightColumnText());
    dialog.exec();
}
