#pragma once
// What the three editors (stimulus lists, instruction pages, questionnaires) share:
// the "File" menu above the dialog's own controls (New, Open, Save, Save As, Exit),
// the file dialogs and where the paths come from, open and save with their error and
// problem messages, the question before New or Open replaces the screen, the
// question or checks before Exit, and Enter as Exit. An editor says how its document
// is stored, shown, read and written; the order of the steps is the shell's.

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/file_io.h"
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

// The file dialog for kind: Qt's own, starting in the home directory, adding the
// extension to a name typed without one.
std::optional<QString> askEditorPath(QWidget* parent, const EditorFileKind& kind, EditorFileChoice choice,
                                     const QString& proposed);

// A path or a system reason as the file system gives it (UTF-8 here), or a problem
// that quotes a file's single-byte text.
QString fromPathOrSingleByte(const std::string& bytes);

class EditorShellDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum class Command { New, Open, Save, SaveAs, Exit };

    // The controls of dialogTemplate stand below the menu bar, which the dialog grows by.
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

protected:
    // The question New and Open ask before replacing the screen, when they must.
    virtual std::optional<QString> replaceQuestion() const = 0;
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
    // The question Exit asks first, if any; then whether the editor may close.
    virtual std::optional<QString> exitQuestion() const { return std::nullopt; }
    virtual bool mayExit() { return true; }

    // A warning message box with the editor's caption.
    void warn(const QString& text);
    // Shows path in the Static control id, its end (the file's name) when it is too long.
    void showPath(int id, const std::string& path);

    // Enter, or the keypad's Enter, without Ctrl is Exit; Escape closes at once.
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::optional<QString> choosePath(EditorFileChoice choice, const QString& proposed);
    void saveWith(const QString& proposed);
    bool mayReplace();
    QString pattern() const;

    const EditorFileKind& kind_;
    EditorPathChooser pathChooser_;
    QMenuBar* menuBar_ = nullptr;
    int menuHeight_ = 0;
    QAction* actions_[5] = {};
};
