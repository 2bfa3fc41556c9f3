#pragma once
// How the study's own files (the input file, word lists, instruction files and
// questionnaires) are read for their readers and editors, written back, and quoted
// in the problems their readers record. Each problem of a file starts with its kind
// and name: "word list pairs.wls: ...".

#include <string>
#include <string_view>

#include "common/file_io.h"
#include "common/file_source.h"
#include "common/problems.h"

// A study file read as text, for a parser.
struct StudyFileText : TextReadOutcome {
    std::string fileName;  // the path without its directory, which names the file in problems
    std::string prefix;    // "<kind> <file name>: ", which starts every problem of the file

    // Puts what the reading found ahead of the parser's problems: the encoding problem,
    // then the cut at maxReadBytes ("... only its start was read").
    void noteProblems(Problems& problems) const;
};

// Reads the study file at path for a run or a check. A file whose encoding cannot be
// read is opened with no bytes, and noteProblems leaves its encoding problem alone.
StudyFileText readStudyFile(const std::string& path, std::string_view kind, const FileSource& source);
// Reads it for an editor, which keeps its document when a file cannot be read: a
// file whose encoding cannot be read is not opened ("cannot read <path>: <problem>").
StudyFileText readStudyFileForEditing(const std::string& path, std::string_view kind, const FileSource& source);

// Formats document with format and replaces the file at path atomically. A document
// that format refuses is not written: "cannot write <path>: <reason>".
template <typename Document>
WriteOutcome writeStudyFile(bool (*format)(const Document&, std::string& bytes, std::string& reason),
                            const Document& document, const std::string& path)
{
    std::string bytes;
    std::string reason;
    if (!format(document, bytes, reason))
        return WriteOutcome{false, "cannot write " + path + ": " + reason};
    return writeFileAtomically(path, bytes);
}

// A text of a file quoted in a problem: its first 20 characters, then "..." when it
// is longer, so that garbage stays readable.
std::string quoted(std::string_view text);
