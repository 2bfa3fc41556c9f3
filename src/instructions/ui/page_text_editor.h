#pragma once
// The page text box of the two page editors (instruction pages, questionnaire pages):
// a multi-line box whose text is one page, at most 999 single-byte characters with a
// line break counting two, and no "#". Whatever is typed, pasted or dropped is cut to
// what the page takes: characters without a single-byte form and "#" are left out,
// the rest is cut at the room left, and the editor's message line says which. Ctrl+
// Enter is a line break; Enter alone is the editor's Exit.

#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <string_view>

#include "instructions/instruction_pages.h"

class QLabel;
class QPlainTextEdit;

// What the message line says when an edit lost characters (short: the questionnaire
// editor's line is narrow).
inline constexpr const char* pageRefusedCharactersMessage = "Left out: \"#\" and non-Windows-1252 characters";
inline constexpr const char* pageFullMessage = "Page full (999 characters): the rest was left out";

class PageTextEditor : public QObject {
public:
    // box: the editor's page text box; message: its message line; onEnter: Exit;
    // onEdit: told of every change the experimenter makes to the text (not of show()).
    PageTextEditor(QPlainTextEdit* box, QLabel* message, std::function<void()> onEnter,
                   std::function<void()> onEdit = {});

    // Shows a page (line breaks as CR LF, or lone CR or LF) and empties the message line.
    void show(std::string_view pageText);
    // The box's text as a page: single bytes, line breaks as CR LF, cut at 999.
    std::string pageText() const;
    // Stores the box into page; a page the box still shows unchanged keeps its bytes.
    void storeInto(PageText& page) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString boxText() const;
    std::string singleByteBoxText() const;
    void keepWithinPage();

    QPlainTextEdit* box_;
    QLabel* message_;
    std::function<void()> onEnter_;
    std::function<void()> onEdit_;
    QString acceptedText_;  // the box text as last admitted
    bool settingText_ = false;
};
