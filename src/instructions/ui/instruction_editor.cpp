#include "instructions/ui/instruction_editor.h"

#include <QLabel>
#include <QPlainTextEdit>

#include "instructions/instruction_document.h"
#include "instructions/ui/instruction_page_dialog.h"
#include "instructions/ui/page_text_editor.h"

const EditorFileKind instructionFiles{
    "Instruction Pages",
    "Instruction files",
    "bgi",
    false,
    "The instruction file could not be read; the pages on screen are unchanged.",
    "The instruction file was read with these problems:",
    "The instruction file could not be saved; nothing was written.",
};

const DialogTemplate& InstructionEditorDialog::dialogTemplate()
{
    static const DialogTemplate t{
        "Instruction Pages",
        447,
        266,
        8,
        {
            {ControlKind::Static, FileNameId, "", {15, 11, 139, 11}, NoWrap},
            {ControlKind::Static, PageNumberId, "", {371, 38, 34, 9}, NoWrap},
            {ControlKind::Static, PageTotalId, "", {373, 54, 37, 9}, NoWrap},
            {ControlKind::MultiLineEdit, PageTextId, "", {44, 33, 281, 143}, VerticalScroll},
            {ControlKind::PushButton, FlipBackId, "<--Flip back", {85, 188, 93, 21}},
            {ControlKind::PushButton, FlipForwardId, "Flip Forward-->", {192, 188, 98, 21}},
            {ControlKind::PushButton, MoveFrontId, "<--move page", {124, 217, 54, 19}},
            {ControlKind::PushButton, MoveBackId, "move page-->", {192, 217, 57, 19}},
            {ControlKind::PushButton, AddPageId, "Add Page", {124, 236, 54, 19}},
            {ControlKind::PushButton, RemovePageId, "Remove Page", {192, 236, 57, 19}},
            {ControlKind::PushButton, SaveId, "Save Changes", {378, 195, 59, 28}},
            {ControlKind::PushButton, ExitId, "EXIT", {378, 227, 59, 28}},
            {ControlKind::PushButton, PreviewId, "Preview Page", {377, 0, 60, 24}},
            {ControlKind::GroupBox, TextCommandsId, "Text commands", {357, 74, 64, 87}},
            {ControlKind::Static,
             TextCommandsHelpId,
             "copy....ctrl-c                delete...ctrl-x                paste...ctrl-v          "
             "return...ctrl-enter",
             {362, 86, 55, 70}},
            {ControlKind::Static, MessageId, "", {44, 177, 281, 9}, NoWrap},
        }};
    return t;
}

InstructionEditorDialog::InstructionEditorDialog(QWidget* parent)
    : PageEditorDialog(dialogTemplate(), instructionFiles,
                       {QStringLiteral("An instruction file holds at most %1 pages; there is no room for another one.")
                            .arg(maxInstructionPages),
                        QStringLiteral("This is the only page, and an instruction file always has one; it cannot be "
                                       "removed.")},
                       parent)
{
    text_ = new PageTextEditor(
        control<QPlainTextEdit>(PageTextId), control<QLabel>(MessageId), [this] { exitEditor(); },
        [this] { markEdited(); });

    connectPageButtons({FlipBackId, FlipForwardId, MoveFrontId, MoveBackId, AddPageId, RemovePageId, SaveId, ExitId,
                        PreviewId});

    pages_.clear();
    showDocument();
    control(PageTextId)->setFocus();
}

void InstructionEditorDialog::showDocument()
{
    showPath(FileNameId, document_.fileName);
    text_->show(pages_.currentPage().view());
    setControlText(PageNumberId, QString::fromStdString(pageNumberText(pages_.current())));
    setControlText(PageTotalId, QString::fromStdString(pageTotalText(pages_.count())));
}

void InstructionEditorDialog::storeDocument() { text_->storeInto(pages_.currentPage()); }

void InstructionEditorDialog::clearDocument()
{
    pages_.clear();
    document_.fileName.clear();
    document_.problems.clear();
}

EditorShellDialog::OpenOutcome InstructionEditorDialog::openFile(const std::string& path)
{
    OpenedInstructions opened = openInstructionFile(path);
    if (!opened.opened)
        return {false, std::move(opened.error), {}};
    document_ = std::move(opened.pages);
    pages_.showFirstPage();
    return {true, {}, document_.problems};
}

WriteOutcome InstructionEditorDialog::writeFile(const std::string& path)
{
    WriteOutcome outcome = writeInstructionFile(document_, path);
    if (outcome)
        document_.fileName = path;
    return outcome;
}


void InstructionEditorDialog::preview()
{
    storeDocument();
    InstructionPageDialog::showText(pages_.currentPage().view(), this);
    showDocument();
}

void editInstructionsFromMenu(QWidget* parent)
{
    InstructionEditorDialog editor(parent);
    editor.exec();
}
