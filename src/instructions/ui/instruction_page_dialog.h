#pragma once
// The dialog that shows one page of text with "OK": the instruction file's pages,
// the run's own messages and the editors' previews. OK, Enter, Escape and the close
// box all close it; callers do not ask which.

#include <string_view>

#include "common/ui/template_dialog.h"

class InstructionPageDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId { TextId = 1, PromptId, OkId };

    explicit InstructionPageDialog(QWidget* parent = nullptr);

    // Shows a single-byte page text; CR LF, CR and LF are line breaks.
    void setText(std::string_view pageText);

    // Shows the text modally until it is closed.
    static void showText(std::string_view pageText, QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();
};
