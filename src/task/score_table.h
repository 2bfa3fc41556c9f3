#pragma once
// The run's scores: for every session and each half (before and after the category
// switch) the recorded block's mean latency, error rate and trial count, with the two
// category combinations sorted in that half; and the results report's two columns.

#include <array>
#include <cstdint>
#include <string>

#include "files/input_file.h"
#include "task/block_engine.h"

// Latencies are recoded into these bounds for scoring only; the data file keeps
// them as measured.
inline constexpr int scoredLatencyFloor = 300;
inline constexpr int scoredLatencyCeiling = 3000;
// The first trials of a scored block that are left out.
inline constexpr int unscoredLeadingTrials = 2;

int recodedLatency(int latency);

// The labels of a key in a combined block, as the subject log's CatsL and CatsR name
// them: pair 1's label "+" pair 2's label.
inline std::string combinationLabel(const std::string& pair1, const std::string& pair2) { return pair1 + "+" + pair2; }

struct HalfScore {
    // Collected while scoring.
    // 64-bit sums: no count of wrong responses a data file can hold overflows them.
    std::int64_t latencySum = 0;   // recoded milliseconds
    int count = 0;                 // trials scored
    std::int64_t errorSum = 0;     // wrong responses on the trials scored
    std::string leftCombination;   // pair 1's left label "+" pair 2's left label
    std::string rightCombination;  // the same for the right key
    // Set by finish.
    int meanLatency = 0;         // latencySum / count, remainder dropped
    std::int64_t errorRate = 0;  // floor(errorSum / count x 100), percent; above 100 when trials had several
    int n = 0;                   // count, at least 1
};

class ScoreTable {
public:
    static constexpr int halves = 2;

    // Scores the recorded block of session (1 to 9) and half (1 before the switch,
    // 2 after it). labels are the block's four labels in force: pair 1 left, pair 1
    // right, pair 2 left, pair 2 right. Of the first `trials` slots, those from the
    // third up to trialsRun are scored; slots the block did not reach are not.
    // A session or half out of range is ignored.
    void scoreBlock(int session, int half, const TrialResults& results, int trials, int trialsRun,
                    const std::array<std::string, 4>& labels);

    // Computes mean latency, error rate and N of sessions 1 to sessionCount (a half
    // that scored nothing reports 0, 0 and N 1) and builds the report's columns.
    void finish(int sessionCount);

    const HalfScore& score(int session, int half) const;

    // The report's two columns, line for line: per session a line for each half and
    // a blank line. Memory text ("\n" line breaks), single-byte labels.
    const std::string& leftColumnText() const { return leftColumn_; }
    const std::string& rightColumnText() const { return rightColumn_; }

private:
    std::array<std::array<HalfScore, halves>, maxSessions> scores_;
    std::string leftColumn_;
    std::string rightColumn_;
};
