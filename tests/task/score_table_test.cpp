#include <gtest/gtest.h>

#include "engine_fakes.h"
#include "support/sample_items.h"
#include "task/score_table.h"

namespace {

const std::array<std::string, 4> labels{"Fruit", "Tools", "Mine", "Theirs"};

// A recorded block as the window leaves it: slots 0 to answered - 1 hold trials with
// the given latencies and wrong responses (cycled), the rest the run's markers.
TrialResults block(int answered, std::vector<int> latencies, std::vector<int> errors = {0})
{
    TrialResults results;
    fillPlaceholders(results);
    for (int t = 0; t < answered; ++t) {
        TrialResult& r = results[t];
        r.trialNumber = t + 1;
        r.pair = t % 2;
        r.category = 0;
        r.item = 1;
        r.word.assign("w");
        r.latency = latencies[t % latencies.size()];
        r.wrongResponses = errors[t % errors.size()];
        r.responseSide = "l";
    }
    return results;
}

HalfScore scoreOf(const TrialResults& results, int trials, int trialsRun)
{
    ScoreTable table;
    table.scoreBlock(1, 1, results, trials, trialsRun, labels);
    table.finish(1);
    return table.score(1, 1);
}

}  // namespace

TEST(ScoreTable, MeanLatencyDropsTheRemainderAndErrorRateIsFloored)
{
    // Trials 3 to 20: seventeen of 686 ms and one of 683 ms sum to 12345 over 18.
    std::vector<int> latencies(20, 686);
    latencies[19] = 683;
    std::vector<int> errors(20, 0);
    errors[5] = errors[9] = 1;
    HalfScore h = scoreOf(block(20, latencies, errors), 20, 20);
    EXPECT_EQ(h.latencySum, 12345);
    EXPECT_EQ(h.meanLatency, 685);
    EXPECT_EQ(h.errorRate, 11);  // 2 / 18 = 11.1 %
    EXPECT_EQ(h.n, 18);

    // Several wrong responses on one trial all count: 19 over 18 is 105 %.
    errors.assign(20, 1);
    errors[7] = 2;
    h = scoreOf(block(20, latencies, errors), 20, 20);
    EXPECT_EQ(h.errorSum, 19);
    EXPECT_EQ(h.errorRate, 105);
}

TEST(ScoreTable, TwentyNineErrorsOverOneHundredTrialsRateTwentyEight)
{
    // One hundred scored trials take two blocks into the same half: 98 and 2.
    ScoreTable table;
    std::vector<int> errors(100, 0);
    for (int t = 2; t < 29; ++t)
        errors[t] = 1;
    table.scoreBlock(1, 2, block(100, {500}, errors), 100, 100, labels);
    table.scoreBlock(1, 2, block(4, {500}, {1}), 4, 4, labels);
    table.finish(1);
    EXPECT_EQ(table.score(1, 2).n, 100);
    EXPECT_EQ(table.score(1, 2).errorSum, 29);
    EXPECT_EQ(table.score(1, 2).errorRate, 28);
}

TEST(ScoreTable, RecodesLatenciesAndLeavesOutTheFirstTwoTrials)
{
    EXPECT_EQ(recodedLatency(250), 300);
    EXPECT_EQ(recodedLatency(299), 300);
    EXPECT_EQ(recodedLatency(300), 300);
    EXPECT_EQ(recodedLatency(3000), 3000);
    EXPECT_EQ(recodedLatency(3001), 3000);
    EXPECT_EQ(recodedLatency(4200), 3000);

    // Trials 1 and 2 are slow and wrong; trials 3 to 6 read 250, 300, 3000, 4200.
    const HalfScore h = scoreOf(block(6, {9000, 9000, 250, 300, 3000, 4200}, {5, 5, 0, 0, 0, 0}), 6, 6);
    EXPECT_EQ(h.latencySum, 300 + 300 + 3000 + 3000);
    EXPECT_EQ(h.errorSum, 0);
    EXPECT_EQ(h.n, 4);

    EXPECT_EQ(scoreOf(block(40, {700}), 40, 40).n, 38);
}

TEST(ScoreTable, HalvesWithNothingScoredReadZeroZeroAndNOne)
{
    // A recorded block of two trials scores nothing; session 2 was never scored.
    ScoreTable table;
    table.scoreBlock(1, 1, block(2, {700}, {3}), 2, 2, labels);
    table.finish(2);
    for (const auto& [session, half] : {std::pair{1, 1}, {1, 2}, {2, 1}, {2, 2}}) {
        const HalfScore& h = table.score(session, half);
        EXPECT_EQ(h.meanLatency, 0);
        EXPECT_EQ(h.errorRate, 0);
        EXPECT_EQ(h.n, 1);
    }
}

