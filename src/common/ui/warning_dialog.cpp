#include "common/ui/warning_dialog.h"

#include <QPushButton>

const DialogTemplate& WarningDialog::dialogTemplate()
{
    static const DialogTemplate t{"",
                                  164,
                                  81,
                                  8,
                                  {
                                      {ControlKind::GroupBox, FrameId, "WARNING", {4, 1, 156, 61}},
                                      {ControlKind::Static, MessageId, "", {11, 12, 143, 47}},
                                      {ControlKind::PushButton, CancelId, "Cancel", {20, 65, 50, 12}},
                                      {ControlKind::DefaultButton, ContinueId, "CONTINUE", {86, 65, 50, 12}},
                                  }};
    return t;
}

WarningDialog::WarningDialog(const QString& message, QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    setControlText(MessageId, message);
    connect(control<QPushButton>(CancelId), &QPushButton::clicked, this, [this] { done(Cancel); });
    connect(control<QPushButton>(ContinueId), &QPushButton::clicked, this, [this] { done(Continue); });
    control(ContinueId)->setFocus();
}

WarningDialog::Choice WarningDialog::ask(const QString& message, QWidget* parent)
{
    WarningDialog dialog(message, parent);
    return dialog.exec() == Continue ? Continue : Cancel;
}
