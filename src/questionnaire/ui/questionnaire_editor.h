#pragma once
// The questionnaire editor, "TRUV Idiosyncratic Items Questionnaire": the two
// category labels and, page by page, a page's category, type, text and the fields
// of its type, with the page commands, previews through the participant's own
// dialogs, and the File menu. The rules live in QuestionnaireEditing; this dialog
// copies between its widgets and a QuestionnaireForm.

#include <QString>

#include <optional>

#include "common/ui/page_editor_dialog.h"
#include "questionnaire/questionnaire_editing.h"

class PageTextEditor;

// The editor's files, questionnaire files (".qls"): the file dialog and the path chooser
// (setPathChooser) are the shell's.
extern const EditorFileKind questionnaireFiles;

class QuestionnaireEditorDialog : public PageEditorDialog<QuestionnairePages> {
    Q_OBJECT
public:
    enum ControlId {
        FileNameId = 1,
        PageNumberId,
        PageTotalId,
        CategoryFrameId,
        Category1ButtonId,
        Category1LabelId,
        Category2ButtonId,
        Category2LabelId,
        PageTextTitleId,
        PageTextId,
        TypeFrameId,
        InstructionTypeId,
        TextTypeId,
        RadioTypeId,
        RadioItem1TitleId,
        RadioItem1Id,
        RadioItem2TitleId,
        RadioItem2Id,
        ListTypeId,
        EditChoicesId,
        ExperimenterTypeId,
        ExperimenterItemId,
        FlipBackId,
        FlipForwardId,
        MoveFrontId,
        MoveBackId,
        AddPageId,
        RemovePageId,
        SaveId,
        ExitId,
        PreviewId,
        TextCommandsFrameId,
        TextCommandsId,
        MessageId,
    };

    explicit QuestionnaireEditorDialog(QWidget* parent = nullptr);
    static const DialogTemplate& dialogTemplate();

    const QuestionnaireEditing& editing() const { return editing_; }
    // What the widgets show now.
    QuestionnaireForm form() const;

    void editChoices();
    void preview() override;

protected:
    QuestionnairePages& pages() override { return editing_.pages(); }
    const QuestionnairePages& pages() const override { return editing_.pages(); }
    void storeDocument() override { editing_.store(form()); }
    // A page without category 1 or 2 (a new document's blank page, too) leaves the
    // category buttons as they were.
    void showDocument() override { showForm(editing_.show(form())); }
    void clearDocument() override { editing_.clear(); }
    OpenOutcome openFile(const std::string& path) override;
    std::string documentPath() const override { return editing_.document().fileName; }
    // The advisory item count warning first: the file is written whichever button is pressed.
    WriteOutcome writeFile(const std::string& path) override;

private:
    void showForm(const QuestionnaireForm& form);

    QuestionnaireEditing editing_;
    PageTextEditor* pageText_ = nullptr;  // owned by the page text box
};

// The main menu's handler for "Add/Edit QAV Items Questionnaire".
void editQuestionnaireFromMenu(QWidget* parent);
