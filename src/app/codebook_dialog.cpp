#include "app/codebook_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include "run/codebook.h"

CodebookFileDialog::CodebookFileDialog(QWidget* parent) : QFileDialog(parent, QStringLiteral("Save As"))
{
    // Options first: they decide which dialog the other settings apply to.
    setOption(QFileDialog::DontUseNativeDialog);
    // Qt's own question would offer to replace the file; accept() asks instead.
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setDefaultSuffix(QStringLiteral("log"));
    setDirectory(QDir::homePath());
    selectFile(QStringLiteral("output.log"));
}

void CodebookFileDialog::accept()
{
    // A directory or a new name goes straight on: the base class enters the
    // directory or closes the dialog.
    const QStringList files = selectedFiles();
    if (!files.isEmpty() && QFileInfo(files.first()).isFile()) {
        const QString question =
            QStringLiteral("%1 already exists.\nThe codebook will be added at its end; nothing in the file is "
                           "replaced.\nDo you want to add it to this file?")
                .arg(QFileInfo(files.first()).fileName());
        if (QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) !=
            QMessageBox::Yes)
            return;
    }
    QFileDialog::accept();
}

std::optional<QString> askCodebookPath(QWidget* parent)
{
    CodebookFileDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return files.first();
}

void writeCodebookFromMenu(QWidget* parent, const PathChooser& chooser)
{
    const std::optional<QString> path = chooser(parent);
    if (!path)
        return;
    const WriteOutcome outcome = writeCodebook(QFile::encodeName(*path).toStdString());
    if (!outcome) {
        // The path and the system's reason come in the local 8-bit encoding.
        QMessageBox::warning(parent, QStringLiteral("Write Log File"),
                             QStringLiteral("The codebook could not be written.\n\n") +
                                 QString::fromLocal8Bit(outcome.error));
    }
}
