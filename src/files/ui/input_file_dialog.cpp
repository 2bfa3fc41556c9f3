#include "files/ui/input_file_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "common/text_codec.h"
#include "common/ui/editor_file_dialog.h"

const DialogTemplate& InputFileDialog::dialogTemplate()
{
    static const DialogTemplate t{
        "Input File",
        280,
        166,
        8,
        {
            {ControlKind::Static, InputLabelId, "Input File Name:", {10, 8, 100, 8}, NoWrap},
            {ControlKind::Static, InputPathId, "", {10, 18, 260, 18}},
            {ControlKind::Static,
             InstructionLabelId,
             "Instruction File Name (enter full path):",
             {10, 42, 200, 8},
             NoWrap},
            {ControlKind::Edit, InstructionPathId, "", {10, 52, 200, 12}, StyleNone, int(instructionPathCapacity)},
            {ControlKind::PushButton, BrowseId, "Browse files", {218, 51, 52, 14}},
            {ControlKind::Static, SessionsLabelId, "Number of QAV Sessions (9 max):", {10, 74, 125, 8}, NoWrap},
            {ControlKind::Edit, SessionsId, "1", {140, 72, 25, 12}},
            {ControlKind::CheckBox, TutorialId, "Include tutorial", {10, 92, 160, 10}},
            {ControlKind::CheckBox, EditListsId, "Let subjects to edit word lists", {10, 106, 160, 10}},
            {ControlKind::Static, MessageId, "", {10, 122, 260, 18}},
            {ControlKind::DefaultButton, ContinueId, "Continue", {160, 144, 50, 14}},
            {ControlKind::PushButton, CancelId, "Cancel", {220, 144, 50, 14}},
        }};
    return t;
}

InputFileDialog::InputFileDialog(const QString& inputPath, QWidget* parent) : TemplateDialog(dialogTemplate(), parent)
{
    // Starts beside the input file being made, where the run will look.
    chooseInstructionFile = [this, inputPath] {
        QFileDialog dialog(this, QStringLiteral("Open"), fileDialogFolder(inputPath),
                           QStringLiteral("Instruction files (*.bgi)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("bgi"));
        return runFileDialog(dialog).value_or(QString());
    };
    showFieldMessage = [this](const QString& text) { QMessageBox::warning(this, QString(), text); };

    setControlText(InputPathId, inputPath);
    control<QLabel>(InputPathId)->setToolTip(inputPath);
    control<QLineEdit>(InstructionPathId)
        ->setText(QString::fromStdString(instructionPathPreset(inputPath.toStdString())));
    control<QCheckBox>(TutorialId)->setChecked(true);
    control<QCheckBox>(EditListsId)->setChecked(true);

    connect(control<QPushButton>(ContinueId), &QPushButton::clicked, this, &InputFileDialog::confirm);
    connect(control<QPushButton>(CancelId), &QPushButton::clicked, this, &QDialog::reject);
    connect(control<QPushButton>(BrowseId), &QPushButton::clicked, this, &InputFileDialog::browse);
    showRefusedCharactersIn(MessageId);
}

QString InputFileDialog::message() const { return control<QLabel>(MessageId)->text(); }

void InputFileDialog::confirm()
{
    const std::string typed = control<QLineEdit>(InstructionPathId)->text().toStdString();
    int sessionCount = 0;
    const std::string counted = utf8ToWindows1252(typed).value_or(typed);
    if (const auto fieldMessage = checkInputFileFields(counted, control<QLineEdit>(SessionsId)->text().toStdString(),
                                                       sessionCount)) {
        showFieldMessage(QString::fromStdString(*fieldMessage));
        return;
    }
    // Only the name after the last "/" is stored, so only it needs a single-byte
    // form; its extension is the path's.
    const std::optional<std::string> name = utf8ToWindows1252(instructionFileNameOf(typed));
    if (!name) {
        setControlText(MessageId, QStringLiteral("Error:  the instruction file name holds a character that cannot "
                                                 "be stored in a file."));
        return;
    }
    if (const auto refusal = instructionPathRefusal(*name)) {
        setControlText(MessageId, QString::fromStdString(*refusal));
        return;
    }
    entries_.instructionPath = *name;
    entries_.sessionCount = sessionCount;
    entries_.tutorialIncluded = control<QCheckBox>(TutorialId)->isChecked();
    entries_.editListsIncluded = control<QCheckBox>(EditListsId)->isChecked();
    accept();
}

void InputFileDialog::browse()
{
    const QString path = chooseInstructionFile();
    if (path.isEmpty())
        return;
    if (path.size() > int(instructionPathCapacity)) {
        setControlText(
            MessageId,
            QStringLiteral("Error:  the chosen path is longer than %1 characters.").arg(instructionPathCapacity));
        return;
    }
    control<QLineEdit>(InstructionPathId)->setText(path);
}
