#pragma once
// The main menu's "Write Log File": asks where the codebook goes and appends it
// there. The save-file dialog is Qt's own (not the desktop's), so it looks and
// behaves the same on every machine.

#include <QFileDialog>
#include <QString>

#include <optional>

#include "common/ui/editor_file_dialog.h"

// The save-file dialog for the codebook: it starts in the home directory with the
// name "output.log" and adds ".log" to a name typed without an extension. Choosing
// an existing file asks first; the question says that the codebook is added at the
// file's end, because nothing in the file is ever replaced.
class CodebookFileDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit CodebookFileDialog(QWidget* parent = nullptr);

public slots:
    void accept() override;
};

// Shows CodebookFileDialog; the chosen path, or nothing when it was cancelled.
std::optional<QString> askCodebookPath(QWidget* parent);

// The menu's handler: asks chooser for the path and appends the codebook to that
// file. Cancelling writes and creates nothing. A codebook that cannot be written is
// reported in a message box with the path and the reason, over parent.
void writeCodebookFromMenu(QWidget* parent, const PathChooser& chooser = askCodebookPath);
