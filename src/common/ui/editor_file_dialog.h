#pragma once
// The open and save-as file dialog the editors share: the toolkit's own dialog (the
// same on every desktop), starting in the user's home directory, filtered on one
// extension that is added when none is typed; saving asks before it replaces a file.
// The menu's save-file commands take their path from a chooser of the same kind.

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Chooses a path over parent: a file dialog in the program, a test's answer in
// tests. Nothing when it is cancelled.
using PathChooser = std::function<std::optional<QString>(QWidget* parent)>;

// The chosen path, or nothing when the dialog is cancelled. filterName reads like
// "Word lists"; extension is given without its dot.
std::optional<QString> askEditorFilePath(QWidget* parent, bool opening, const QString& filterName,
                                         const QString& extension, const QString& proposed);
