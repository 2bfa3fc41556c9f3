#pragma once
// The scores of a study's runs: per session and half the subject log's figures,
// recomputed from the data lines; the standardized difference score and its
// exclusions; and the study's summary across runs.

#include <optional>
#include <string>
#include <vector>

#include "results/study_results.h"

// Latencies above this are dropped from the difference score.
inline constexpr int longestScoredLatency = 10'000;
// Latencies below this are fast; a session with more than fastSharePercent % of
// them is excluded (compared in whole numbers, so that exactly 10 % is kept).
inline constexpr int fastLatency = 300;
inline constexpr int fastSharePercent = 10;

// A run is scored in two steps, because its subject log line is found by its figures
// and may then give the labels the list files did not.
// First, what the data lines alone give: every session's half figures (without their
// combinations) and difference score.
void scoreFigures(RunRecord& run);
// Then, with the labels settled and the subject log line found or not: every half's
// combinations and, with a log line, where it differs from the run (logDifferences):
// per session its Catsw, the first half's combinations (when every label is known)
// and both halves' figures, one text each. Returns the differences of no session:
// the log line's sessions without data lines.
std::vector<std::string> finishScores(RunRecord& run);

struct StudySummary {
    int runs = 0;
    int sessionsScored = 0;  // sessions with a difference score
    int sessionsExcluded = 0;
    int incompleteRuns = 0;  // without a subject log line
    // Over the scored sessions that are not excluded.
    std::optional<double> meanScore;
    std::optional<double> scoreSd;
    std::optional<double> confidenceLow;  // 95 % interval of the mean (t distribution)
    std::optional<double> confidenceHigh;
    std::optional<double> meanErrorRate[2];  // per half, over sessions with figures
};

StudySummary summarizeStudy(const StudyResults& study);
