#include "instructions/ui/instruction_page_dialog.h"

#include <QPushButton>

#include "instructions/instruction_pages.h"

const DialogTemplate& InstructionPageDialog::dialogTemplate()
{
    static const DialogTemplate t{
        "",
        230,
        143,
        8,
        {
            {ControlKind::Static, TextId, "", {7, 4, 216, 108}},
            // One line: wrapped, its second line would fall below the dialog's edge.
            // Single-line, it widens to the right, short of the OK button.
            {ControlKind::Static, PromptId, "Click on OK or press \"enter\" to continue.", {20, 127, 125, 8}, NoWrap},
            {ControlKind::DefaultButton, OkId, "OK", {164, 118, 51, 17}},
        }};
    return t;
}

InstructionPageDialog::InstructionPageDialog(QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    connect(control<QPushButton>(OkId), &QPushButton::clicked, this, &QDialog::accept);
    control(OkId)->setFocus();
}

void InstructionPageDialog::setText(std::string_view pageText)
{
    setControlText(TextId, fromSingleByte(pageDisplayText(pageText)));
}

void InstructionPageDialog::showText(std::string_view pageText, QWidget* parent)
{
    InstructionPageDialog dialog(parent);
    dialog.setText(pageText);
    dialog.exec();
}
