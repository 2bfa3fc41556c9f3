#pragma once
// Reading a study's data files and the subject logs and timing records beside them
// into runs.
//
// The files given are one stream, in the order given: a rescue file given after its
// data file continues the runs it holds. A run is the lines of one input file name,
// subject, sex and other code whose block numbers rise from 1; a block number 1 after
// higher ones starts a new run. Runs of different subjects may interleave block by
// block (several computers appending to one file). Where the blocks of one key
// cannot belong to one run (two runs of the same subject at the same time, block
// numbers going back) the runs are kept apart and the problem is reported on them and
// on the study. Each block's role comes from the run's own block sequence
// (run/block_sequence.h) applied to the settings on the lines; a block that does not
// fit it has an unknown role and a problem.
//
// A run's subject log line is one with the same subject, sex, other code and input
// file name; the lines are taken in order of appearance, each going to the earliest
// run of its key without a line whose figures (Catsw and both halves' mean latency,
// error rate and N in every session) agree with it, else to the earliest run of its
// key without a line. A run without a log line is incomplete. Category labels come
// from the list files named on the lines, looked for in the study folder; else from
// the subject log's CatsL/CatsR. Malformed lines are reported with their file name and
// line number and skipped; a repeated header is skipped silently. The timing record's
// rows go to the runs' blocks as timing_record.h tells; a data file without one is no
// problem.
//
// Each file is read line by line through a buffer of a fixed size: memory grows with
// the runs kept, not with the files' bytes. Only regular files are read; a directory,
// a FIFO or a device is a problem, and is never opened in a way that could block.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_source.h"
#include "results/results_options.h"
#include "results/study_results.h"

// Called now and then while reading: bytes read so far of all the files, and their total.
using ReadingProgress = std::function<void(std::int64_t done, std::int64_t total)>;

// Reads the data files and their subject logs (subjectLogPathsFor) and timing records
// (timingRecordPathsFor), rebuilds the runs, scores them and settles the study's
// participants (participants.h). A file that cannot be read is a problem, not a
// failure: the others are still read. A file is read once, whatever names it is
// reached by. A timing record given as a data file is a problem, and is not read as
// one.
StudyResults readStudy(const std::vector<std::string>& dataFiles, const ResultsOptions& options,
                       const FileSource& files, const ReadingProgress& progress = {});

// The subject logs of a data file: the path with ".slg" for ".dat", where the run wrote
// it, and, when the path is a symbolic link (or lies in a linked folder), the same
// beside the file it leads to, where the runs that named the target wrote theirs.
std::vector<std::string> subjectLogPathsFor(const std::string& dataFile, const FileSource& files);

// The timing records of a data file, found as its subject logs are
// (run/subject_record.h's timingRecordPathFor).
std::vector<std::string> timingRecordPathsFor(const std::string& dataFile, const FileSource& files);

// Whether the path names a timing record (it ends in ".timing.tsv"), which is never
// read as a data file.
inline constexpr std::string_view timingRecordSuffix = ".timing.tsv";
bool isTimingRecordPath(std::string_view path);
// Why such a path given as a data file is refused.
inline constexpr const char* timingRecordGivenText =
    "a timing record, not a data file: give the data file beside it, and its timing record is read with it";

// Why an output must not be written to path: it is one of the files the study was
// read from (a data file, a subject log or a timing record beside one, read or not yet
// there, or a list file read), under any of its names: hard and symbolic links and other spellings of
// the path count, told by the files' keys (device and inode). The text names both
// files; "" when path is none of them.
std::string outputOverwritesInput(const std::string& path, const StudyResults& study,
                                  const FileSource& files = diskFiles());
