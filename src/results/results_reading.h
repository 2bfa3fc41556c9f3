#pragma once
// Reading a study's data files and the subject logs beside them into runs.
//
// A run is the lines of one input file name, subject, sex and other code whose block
// numbers rise from 1; a block number 1 after higher ones starts a new run. Runs of
// different subjects may interleave block by block (several computers appending to
// one file). Each block's role comes from the run's own block sequence
// (run/block_sequence.h) applied to the settings on the lines. A run's subject log
// line is the one with the same subject, sex, other code and input file name, taken in
// order of appearance. Category labels come from the list files named on the lines,
// looked for in the study folder; else from the subject log's CatsL/CatsR.
// Malformed lines are reported with their line number and skipped.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/file_source.h"
#include "results/study_results.h"

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
