#include <gtest/gtest.h>

#include <cmath>

#include "results/results_scores.h"

namespace {

constexpr int unrun = -1;

// A block of answered trials with these latencies (unrun: a slot without a response).
BlockRecord block(BlockRole role, int half, const std::vector<int>& latencies)
{
    BlockRecord b;
    b.role = role;
    b.half = half;
    for (int latency : latencies) {
        TrialRecord t;
        t.trial = static_cast<int>(b.trials.size()) + 1;
        t.key = "l";
        t.latency = latency;
        if (latency == unrun) {
            t = TrialRecord{};
            t.trial = 99, t.pair = 9, t.category = 9, t.itemNumber = 99, t.word = "blank";
            t.latency = 99999, t.errors = 99, t.key = "9", t.unrun = true;
        }
        b.trials.push_back(t);
    }
    return b;
}

RunRecord runOf(std::vector<BlockRecord> blocks, int nPrac = 2)
{
    RunRecord run;
    SessionRecord session;
    session.settings.session = 1;
    session.settings.Catsw = 1;
    session.settings.nPrac = nPrac;
    session.settings.nReal = 3;
    session.blocks = std::move(blocks);
    run.sessions.push_back(std::move(session));
    scoreFigures(run);
    finishScores(run);
    return run;
}

TEST(ResultsScores, DifferenceScoreOfTheCombinedBlocks)
{
    using R = BlockRole;
    const struct {
        const char* name;
        std::vector<BlockRecord> blocks;
        std::optional<double> practice, recorded, score;
        int used, dropped, fast;
        bool excluded;
        std::vector<std::string> reasons;
        int nPrac = 2;
    } cases[] = {
        // Practice: 500 600 | 700 800, mean difference 200, SD sqrt(50000 / 3).
        // Recorded: 400 500 600 | 600 700 800, mean difference 200, SD sqrt(100000 / 5).
        // Unrun slots and trials over 10,000 ms are left out; the pair practice blocks
        // never count.
        {"by hand",
         {block(R::PairOnePractice, 1, {100, 100, 100}), block(R::CombinedPractice, 1, {500, 600}),
          block(R::CombinedRecorded, 1, {400, 500, 600, unrun}), block(R::CombinedPractice, 2, {700, 800}),
          block(R::CombinedRecorded, 2, {600, 10'001, 700, 800})},
         200 / std::sqrt(50000.0 / 3),
         200 / std::sqrt(20000.0),
         (200 / std::sqrt(50000.0 / 3) + 200 / std::sqrt(20000.0)) / 2,
         10,
         1,
         0,
         false,
         {}},
        // 1 of 10 under 300 ms (300 and 10,000 themselves count as usual).
        {"10 % fast is kept",
         {block(R::CombinedPractice, 1, {299, 300}), block(R::CombinedRecorded, 1, {400, 500, 600}),
          block(R::CombinedPractice, 2, {10'000, 800}), block(R::CombinedRecorded, 2, {600, 700, 800})},
         std::nullopt,
         200 / std::sqrt(20000.0),
         std::nullopt,
         10,
         0,
         1,
         false,
         {}},
        {"more than 10 % fast is excluded, the score still computed",
         {block(R::CombinedPractice, 1, {299, 300}), block(R::CombinedRecorded, 1, {400, 500, 600}),
          block(R::CombinedPractice, 2, {10'000, 800}), block(R::CombinedRecorded, 2, {600, 700})},
         std::nullopt,
         std::nullopt,
         std::nullopt,
         9,
         0,
         1,
         true,
         {"11.1 % of the trials faster than 300 ms (more than 10 %)"}},
        {"a missing block leaves no score",
         {block(R::CombinedPractice, 1, {500, 600}), block(R::CombinedRecorded, 1, {400, 500}),
          block(R::CombinedPractice, 2, {700, 800})},
         200 / std::sqrt(50000.0 / 3),
         std::nullopt,
         std::nullopt,
         6,
         0,
         0,
         false,
         {"no score: the combined recorded block of half 2 is missing"}},
        {"no practice trials in the study (nPrac 0): none missing",
         {block(R::CombinedRecorded, 1, {400, 500}), block(R::CombinedRecorded, 2, {600, 700})},
         std::nullopt,
         200 / std::sqrt(50000.0 / 3),
         std::nullopt,
         4,
         0,
         0,
         false,
         {"no score: the combined practice blocks have no trials (nPrac is 0)"},
         0},
        {"latencies that do not vary, a block of unrun slots",
         {block(R::CombinedPractice, 1, {500, 500}), block(R::CombinedRecorded, 1, {unrun, unrun}),
          block(R::CombinedPractice, 2, {500}), block(R::CombinedRecorded, 2, {600})},
         std::nullopt,
         std::nullopt,
         std::nullopt,
         4,
         0,
         0,
         false,
         {"no score: the latencies of the combined practice blocks do not vary (SD 0)",
          "no score: the combined recorded block of half 1 has no trial to score"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RunRecord run = runOf(c.blocks, c.nPrac);
        const DifferenceScore& d = run.sessions[0].difference;
        const auto near = [](std::optional<double> actual, std::optional<double> expected) {
            if (!expected)
                return true;  // not checked
            return actual && std::abs(*actual - *expected) < 1e-12;
        };
        EXPECT_TRUE(near(d.practice, c.practice));
        EXPECT_TRUE(near(d.recorded, c.recorded));
        EXPECT_TRUE(near(d.score, c.score));
        EXPECT_EQ(d.score.has_value(), d.practice && d.recorded);
        EXPECT_EQ(std::tie(d.trialsUsed, d.trialsDropped, d.trialsFast), std::tie(c.used, c.dropped, c.fast));
        EXPECT_EQ(d.excluded, c.excluded);
        EXPECT_EQ(d.exclusionReasons, c.reasons);
    }
}

// Per session number, over the participants: each one's session of its counted run,
// the excluded and unscored ones counted apart from the mean.
TEST(ResultsScores, SummaryPerSessionOverTheParticipantsCountedRuns)
{
    const auto sessionWith = [](int number, std::optional<double> score, bool excluded, int errorRate) {
        SessionRecord s;
        s.settings.session = number;
        s.difference.score = score;
        s.difference.excluded = excluded;
        s.halves[0] = HalfFigures{.meanLatency = 600,
                                  .errorRate = errorRate,
                                  .n = 38,
                                  .trialsScored = 38,
                                  .leftCombination = "",
                                  .rightCombination = ""};
        return s;
    };
    const auto runOf = [](int subject, bool complete, std::vector<SessionRecord> sessions) {
        RunRecord run;
        run.subject = subject;
        run.complete = complete;
        run.sessions = std::move(sessions);
        return run;
    };
    StudyResults study;
    study.runs = {runOf(1, true, {sessionWith(1, 1, false, 10), sessionWith(2, 2, false, 0)}),
                  runOf(2, false, {sessionWith(1, 3, false, 3), sessionWith(2, std::nullopt, false, 2)}),
                  runOf(3, true, {sessionWith(1, 100, true, 5)}),
                  // Not counted: further runs of participants 1 and 3.
                  runOf(1, true, {sessionWith(1, 50, false, 50), sessionWith(2, 50, false, 50)}),
                  runOf(3, false, {sessionWith(1, -50, false, 50)})};
    study.leftOut = {runOf(4, true, {sessionWith(1, 70, false, 70)})};
    const StudySummary summary = summarizeStudy(study);
    EXPECT_EQ(std::tie(summary.runs, summary.incompleteRuns, summary.participants, summary.runsNotCounted,
                       summary.runsLeftOut),
              std::make_tuple(5, 2, 3, 2, 1));
    ASSERT_EQ(summary.sessions.size(), 2u);
    const SessionSummary& one = summary.sessions[0];
    EXPECT_EQ(std::tie(one.session, one.participants, one.scored, one.excluded, one.unscored),
              std::make_tuple(1, 3, 2, 1, 0));
    EXPECT_DOUBLE_EQ(*one.meanScore, 2);
    EXPECT_DOUBLE_EQ(*one.scoreSd, std::sqrt(2.0));
    EXPECT_NEAR(*one.confidenceLow, 2 - 12.706204736, 1e-9);
    EXPECT_NEAR(*one.confidenceHigh, 2 + 12.706204736, 1e-9);
    EXPECT_DOUBLE_EQ(*one.meanErrorRate[0], 6);  // the excluded session's too
    EXPECT_FALSE(one.meanErrorRate[1]);
    const SessionSummary& two = summary.sessions[1];
    EXPECT_EQ(std::tie(two.session, two.participants, two.scored, two.excluded, two.unscored),
              std::make_tuple(2, 2, 1, 0, 1));
    EXPECT_DOUBLE_EQ(*two.meanScore, 2);
    EXPECT_FALSE(two.scoreSd || two.confidenceLow || two.confidenceHigh);
    EXPECT_DOUBLE_EQ(*two.meanErrorRate[0], 1);

    // The t quantile of the interval: from the table and beyond it.
    const struct {
        int n;
        double t;  // 0.975 quantile with n - 1 degrees of freedom
    } quantiles[] = {{2, 12.706204736}, {31, 2.042272456}, {32, 2.039513446}, {41, 2.021075390}, {121, 1.979930405}};
    for (const auto& q : quantiles) {
        SCOPED_TRACE(q.n);
        StudyResults many;
        for (int i = 0; i < q.n; ++i)
            many.runs.push_back(runOf(i, true, {sessionWith(1, i, false, 0)}));
        const SessionSummary s = summarizeStudy(many).sessions.at(0);
        EXPECT_NEAR((*s.confidenceHigh - *s.meanScore) / (*s.scoreSd / std::sqrt(q.n)), q.t, 1e-6);
    }
}

}  // namespace
