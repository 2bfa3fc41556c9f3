#pragma once
// The scores of a study's runs: per session and half the subject log's figures,
// recomputed from the data lines; the standardized difference score and its
// exclusions; and the study's summary per session number across its participants.

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

// One session number over the study's participants (participants.h): of each, that
// session of the run that counts, if it has one. Sessions of one number share their
// category pairs; those of different numbers are never pooled.
struct SessionSummary {
    int session = 0;
    // The category labels of its pairs, "Flowers / Insects, Pleasant / Unpleasant",
    // each distinct one in the order first met; none while unknown.
    std::vector<std::string> categories;
    int participants = 0;  // whose counted run has the session
    int scored = 0;        // with a difference score, not excluded: the mean's N
    int excluded = 0;
    int unscored = 0;  // without a score, not excluded
    // Over the participants scored.
    std::optional<double> meanScore;
    std::optional<double> scoreSd;
    std::optional<double> confidenceLow;  // 95 % interval of the mean (t distribution)
    std::optional<double> confidenceHigh;
    // Per half, over the participants with half figures, those excluded included.
    std::optional<double> meanErrorRate[2];
};

struct StudySummary {
    int runs = 0;
    int incompleteRuns = 0;  // without a subject log line
    int participants = 0;
    int runsNotCounted = 0;                // runs of participants whose counted run is another
    int runsLeftOut = 0;                   // study.leftOut
    std::vector<SessionSummary> sessions;  // by session number, those the counted runs have
};

StudySummary summarizeStudy(const StudyResults& study);

// The session's pairs as the summary names them; "" while a label is unknown.
std::string sessionCategories(const SessionRecord& session);
