#pragma once
// The main menu's "Create New Input File": asks where the new input file goes, then
// the experiment-wide settings and each session's settings, and writes the file.
// Any Cancel ends the command with nothing written. An instruction file chosen in
// another folder, with none of its name beside the input file, is offered to be
// copied there.

#include <QString>

#include <optional>

#include "common/ui/editor_file_dialog.h"

class QWidget;

// The save-file dialog for a new input file: Qt's own (not the desktop's), starting
// in the last folder a file was chosen in (else at home), showing input files, adding ".inp" to a name typed without
// an extension and asking before an existing file is replaced. The chosen path, or
// nothing when it was cancelled.
std::optional<QString> askNewInputFilePath(QWidget* parent);

// The menu's handler; chooser says where the file goes. A file that cannot be
// written is reported in a message box with the path and the reason; the previous
// file, if any, stays as it was.
void createInputFile(QWidget* parent, const PathChooser& chooser = askNewInputFilePath);
