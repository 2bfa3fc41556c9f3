#include "files/ui/create_input_file_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "common/file_io.h"
#include "files/input_file_creation.h"
#include "files/ui/input_file_dialog.h"
#include "files/ui/session_settings_dialog.h"

std::optional<QString> askNewInputFilePath(QWidget* parent)
{
    QFileDialog dialog(parent, QStringLiteral("Save As"), QDir::homePath(), QStringLiteral("Input files (*.inp)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("inp"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void createInputFile(QWidget* parent, const PathChooser& chooser)
{
    const std::optional<QString> chosen = chooser(parent);
    if (!chosen || chosen->isEmpty())
        return;
    const std::string path = QFile::encodeName(*chosen).toStdString();

    ExperimentDefinition definition = newExperimentDefinition();
    {
        InputFileDialog settings(*chosen, parent);
        if (settings.exec() != QDialog::Accepted)
            return;
        applyExperimentEntries(settings.entries(), definition);
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
    }
}
