#pragma once
// "File Error": why a run cannot go on, and below it the detail: the full path of
// the file that is missing, centred on its line, or the problems found, one a line.
// OK, Enter, Escape and the close box all close it; the run stops afterwards.

#include <string_view>

#include "common/ui/template_dialog.h"

class FileErrorDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId { MessageId = 1, DetailId, OkId };

    explicit FileErrorDialog(QWidget* parent = nullptr);

    // message and detail are the program's bytes: UTF-8 (paths as the file system
    // holds them) or, where that does not decode, single-byte text from a file.
    // A detail of one line is centred; several lines are shown left-aligned.
    void setTexts(std::string_view message, std::string_view detail);

    // Shows the texts modally until the dialog is closed.
    static void showTexts(std::string_view message, std::string_view detail, QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();
};

// Text for display from bytes that are either UTF-8 or Windows-1252: UTF-8 when
// they decode as such, else the single-byte reading.
QString fromPathOrSingleByte(std::string_view bytes);
