#pragma once
// Reading a study's data files and the subject logs beside them into runs.
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
// line number and skipped; a repeated header is skipped silently.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/file_source.h"
#include "results/study_results.h"

// The largest data file or subject log read (a study of thousands of runs stays far
// below it); a larger one is read up to it, with a problem.
inline constexpr std::size_t maxStudyFileBytes = std::size_t{512} * 1024 * 1024;

struct ResultsOptions {
    // Where the list files are looked for; empty: each data file's own folder.
    std::string studyDirectory;
};

// Called now and then while reading: bytes read so far of all the files, and their total.
using ReadingProgress = std::function<void(std::int64_t done, std::int64_t total)>;

// Reads the data files (and each one's subject log, the path with ".slg" for ".dat"),
// rebuilds the runs and scores them. A file that cannot be read is a problem, not a
// failure: the others are still read.
StudyResults readStudy(const std::vector<std::string>& dataFiles, const ResultsOptions& options,
                       const FileSource& files, const ReadingProgress& progress = {});
