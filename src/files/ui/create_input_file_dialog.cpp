#include "files/ui/create_input_file_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "common/file_io.h"
#include "files/input_file_creation.h"
#include "files/ui/input_file_dialog.h"
#include "files/ui/session_settings_dialog.h"

namespace {

QString fromLocal(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

// The folder of a path as the message names it ("/" for the root).
QString folderOf(const std::string& path)
{
    const std::string folder = directoryOf(path);
    return fromLocal(folder.empty() ? std::string("/") : folder);
}

// The run looks for the instruction file beside the input file: one chosen in
// another folder is offered to be copied there.
void offerInstructionCopy(QWidget* parent, const std::string& inputPath, const QString& instructionPath)
{
    const InstructionFilePlacement placement = placeInstructionFile(inputPath,
                                                                    QFile::encodeName(instructionPath).toStdString());
    if (!placement.offerCopy)
        return;
    const QString name = fromLocal(fileNameOf(placement.runPath));
    const QString inputFolder = folderOf(placement.runPath);
    const QString chosenFolder = folderOf(placement.chosenPath);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Instruction file"),
                    QStringLiteral("%1 is in %2, but a run looks for the instruction file in the input file's "
                                   "folder, %3, which has no file of that name.\n\nCopy %1 into %3?")
                        .arg(name, chosenFolder, inputFolder),
                    QMessageBox::NoButton, parent);
    QPushButton* copy = box.addButton(QStringLiteral("Copy it there"), QMessageBox::AcceptRole);
    QPushButton* leave = box.addButton(QStringLiteral("Leave it"), QMessageBox::RejectRole);
    box.setDefaultButton(copy);
    box.setEscapeButton(leave);
    box.exec();
    if (box.clickedButton() != copy)
        return;
    const WriteOutcome copied = copyWithoutReplacing(placement.chosenPath, placement.runPath);
    if (!copied)
        QMessageBox::warning(parent, QStringLiteral("Instruction file"),
                             QStringLiteral("The instruction file was not copied.\n\n") + fromLocal(copied.error));
}

}  // namespace

std::optional<QString> askNewInputFilePath(QWidget* parent)
{
    QFileDialog dialog(parent, QStringLiteral("Save As"), fileDialogFolder(QString()),
                       QStringLiteral("Input files (*.inp)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("inp"));
    return runFileDialog(dialog);
}

void createInputFile(QWidget* parent, const PathChooser& chooser)
{
    const std::optional<QString> chosen = chooser(parent);
    if (!chosen || chosen->isEmpty())
        return;
    const std::string path = QFile::encodeName(*chosen).toStdString();

    ExperimentDefinition definition = newExperimentDefinition();
    QString instructionPath;  // as typed or chosen; only its name is stored
    {
        InputFileDialog settings(*chosen, parent);
        if (settings.exec() != QDialog::Accepted)
            return;
        applyExperimentEntries(settings.entries(), definition);
        instructionPath = settings.control<QLineEdit>(InputFileDialog::InstructionPathId)->text();
    }

    // The run looks for the list files beside the input file, so they are offered
    // from there.
    const std::string directory = directoryOf(path);
    SessionSettingsDialog sessions(directory.empty() ? std::string("/") : directory, parent);
    for (int s = 0; s < definition.sessionCount; ++s) {
        if (!sessions.askSession(s + 1, definition.sessions[s]))
            return;
    }

    const WriteOutcome outcome = writeInputFile(definition, path);
    if (!outcome) {
        // The path and the system's reason come in the local 8-bit encoding.
        QMessageBox::warning(parent, QStringLiteral("Input File"),
                             QStringLiteral("The input file could not be written; an earlier file of that name "
                                            "is left as it was.\n\n") +
                                 QString::fromLocal8Bit(outcome.error));
        return;
    }
    offerInstructionCopy(parent, path, instructionPath);
}
