#pragma once
// The codebook: a fixed plain-text description, for the experimenter, of the input
// file's items and of every column of the subject log and the data file. It takes
// nothing from a run; the text is the same every time.

#include <string>

#include "common/file_io.h"

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
