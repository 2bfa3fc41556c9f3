#pragma once
// What the three editors (stimulus lists, instruction pages, questionnaires) share:
// the "File" menu above the dialog's own controls (New, Open, Save, Save As, Exit),
// the file dialogs and where the paths come from, open and save with their error and
// problem messages, the changed flag and the questions it decides before New, Open,
// Exit, Escape and the close box, the checks before Exit, and Enter as Exit. An
// editor says how its document is stored, shown, read and written; the order of the
// steps is the shell's.

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/unsaved_work.h"
#include "common/ui/template_dialog.h"

class QAction;
class QMenuBar;

enum class EditorFileChoice { Open, Save };

// Chooses the path an editor opens or saves: the file dialog in the program, a
// test's answer in tests. proposed is the name the dialog starts from.
using EditorPathChooser =
    std::function<std::optional<QString>(QWidget* parent, EditorFileChoice choice, const QString& proposed)>;

// The kind of file an editor works on, and the texts of its messages.
struct EditorFileKind {
    const char* caption;       // the editor's title, on its message boxes
    const char* filterName;    // the file dialog's filter, "Word lists"
    const char* extension;     // without its dot, "wls"
    bool proposesPattern;      // Open and Save As start from "*.<extension>" (else from nothing)
    const char* openFailed;    // the file could not be read: the screen is as it was
    const char* openProblems;  // the file was read, but with problems (listed after it)
    const char* saveFailed;    // nothing was written
};

// The file dialog for kind: Qt's own, starting in the folder of currentFile (the
// editor's file, empty for none) or where the last file was chosen, else at home,
// adding the extension to a name typed without one.
std::optional<QString> askEditorPath(QWidget* parent, const EditorFileKind& kind, EditorFileChoice choice,
                                     const QString& proposed, const QString& currentFile = {});

// A path or a system reason as the file system gives it (UTF-8 here), or a problem
// that quotes a file's single-byte text.
QString fromPathOrSingleByte(const std::string& bytes);

class EditorShellDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum class Command { New, Open, Save, SaveAs, Exit };

    // The controls of dialogTemplate stand below the menu bar, which the dialog grows by.
    // Text typed into an edit box and a click on a check or radio button count as edits.
    EditorShellDialog(const DialogTemplate& dialogTemplate, const EditorFileKind& kind, QWidget* parent);

    QMenuBar* menuBar() const { return menuBar_; }
    int menuHeight() const { return menuHeight_; }
    QAction* action(Command command) const { return actions_[static_cast<int>(command)]; }
    // Where this editor's paths come from: askEditorPath unless another chooser is
    // set; an empty one restores the file dialog.
    void setPathChooser(EditorPathChooser chooser) { pathChooser_ = std::move(chooser); }

    void newDocument();
    void openDocument();
    void save();
    void saveAs();
    void exitEditor();
    // Escape and the close box: at once, or after the question about unsaved changes.
    void reject() override;

    // Whether something was edited since the last New, Open or successful save.
    bool hasUnsavedChanges() const { return changed_; }

protected:
    // Whether no New or Open has gone through since the editor opened.
    virtual bool firstNewOrOpen() const = 0;
    // What every New and Open after the first asks before replacing the screen.
    virtual QString overwriteQuestion() const = 0;
    // The widgets into the document, and the document into the widgets.
    virtual void storeDocument() = 0;
    virtual void showDocument() = 0;
    virtual void clearDocument() = 0;
    struct OpenOutcome {
        bool opened = false;
        std::string error;
        std::vector<std::string> problems;
    };
    // Reads path into the document; one that cannot be read leaves the document as it was.
    virtual OpenOutcome openFile(const std::string& path) = 0;
    // The file the document was read from or saved to ("" for none).
    virtual std::string documentPath() const = 0;
    // Whether the stored document may be saved (an editor with checks says why not).
    virtual bool readyToSave() { return true; }
    // Writes the document; on success path becomes the document's file.
    virtual WriteOutcome writeFile(const std::string& path) = 0;
    // After New and after Open, whatever came of it.
    virtual void newOrOpenDone() {}
    // After Save and Save As, whatever came of them, before the document is shown.
    virtual void saveDone() {}
    // Whether Exit asks about unsaved changes with nothing changed, too; then whether
    // the editor may close.
    virtual bool exitAlwaysAsks() const { return false; }
    virtual bool mayExit() { return true; }

    // An edit the shell does not see in the widgets (a page added, choices changed).
    void markEdited() { changed_ = true; }

    // A warning message box with the editor's caption.
    void warn(const QString& text);
    // Shows path in the Static control id, its end (the file's name) when it is too long.
    void showPath(int id, const std::string& path);

    // Enter, or the keypad's Enter, without Ctrl is Exit; Escape is reject().
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::optional<QString> choosePath(EditorFileChoice choice, const QString& proposed);
    void saveWith(const QString& proposed);
    // Asks what the step must ask first; whether it goes on.
    bool mayGoOn(EditorStep step);
    QString pattern() const;

    const EditorFileKind& kind_;
    EditorPathChooser pathChooser_;
    QMenuBar* menuBar_ = nullptr;
    int menuHeight_ = 0;
    QAction* actions_[5] = {};
    bool changed_ = false;
};
