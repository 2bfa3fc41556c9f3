#pragma once
// The instruction page editor, "Instruction Pages": the experimenter writes, orders,
// previews and saves the pages of an instruction file. The page commands are the
// shared PagedDocument's; the dialog copies between the page text box and the
// current page ("show page" / "store page") and runs the File menu.

#include <QString>

#include <functional>
#include <optional>

#include "common/paged_document.h"
#include "common/template_dialog.h"
#include "instructions/instruction_pages.h"

class QMenuBar;
class QPlainTextEdit;

// Which file dialog the editor asks for.
enum class InstructionFileChoice { Open, Save };

// Shows the open-file or save-file dialog for instruction files: Qt's own dialog,
// starting in the home directory, for "*.bgi" files, adding ".bgi" to a name typed
// without an extension. proposed (a path, or empty) is selected first. Saving over
// an existing file asks first. The chosen path, or nothing when cancelled.
std::optional<QString> askInstructionPath(QWidget* parent, InstructionFileChoice choice, const QString& proposed);

// Where the editor gets its paths: askInstructionPath, unless a source has been set
// (tests answer without a dialog). An empty source restores the dialog.
using InstructionPathSource =
    std::function<std::optional<QString>(QWidget* parent, InstructionFileChoice choice, const QString& proposed)>;
void setInstructionPathSource(InstructionPathSource source);

class InstructionEditorDialog : public TemplateDialog {
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
    };

    explicit InstructionEditorDialog(QWidget* parent = nullptr);

    static const DialogTemplate& layout();

    // The menu bar above the controls, which stand at their table places below it.
    QMenuBar* menuBar() const { return menuBar_; }

    // The document and the page shown, for the tests.
    const InstructionPages& document() const { return document_; }
    int currentPage() const { return pages_.current(); }

    // The commands of the buttons and the File menu.
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
    void preview();
    // Asks whether to leave, since anything unsaved is lost; closes on CONTINUE.
    void exitEditor();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showPage();
    void storePage();
    bool mayOverwrite();
    void saveTo(const QString& proposed);
    void showBoxText(const QString& text);
    QString boxText() const;
    void keepBoxWithinPage();
    void message(const QString& text);

    InstructionPages document_;
    PagedDocument<PageText, maxInstructionPages> pages_{document_.pageTexts, document_.pageCount};
    QMenuBar* menuBar_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QString acceptedText_;  // the box text as last admitted
    bool settingText_ = false;
};

// The main menu's "Add/Edit Instructions": the editor over parent until it is closed.
void editInstructionsFromMenu(QWidget* parent);
