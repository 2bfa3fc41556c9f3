#pragma once
// The instruction page editor, "Instruction Pages": the experimenter writes, orders,
// previews and saves the pages of an instruction file. The page commands are the
// shared PagedDocument's; the dialog copies between the page text box and the
// current page ("show page" / "store page") and runs the File menu.

#include <QString>

#include <optional>

#include "common/ui/page_editor_dialog.h"
#include "common/paged_document.h"
#include "instructions/instruction_pages.h"

class PageTextEditor;

// The editor's files, instruction files (".bgi"): the file dialog and the path chooser
// (setPathChooser) are the shell's.
extern const EditorFileKind instructionFiles;

using InstructionPagesEdited = PagedDocument<PageText, maxInstructionPages>;

class InstructionEditorDialog : public PageEditorDialog<InstructionPagesEdited> {
    Q_OBJECT
public:
    enum ControlId {
        FileNameId = 1,
        PageNumberId,
        PageTotalId,
        PageTextId,
        FlipBackId,
        FlipForwardId,
        MoveFrontId,
        MoveBackId,
        AddPageId,
        RemovePageId,
        SaveId,
        ExitId,
        PreviewId,
        TextCommandsId,
        TextCommandsHelpId,
        MessageId,
    };

    explicit InstructionEditorDialog(QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();

    // The document and the page shown, for the tests.
    const InstructionPages& document() const { return document_; }
    int currentPage() const { return pages_.current(); }

    void preview() override;

protected:
    InstructionPagesEdited& pages() override { return pages_; }
    const InstructionPagesEdited& pages() const override { return pages_; }
    void storeDocument() override;
    void showDocument() override;
    void clearDocument() override;
    OpenOutcome openFile(const std::string& path) override;
    std::string documentPath() const override { return document_.fileName; }
    WriteOutcome writeFile(const std::string& path) override;

private:
    InstructionPages document_;
    InstructionPagesEdited pages_{document_.pageTexts, document_.pageCount};
    PageTextEditor* text_ = nullptr;  // owned by the page text box
};

// The main menu's "Add/Edit Instructions": the editor over parent until it is closed.
void editInstructionsFromMenu(QWidget* parent);