TEST(ScoreTable, ABlockCutShortIsScoredOverTheTrialsRun)
{
    // Ten of forty trials answered: trials 3 to 10 count, the placeholders do not.
    HalfScore h = scoreOf(block(10, {800}, {1}), 40, 10);
    EXPECT_EQ(h.n, 8);
    EXPECT_EQ(h.meanLatency, 800);
    EXPECT_EQ(h.errorRate, 100);

    // In a block of 100 trials, trial 99 is a real trial, not a marker.
    std::vector<int> latencies(100, 1000);
    latencies[98] = 3000;
    h = scoreOf(block(100, latencies), 100, 100);
    EXPECT_EQ(h.n, 98);
    EXPECT_EQ(h.latencySum, 97 * 1000 + 3000);

    // Cut before any word was answered.
    EXPECT_EQ(scoreOf(block(0, {0}), 40, 0).n, 1);
}

TEST(ScoreTable, TrialsAnsweredAgreesWithTheSlotsTheEngineFilled)
{
    RecordingView view;
    SteppingClock clock;
    HeadlessPointer pointer;
    ScriptedRandom random{{5, 12, 3, 8, 1, 17, 9}};
    FixedCalendar calendar;
    BlockEngine engine{view, clock, pointer, random, calendar};
    TrialResults results;
    const BlockSettings s = sampleBlockSettings(40, 0);
    const auto answerCorrectly = [&] {
        const int i = engine.trialsPresented() - 1;
        const bool left = engine.plan().category[i] == s.leftCategory[engine.plan().pair[i]];
        engine.key(left ? TaskCommand::LeftResponse : TaskCommand::RightResponse);
    };
    const auto answeredSlots = [&] {
        int n = 0;
        for (const TrialResult& r : results)
            n += r.latency != 99999;
        return n;
    };

    for (const int answers : {0, 1, 7, 39}) {
        fillPlaceholders(results);
        engine.open(s, &results);
        engine.key(TaskCommand::StartBlock);
        for (int i = 0; i < answers; ++i)
            answerCorrectly();
        // A wrong response on the word shown leaves it unanswered still.
        const int i = engine.trialsPresented() - 1;
        const bool left = engine.plan().category[i] == s.leftCategory[engine.plan().pair[i]];
        engine.key(left ? TaskCommand::RightResponse : TaskCommand::LeftResponse);
        engine.key(TaskCommand::SkipBlock);
        EXPECT_EQ(trialsAnswered(engine.end(), engine.trialsPresented(), s.trials), answers);
        EXPECT_EQ(answeredSlots(), answers);
    }

    fillPlaceholders(results);
    engine.open(s, &results);
    engine.key(TaskCommand::StartBlock);
    while (engine.state() != BlockEngine::State::Closed)
        answerCorrectly();
    EXPECT_EQ(trialsAnswered(engine.end(), engine.trialsPresented(), s.trials), 40);
    EXPECT_EQ(answeredSlots(), 40);

    // Closed before START: nothing was presented.
    EXPECT_EQ(trialsAnswered(BlockEnd::Skipped, 0, 40), 0);
}

TEST(ScoreTable, CombinationsJoinTheLabelsOfEachKey)
{
    ScoreTable table;
    table.scoreBlock(3, 2, block(5, {700}), 5, 5, {"flower", "insect", "unpleasant", "pleasant"});
    EXPECT_EQ(table.score(3, 2).leftCombination, "flower+unpleasant");
    EXPECT_EQ(table.score(3, 2).rightCombination, "insect+pleasant");
    // Out of range is ignored.
    table.scoreBlock(10, 1, block(5, {700}), 5, 5, labels);
    table.scoreBlock(1, 3, block(5, {700}), 5, 5, labels);
    EXPECT_EQ(table.score(10, 1).count, 0);
}

TEST(ScoreTable, ReportColumnsPairTheirLinesForTwoSessions)
{
    ScoreTable table;
    table.scoreBlock(1, 1,
                     block(20, {686, 686, 686, 686, 686, 686, 686, 686, 686, 686,
                                686, 686, 686, 686, 686, 686, 686, 686, 686, 683},
                           {0, 0, 1, 1, 0}),
                     20, 20, {"flower", "insect", "unpleasant", "pleasant"});
    table.scoreBlock(1, 2, block(40, {1000}), 40, 40, {"flower", "insect", "pleasant", "unpleasant"});
    table.scoreBlock(2, 1, block(12, {3500}, {2}), 12, 12, {"Fruit", "Tools", "Mine", "Theirs"});
    table.scoreBlock(2, 2, block(2, {700}), 2, 2, {"Tools", "Fruit", "Mine", "Theirs"});
    table.finish(2);

    EXPECT_EQ(table.leftColumnText(), "1   flower+unpleasant  or  insect+pleasant\n"
                                      "     flower+pleasant  or  insect+unpleasant\n"
                                      "\n"
                                      "2   Fruit+Mine  or  Tools+Theirs\n"
                                      "     Tools+Mine  or  Fruit+Theirs\n"
                                      "\n");
    // Errors of session 1, half 1: trials 3 to 20 follow 1,1,0,0,0 from trial 3: 8 over 18.
    EXPECT_EQ(table.rightColumnText(), "685        44%        18\n"
                                       "1000        0%        38\n"
                                       "\n"
                                       "3000        200%        10\n"
                                       "0        0%        1\n"
                                       "\n");
}
