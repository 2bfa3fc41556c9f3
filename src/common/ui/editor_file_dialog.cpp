#include "common/ui/editor_file_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

#include "common/file_dialog_folder.h"

QString fileDialogFolder(const QString& currentFile)
{
    const std::string folder = fileDialogStartFolder(QFile::encodeName(currentFile).toStdString(), lastChosenFolder(),
                                                     QFile::encodeName(QDir::homePath()).toStdString());
    return QFile::decodeName(QByteArray::fromStdString(folder));
}

std::optional<QString> runFileDialog(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().first();
    rememberChosenFile(QFile::encodeName(chosen).toStdString());
    return chosen;
}

std::optional<QString> askEditorFilePath(QWidget* parent, bool opening, const QString& filterName,
                                         const QString& extension, const QString& proposed, const QString& currentFile)
{
    QFileDialog dialog(parent, opening ? QStringLiteral("Open") : QStringLiteral("Save As"));
    // Options first: they decide which dialog the other settings apply to.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(opening ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(opening ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("%1 (*.%2)").arg(filterName, extension), QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(extension);
    dialog.setDirectory(fileDialogFolder(currentFile));
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    return runFileDialog(dialog);
}
