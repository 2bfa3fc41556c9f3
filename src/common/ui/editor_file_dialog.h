#pragma once
// The open and save-as file dialog the editors share: the toolkit's own dialog (the
// same on every desktop), starting in the folder of the editor's current file, else
// in the last folder a file was chosen in, else in the user's home directory;
// filtered on one extension that is added when none is typed; saving asks before it
// replaces a file. The menu's save-file commands take their path from a chooser of
// the same kind.

#include <QString>

#include <functional>
#include <optional>

class QFileDialog;
class QWidget;

// Chooses a path over parent: a file dialog in the program, a test's answer in
// tests. Nothing when it is cancelled.
using PathChooser = std::function<std::optional<QString>(QWidget* parent)>;

// The folder a file dialog starts in for an editor whose current file is currentFile
// (empty for none).
QString fileDialogFolder(const QString& currentFile);

// Runs a file dialog set up by the caller: the chosen path, whose folder is
// remembered for the next dialog, or nothing.
std::optional<QString> runFileDialog(QFileDialog& dialog);

// The chosen path, or nothing when the dialog is cancelled. filterName reads like
// "Word lists"; extension is given without its dot.
std::optional<QString> askEditorFilePath(QWidget* parent, bool opening, const QString& filterName,
                                         const QString& extension, const QString& proposed,
                                         const QString& currentFile = {});
