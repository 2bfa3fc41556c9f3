#pragma once
// "Input File": the experiment-wide settings of a new input file. It stays open until
// its entries pass the checks of Continue, or the experimenter cancels.

#include <functional>

#include "common/ui/template_dialog.h"
#include "files/input_file_creation.h"

class InputFileDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId {
        InputLabelId = 1,
        InputPathId,
        InstructionLabelId,
        InstructionPathId,
        BrowseId,
        SessionsLabelId,
        SessionsId,
        TutorialId,
        EditListsId,
        MessageId,
        ContinueId,
        CancelId,
    };

    // inputPath: the full path of the input file being created.
    explicit InputFileDialog(const QString& inputPath, QWidget* parent = nullptr);
    static const DialogTemplate& dialogTemplate();

    // What Continue accepted.
    const ExperimentEntries& entries() const { return entries_; }
    QString message() const;

    // Seams for the tests: the open-file dialog of "Browse files" (an empty text when
    // cancelled) and the field check message box.
    std::function<QString()> chooseInstructionFile;
    std::function<void(const QString&)> showFieldMessage;

    // Continue: the field checks, then the instruction file check.
    void confirm();

private:
    void browse();

    ExperimentEntries entries_;
};
