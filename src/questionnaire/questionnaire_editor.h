#pragma once
// The questionnaire editor, "TRUV Idiosyncratic Items Questionnaire": the two
// category labels and, page by page, a page's category, type, text and the fields
// of its type, with the page commands, previews through the participant's own
// dialogs, and the File menu. The rules live in QuestionnaireEditing; this dialog
// copies between its widgets and a QuestionnaireForm.

#include <QString>

#include <functional>
#include <optional>

#include "common/template_dialog.h"
#include "questionnaire/questionnaire_editing.h"

class QMenuBar;
class QPlainTextEdit;

enum class QuestionnaireFileAction { Open, Save };

// The open- and save-file dialogs: Qt's own, starting in the home directory, for
// ".qls" files. proposed is the file name to start from (empty for none). The
// chosen path, or nothing when cancelled.
std::optional<QString> askQuestionnairePath(QWidget* parent, QuestionnaireFileAction action, const QString& proposed);

// Where the editor gets its paths: askQuestionnairePath, unless a source has been
// set (tests answer without a dialog). An empty source restores the dialogs.
using QuestionnairePathSource =
    std::function<std::optional<QString>(QWidget* parent, QuestionnaireFileAction action, const QString& proposed)>;
void setQuestionnairePathSource(QuestionnairePathSource source);

class QuestionnaireEditorDialog : public TemplateDialog {
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
    };

    explicit QuestionnaireEditorDialog(QWidget* parent = nullptr);
    static const DialogTemplate& layout();

    // The menu bar stands above the table's controls, which move down by its height.
    QMenuBar* menuBar() const { return menuBar_; }
    int menuBarHeight() const;

    const QuestionnaireEditing& editing() const { return editing_; }
    // What the widgets show now.
    QuestionnaireForm form() const;

    // The commands, as the menu and the buttons call them.
    void newDocument();
    void openDocument();
    void save();
    void saveAs();
    void flipBack();
    void flipForward();
    void moveTowardsFront();
    void moveTowardsBack();
    void addPage();
    void removePage();
    void editChoices();
    void preview();
    void exitEditor();

protected:
    // Enter anywhere is "EXIT"; Escape and the close box close at once.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPage();
    void storePage();
    void showForm(const QuestionnaireForm& form);
    bool askOverwrite();
    void saveWithName(const QString& proposed);
    void keepPageTextClean();
    void tell(const QString& message);

    QuestionnaireEditing editing_;
    QMenuBar* menuBar_ = nullptr;
    QPlainTextEdit* pageText_ = nullptr;
    QString acceptedPageText_;
    int changePosition_ = 0;
    bool settingPageText_ = false;
};

// The main menu's handler for "Add/Edit QAV Items Questionnaire".
void editQuestionnaireFromMenu(QWidget* parent);
