#pragma once
// The open and save-as file dialog the editors share: the toolkit's own dialog (the
// same on every desktop), starting in the user's home directory, filtered on one
// extension that is added when none is typed; saving asks before it replaces a file.

#include <QString>

#include <optional>

class QWidget;

// The chosen path, or nothing when the dialog is cancelled. filterName reads like
// "Word lists"; extension is given without its dot.
std::optional<QString> askEditorFilePath(QWidget* parent, bool opening, const QString& filterName,
                                         const QString& extension, const QString& proposed);
