#pragma once
// The stimulus list editor, "Stimulus Lists": one category pair on screen, a "File"
// menu with New, Open, Save, Save As and Exit, and no push buttons. Enter is Exit;
// Escape and the close box leave without the field checks. The rules live in
// StimulusListDocument; this dialog copies between its boxes and the document.

#include <QString>

#include <functional>
#include <optional>

#include "common/template_dialog.h"
#include "files/stimulus_lists.h"

class QAction;
class QLineEdit;
class QMenuBar;

// The file dialogs of the editor: Qt's own (not the desktop's), starting in the home
// directory, with the extension "wls" added to a name typed without one. proposed is
// the text of the file name box.
enum class ListFileChoice { Open, Save };
std::optional<QString> askStimulusListPath(QWidget* parent, ListFileChoice choice, const QString& proposed);

// Where the editor gets its paths: askStimulusListPath, unless a source has been set
// (tests answer without a dialog). An empty source restores the dialogs.
using StimulusListPathSource =
    std::function<std::optional<QString>(QWidget* parent, ListFileChoice choice, const QString& proposed)>;
void setStimulusListPathSource(StimulusListPathSource source);

class StimulusListEditor : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId {
        MessageId = 1,
        FrameAId,
        FrameBId,
        LabelCaptionAId,
        LabelCaptionBId,
        CountCaptionAId,
        CountCaptionBId,
        // Boxes: category A from 100, B from 200; the label, "# of items", then item
        // box k at base + 10 + k.
        LabelAId = 100,
        CountAId = 101,
        LabelBId = 200,
        CountBId = 201,
    };
    static int boxId(const BoxRef& box);

    enum class Command { New, Open, Save, SaveAs, Exit };

    explicit StimulusListEditor(QWidget* parent = nullptr);

    static const DialogTemplate& layout();

    QLineEdit* box(const BoxRef& ref) const;
    QAction* action(Command command) const;
    QMenuBar* menuBar() const { return menuBar_; }
    // The height the menu bar adds above the table's controls.
    int menuHeight() const { return menuHeight_; }

    const StimulusListDocument& document() const { return document_; }

    void newList();
    void openList();
    void save();
    void saveAs();
    // Closes after the field checks of the boxes.
    void exitEditor();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void save(ListFileChoice choice, const QString& proposed);
    bool confirmReplace();
    void storeBoxes();
    void showDocument();

    StimulusListDocument document_;
    QMenuBar* menuBar_ = nullptr;
    int menuHeight_ = 0;
    QAction* actions_[5] = {};
};

// The main menu's "Add/Edit Stimulus Lists".
void editStimulusListsFromMenu(QWidget* parent);
