#pragma once
// The data file (one line per trial slot of every block run) and the subject log
// (one line per run), both shared by every participant of a study and appended to;
// their lines are laid out by data_format.h.
//
// Appending: every append opens the file by its path, takes an exclusive advisory
// lock on the whole file, writes the header while the file is empty, writes each
// line with one write(2) on the O_APPEND descriptor, syncs the file to disk and
// closes it, which releases the lock. Runs on several computers that share a file
// therefore never interleave their lines, and the header is always the first line.
// No descriptor is held between blocks: a long run on a network share survives a
// reconnect of the share (a held descriptor could go stale), and the lines always
// reach the file that the path names now. Nothing is ever replaced or truncated.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "run/data_format.h"
#include "run/subject_record.h"
#include "common/file_io.h"
#include "files/input_file.h"
#include "task/block_engine.h"
#include "task/score_table.h"

// --- files ---

// Why a file cannot be appended to, or nothing when it can; creates and changes
// nothing. An existing file must open for appending and for reading (an append
// looks at its last byte); a new one needs an existing directory that may be
// written to.
std::optional<std::string> canAppendTo(const std::string& path);

// Appends lines to the shared file at path (created when absent), under the file's
// lock; header goes first while the file is empty. Every failure is reported with
// the path and the system's error; a file the call created is removed again when
// nothing could be written to it.
WriteOutcome appendLines(const std::string& path, std::string_view header, const std::vector<std::string>& lines);

// Before the first block: creates the data file with its header when it is new.
WriteOutcome openDataFile(const std::string& dataPath);

// After a block: one line per trial slot, 0 to trials - 1.
WriteOutcome writeDataLines(const std::string& dataPath, const SubjectRecord& subject, int session,
                            const SessionSettings& settings, int blockNumber, const TrialResults& results, int trials);

// At the end of the run, after the score table is finished: the header when the log
// is new (with the columns of this run's sessions), then the run's line.
WriteOutcome writeSubjectLog(const std::string& logPath, const SubjectRecord& subject,
                             const ExperimentDefinition& definition, const ScoreTable& scores);

// --- rescue files ---
//
// Lines that an output file would not take are kept in a rescue file instead, one
// per output file and run, in the output file's format with its header, so that they
// can be appended to the output file later (without the header, in order).

// The folder of the rescue files: $XDG_DATA_HOME/truv/rescue when XDG_DATA_HOME is
// an absolute path, else ~/.local/share/truv/rescue (home from $HOME, else the
// password database). Empty when no home can be found.
std::string rescueDirectory();

// The rescue file of one output file and one run: the output file's name with the
// run's start (to the second) and the process id before its extension, such as
// run.2026-12-07_14-02-43.pid4711.dat for run.dat.
std::string rescuePathFor(const std::string& outputPath, const LocalDateTime& start, long processId,
                          const std::string& directory);

// Makes the directory and its missing parents (mode 0700: the lines hold
// participants' data). Returns 0 or the error.
int makeDirectories(const std::string& directory);
