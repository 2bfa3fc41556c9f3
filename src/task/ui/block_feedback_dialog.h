#pragma once
// After a block: the time it took and the percent of items categorized correctly.
// Closes on OK, Enter or Escape.

#include <string_view>

#include "common/ui/template_dialog.h"

class BlockFeedbackDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId {
        OkId = 1,
        FrameId = 2,
        TimeCaptionId = 3,
        SecondsId = 4,
        PercentCaptionId = 5,
        PercentSignId = 6,
        TimeId = 1079,
        PercentId = 1059,
    };

    explicit BlockFeedbackDialog(QWidget* parent = nullptr);

    // The texts of blockTimeText and percentText.
    void setTexts(std::string_view timeText, std::string_view percentText);

    // Shows the texts modally until the dialog is closed.
    static void showTexts(std::string_view timeText, std::string_view percentText, QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();
};
