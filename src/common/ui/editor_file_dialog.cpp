#include "common/ui/editor_file_dialog.h"

#include <QDir>
#include <QFileDialog>

std::optional<QString> askEditorFilePath(QWidget* parent, bool opening, const QString& filterName,
                                         const QString& extension, const QString& proposed)
{
    QFileDialog dialog(parent, opening ? QStringLiteral("Open") : QStringLiteral("Save As"));
    // Options first: they decide which dialog the other settings apply to.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(opening ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(opening ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("%1 (*.%2)").arg(filterName, extension), QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(extension);
    dialog.setDirectory(QDir::homePath());
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}
