#pragma once
// The timing record beside a data file (run/data_format.h): one row per block a run
// ran, telling how its words and keys were timed. Older runs wrote none.
//
// A row belongs to a run of the same data file with the same input file, subject, sex
// and other code and a block of its number. The rows of one key are put into runs by
// the rule the data lines' blocks are (KeyRuns in block_assembly.h), and the k-th run
// of rows goes with the k-th run of that key in the data file, in the order the runs
// start there. A run's blocks without a row, when other rows of the record went to
// it, are a problem of the run; so is a run without any row that starts after a run
// of its data file with rows (the record was written by then). A run before the
// first run with rows, and every run of a data file without a record, simply has no
// timing record.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "results/results_lines.h"
#include "results/study_results.h"

// A row as read, with where it is and the data file it lies beside.
struct TimingRowRead {
    TimingRow row;
    std::string dataFile;  // the path the data file was read by
};

// Gives each row to its run's block (BlockRecord::timing), in the order read. Rows that
// go with no run are problems of the study; the rest, and runs whose frames were
// missed, problems of the run. withRecord: the data files that have a timing record.
void matchTimingRows(std::vector<RunRecord>& runs, std::vector<TimingRowRead>& rows,
                     const std::vector<std::string>& withRecord, std::vector<std::string>& studyProblems);

// What a run's rows say together.
struct RunTiming {
    std::vector<std::string> onsets;                         // distinct, in the order they first come
    std::optional<int> refreshMicroseconds;                  // the median of the rows with one, rounded
    std::int64_t wordsShown = 0;                             // summed
    std::int64_t framesMissed = 0;                           // summed
    std::int64_t mostLateMicroseconds = 0;                   // the largest
    std::vector<std::string> keyClocks;                      // distinct, in the order they first come
    std::optional<std::int64_t> keyCalibrationMicroseconds;  // the widest
    int blocksWithRows = 0;
    int blocks = 0;
};

// Nothing when no block of the run has a row.
std::optional<RunTiming> runTiming(const RunRecord& run);

// The report's line on a run's timing: "Timing: X11 Present every 16.667 ms; 240
// words, 2 frames missed (largest delay 1.4 ms); keys on X server stamps (calibrated
// within 0.3 ms)." or "Timing: no timing record."
std::string timingLine(const RunRecord& run);
