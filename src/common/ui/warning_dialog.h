#pragma once
// The small confirmation shown before something is overwritten or refused: a
// "WARNING" frame around the caller's message, "Cancel" and the default "CONTINUE".

#include "common/ui/template_dialog.h"

class WarningDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum Choice { Cancel = 0, Continue = 1 };
    enum ControlId { FrameId = 1, MessageId = 2, CancelId = 3, ContinueId = 4 };

    // message is UTF-8 text.
    explicit WarningDialog(const QString& message, QWidget* parent = nullptr);

    // Shows the message modally: Continue for CONTINUE or Enter; Cancel for
    // "Cancel", Escape or the close box.
    static Choice ask(const QString& message, QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();
};
