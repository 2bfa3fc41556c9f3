#pragma once
// Before a block: the categories it uses, left and right, and whether it is
// practice or recorded. Closes on OK, Enter or Escape.

#include "common/ui/template_dialog.h"
#include "task/between_block.h"

class NextBlockDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId {
        OkId = 1,
        IntroId = 2,
        FirstOrId = 3,
        ReminderId = 4,
        ReminderTextId = 5,
        FirstLeftId = 1047,
        FirstRightId = 1048,
        ConnectorId = 1063,
        SecondLeftId = 1043,
        LowerConnectorId = 1064,
        SecondRightId = 1044,
        StatusId = 1060,
    };

    explicit NextBlockDialog(QWidget* parent = nullptr);

    void setTexts(const NextBlockTexts& texts);

    // Shows the texts modally until the dialog is closed.
    static void showTexts(const NextBlockTexts& texts, QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();
};
