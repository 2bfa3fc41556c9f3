#pragma once
// The codebook: a fixed plain-text description, for the experimenter, of the input
// file's items and of every column of the subject log and the data file. It takes
// nothing from a run; the text is the same every time.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "common/file_io.h"
#include "run/data_format.h"

// The codebook as memory text, every line ended with "\n" (the last two lines are
// empty). Its descriptions of the sex code (0 and 1) and of the hour (0 to 24) are
// the codebook's own wording; the output files hold "m" or "f" and hours 0 to 23.
std::string codebookText();

// Appends the codebook, with CR LF line ends, at the end of the file at path,
// creating the file when it is missing; an existing file keeps its contents. The
// data is synced to disk before success is reported. A file that cannot be opened,
// written or synced gives "cannot write <path>: <reason>"; when it cannot be opened
// nothing is created or changed. A file whose first line is the data file's or the
// subject log's header is refused, and left as it is.
WriteOutcome writeCodebook(const std::string& path);

// Whether codebook lines (one entry per line) quote the columns of the subject log
// (after the line "OUTPUT SUBJECT LOG") and of the data file (after "OUTPUT DATA
// FILE") one line each, every column of the format and no other, in its order. A
// quoted name is the column's, whatever its case (the codebook writes "Other" for the
// subject log's "other"), with "_#" after a session column. The codebook's words stay
// its own; this only keeps them from falling behind the format.
constexpr bool describesTheColumns(std::span<const std::string_view> lines)
{
    const auto lowered = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const auto names = [&](std::string_view quoted, std::string_view column, std::string_view suffix) {
        if (quoted.size() != column.size() + suffix.size() || !quoted.ends_with(suffix))
            return false;
        for (std::size_t i = 0; i < column.size(); ++i)
            if (lowered(quoted[i]) != lowered(column[i]))
                return false;
        return true;
    };
    enum { None, SubjectLog, DataFile } section = None;
    std::size_t logNames = 0;
    std::size_t dataNames = 0;
    for (const std::string_view line : lines) {
        if (line == "OUTPUT SUBJECT LOG")
            section = SubjectLog;
        else if (line == "OUTPUT DATA FILE")
            section = DataFile;
        if (!line.starts_with('"'))
            continue;
        const std::string_view quoted = line.substr(1, line.find('"', 1) - 1);
        bool fits = false;
        if (section == SubjectLog && logNames < logColumn::count)
            fits = names(quoted, logColumnNames[logNames], "");
        else if (section == SubjectLog && logNames < subjectLogFieldCount(1))
            fits = names(quoted, sessionColumnNames[logNames - logColumn::count], "_#");
        else if (section == DataFile && dataNames < dataColumn::count)
            fits = names(quoted, dataColumnNames[dataNames], "");
        if (!fits)
            return false;
        ++(section == SubjectLog ? logNames : dataNames);
    }
    return logNames == subjectLogFieldCount(1) && dataNames == dataColumn::count;
}
