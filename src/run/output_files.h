#pragma once
// The data file (one line per trial slot of every block run) and the subject log
// (one line per run), both shared by every participant of a study and appended to.
//
// Formats: tab-separated, every field followed by a tab (the last one too), CR LF
// line ends. The formatting functions return a line's disk bytes, CR LF included.
//
// Appending: every append opens the file by its path, takes an exclusive advisory
// lock on the whole file, writes the header while the file is empty, writes each
// line with one write(2) on the O_APPEND descriptor, syncs the file to disk and
// closes it, which releases the lock. Runs on several computers that share a file
// therefore never interleave their lines, and the header is always the first line.
// No descriptor is held between blocks: a long run on a network share survives a
// reconnect of the share (a held descriptor could go stale), and the lines always
// reach the file that the path names now. Nothing is ever replaced or truncated.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "run/subject_record.h"
#include "common/file_io.h"
#include "files/input_file.h"
#include "task/block_engine.h"
#include "task/score_table.h"

// --- formats ---

std::string dataFileHeader();

// One data line: the run's and the session's settings (session 1 to 9, blockNumber
// the running block number), then the slot's trial as it stands, unrun markers
// included. The input file is named without its directory.
std::string formatDataLine(const SubjectRecord& subject, int session, const SessionSettings& settings, int blockNumber,
                           const TrialResult& trial);

// The lines of slots 0 to trials - 1 of a block.
std::vector<std::string> formatDataLines(const SubjectRecord& subject, int session, const SessionSettings& settings,
                                         int blockNumber, const TrialResults& results, int trials);

// The subject log's header with the nine columns of each of sessionCount sessions.
std::string subjectLogHeader(int sessionCount);

// An error rate as the subject log writes it: the whole number as a floating-point
// value in the default stream format (7 reads "7").
std::string errorRateText(std::int64_t errorRate);

// The run's subject log line: the subject, the input path as typed, the run's start,
// then per session of the definition its half-1 combinations, Catsw + 1 and both
// halves' values from the finished score table.
std::string formatSubjectLogLine(const SubjectRecord& subject, const ExperimentDefinition& definition,
                                 const ScoreTable& scores);

// Why a path cannot be named in the output files or hold them: a tab, carriage return
// or line feed in it would tear the lines that carry it (the subject log holds the
// input path as typed) or split a file name a reader cuts at line ends. Nothing when
// it holds none.
std::optional<std::string> lineBreakInPath(const std::string& path);

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
