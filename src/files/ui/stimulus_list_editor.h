#pragma once
// The stimulus list editor, "Stimulus Lists": one category pair on screen, a "File"
// menu with New, Open, Save, Save As and Exit, and no push buttons. Enter is Exit;
// Escape and the close box leave without the field checks. Each of them, and the
// first New or Open, asks first when something typed is unsaved. The rules live in
// StimulusListDocument; this dialog copies between its boxes and the document.

#include <QString>


#include "common/ui/editor_shell_dialog.h"
#include "files/stimulus_lists.h"

class QLineEdit;

// The editor's files, word list files (".wls"): the file dialog and the path chooser
// (setPathChooser) are the shell's.
extern const EditorFileKind stimulusListFiles;

class StimulusListEditor : public EditorShellDialog {
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

    explicit StimulusListEditor(QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();

    QLineEdit* box(const BoxRef& ref) const;

    const StimulusListDocument& document() const { return document_; }

protected:
    bool firstNewOrOpen() const override { return !document_.asksBeforeReplacing(); }
    QString overwriteQuestion() const override;
    void storeDocument() override;
    void showDocument() override;
    void clearDocument() override { document_.newList(); }
    OpenOutcome openFile(const std::string& path) override;
    std::string documentPath() const override { return document_.path(); }
    bool readyToSave() override;
    WriteOutcome writeFile(const std::string& path) override { return document_.saveTo(path); }
    void saveDone() override { document_.refresh(); }
    // Exit saves nothing and checks the boxes; it asks only when something is unsaved.
    bool mayExit() override;

private:
    StimulusListDocument document_;
};

// The main menu's "Add/Edit Stimulus Lists".
void editStimulusListsFromMenu(QWidget* parent);
