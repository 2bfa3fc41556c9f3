#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "task/engine_fakes.h"
#include "timing/timing_report.h"

namespace {

std::optional<TimingOptions> parse(const std::vector<std::string>& args, std::string* errorOut = nullptr)
{
    std::string error;
    auto options = parseTimingOptions(args, error);
    EXPECT_EQ(options.has_value(), error.empty());
    if (errorOut != nullptr)
        *errorOut = error;
    return options;
}

TEST(TimingOptions, DefaultsAndEveryForm)
{
    const auto d = parse({});
    ASSERT_TRUE(d);
    EXPECT_EQ(d->trials, 100);
    EXPECT_EQ(d->load, 0);
    EXPECT_FALSE(d->help);
    EXPECT_FALSE(d->x11);

    const auto o = parse({"--trials", "2", "--load", "64", "--x11"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->trials, 2);
    EXPECT_EQ(o->load, 64);
    EXPECT_TRUE(o->x11);

    const auto e = parse({"--trials=10000", "--load=3", "--load=1"});
    ASSERT_TRUE(e);
    EXPECT_EQ(e->trials, 10000);
    EXPECT_EQ(e->load, 1);  // the last one given

    EXPECT_TRUE(parse({"--help"})->help);
    EXPECT_TRUE(parse({"--trials", "50", "-h"})->help);
}

TEST(TimingOptions, RefusesWhatItCannotUseAndSaysWhy)
{
    std::string error;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{"--trials", "1"},
                                                                                      {"--trials", "10001"},
                                                                                      {"--trials", "12x"},
                                                                                      {"--trials", "-5"},
                                                                                      {"--trials="},
                                                                                      {"--trials", " 40"}}) {
        EXPECT_FALSE(parse(args, &error)) << args.back();
        EXPECT_NE(error.find("--trials"), std::string::npos) << error;
        EXPECT_NE(error.find("2 to 10000"), std::string::npos) << error;
    }
    for (const char* load : {"-1", "65", "two"}) {
        EXPECT_FALSE(parse({"--load", load}, &error));
        EXPECT_EQ(error, "bad value for --load: \"" + std::string(load) + "\" (a whole number from 0 to 64)");
    }
    EXPECT_FALSE(parse({"--mode", "poll"}, &error));
    EXPECT_EQ(error, "unknown option --mode");
    EXPECT_FALSE(parse({"--trials"}, &error));
    EXPECT_EQ(error, "--trials needs a value");
    EXPECT_FALSE(parse({"--load"}, &error));
    EXPECT_EQ(error, "--load needs a value");
    EXPECT_FALSE(parse({"--frames", "3"}, &error));
    EXPECT_EQ(error, "unknown option --frames");
    EXPECT_FALSE(parse({"300"}, &error));
    EXPECT_EQ(error, "unexpected argument 300");
    EXPECT_FALSE(parse({"--help=yes"}, &error));
}

TEST(TimingFigures, SummariseGivesSignedMeanAndSizesOfTheErrors)
{
    const Spread s = summarise({-4, 1, 2, 5});
    EXPECT_EQ(s.count, 4u);
    EXPECT_DOUBLE_EQ(s.mean, 1.0);
    EXPECT_DOUBLE_EQ(s.sd, std::sqrt(42.0 / 3));  // deviations -5, 0, 1, 4
    EXPECT_DOUBLE_EQ(s.max, 5.0);
    EXPECT_DOUBLE_EQ(s.p99, 5.0);

    EXPECT_DOUBLE_EQ(summarise({-7, 1}).max, 7.0);  // a negative error counts by its size

    const Spread none = summarise({});
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(std::tie(none.mean, none.sd, none.p99, none.max), std::tuple(0.0, 0.0, 0.0, 0.0));
    const Spread one = summarise({-2.5});
    EXPECT_EQ(std::tie(one.mean, one.sd, one.p99, one.max), std::tuple(-2.5, 0.0, 2.5, 2.5));
}

TEST(TimingFigures, NinetyNinthPercentileIsTheNearestRank)
{
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i)
        hundred.push_back(i);
    EXPECT_DOUBLE_EQ(summarise(hundred).p99, 99.0);  // rank 99 of 100
    hundred.push_back(101);
    EXPECT_DOUBLE_EQ(summarise(hundred).p99, 100.0);  // rank ceil(99.99) = 100 of 101
    EXPECT_DOUBLE_EQ(summarise({3, 1, 2}).p99, 3.0);
}

TEST(TimingFigures, ShareWithinCountsTheBoundaryAndBothSigns)
{
    EXPECT_DOUBLE_EQ(shareWithin({-1.0, 1.0, 1.001, -0.2}, 1.0), 0.75);
    EXPECT_DOUBLE_EQ(shareWithin({}, 1.0), 0.0);
}

// 100 latency errors: `late` of them `size` ms, the rest 0.4 ms.
TimingFigures latencies(int late, double size)
{
    TimingFigures f;
    for (int i = 0; i < 100; ++i)
        f.latencyErrors.push_back(i < late ? size : 0.4);
    f.delayErrors[0] = {0.01, 0.02};
    f.delayErrors[1] = {0.03};
    f.drawTimes = {0.5, 0.7};
    return f;
}

TEST(TimingVerdict, GradesBy99PercentWithinOneAndThreeMilliseconds)
{
    EXPECT_EQ(gradeLatencies(latencies(1, -1.5)), LatencyGrade::Exact);  // 99 of 100 within 1 ms
    EXPECT_EQ(gradeLatencies(latencies(2, -1.5)), LatencyGrade::Good);
    EXPECT_EQ(gradeLatencies(latencies(1, 50)), LatencyGrade::Exact);  // 1% may be off by anything
    EXPECT_EQ(gradeLatencies(latencies(2, 3.0)), LatencyGrade::Good);  // 3 ms itself is within
    EXPECT_EQ(gradeLatencies(latencies(2, 3.2)), LatencyGrade::Poor);
    EXPECT_EQ(gradeLatencies(TimingFigures{}), LatencyGrade::NotMeasured);
}

// Whether text, its lines joined by single spaces, contains part.
bool contains(const std::string& text, const std::string& part)
{
    std::istringstream words(text);
    std::string joined;
    for (std::string word; words >> word;)
        joined += (joined.empty() ? "" : " ") + word;
    return joined.find(part) != std::string::npos;
}

TEST(TimingVerdict, StatesTheGradeTheShareAndTheMark)
{
    const std::string exact = formatVerdict(latencies(1, 2));
    EXPECT_TRUE(contains(exact, "EXACT TO THE MILLISECOND. 99.0% of the recorded latencies")) << exact;
    EXPECT_TRUE(contains(exact, "(the mark: at least 99% within 1 ms)")) << exact;
    EXPECT_TRUE(contains(exact, "No trial was off by more than 10 ms (the largest error: 2.0 ms)")) << exact;

    const std::string good = formatVerdict(latencies(5, 2.5));
    EXPECT_TRUE(contains(good, "GOOD, not exact")) << good;
    EXPECT_TRUE(contains(good, "but only 95.0% within 1 ms")) << good;

    const std::string poor = formatVerdict(latencies(2, 12));
    EXPECT_TRUE(contains(poor, "NOT GOOD. Only 98.0%")) << poor;
    EXPECT_TRUE(contains(poor, "2 trials were off by more than 10 ms (the largest error: 12.0 ms)")) << poor;
    EXPECT_TRUE(contains(formatVerdict(latencies(1, -30)), "1 trial was off")) << poor;

    EXPECT_TRUE(contains(formatVerdict(TimingFigures{}), "nothing was measured"));
}

TEST(TimingVerdict, DelaysOfBothSettingsAreJudgedTogether)
{
    TimingFigures f = latencies(0, 0);
    f.delayErrors[0].assign(99, 0.05);
    f.delayErrors[1] = {2.5};
    EXPECT_TRUE(contains(formatVerdict(f), "Delays: KEPT. 99.0% of the next words"));
    f.delayErrors[1].push_back(1.9);
    f.delayErrors[1].push_back(-2.2);
    EXPECT_TRUE(contains(formatVerdict(f), "Delays: NOT KEPT. 98.0% of the next words"));
    // 196 of 198 (98.99%) is below the mark and reads so.
    f.delayErrors[0].assign(196, 0.05);
    f.delayErrors[1] = {2.5, -2.5};
    EXPECT_TRUE(contains(formatVerdict(f), "Delays: NOT KEPT. 98.9% of the next words")) << formatVerdict(f);
}

TEST(TimingVerdict, LinesFitATerminal)
{
    for (const std::string& text :
         {formatVerdict(latencies(5, 2.5)), formatVerdict(latencies(2, 12)), formatFigures(latencies(2, 12)),
          std::string(timingCoverageText()), std::string(timingUsageText())}) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            EXPECT_LE(line.size(), 88u) << line;
    }
}

TEST(TimingFigures, TableHasARowPerMeasureWithItsCount)
{
    const std::string table = formatFigures(latencies(2, 12));
    EXPECT_TRUE(contains(table, "latency error, recorded minus true")) << table;
    EXPECT_TRUE(contains(table, "true 100 +0.632 1.632 12.000 12.000")) << table;  // mean (98 x 0.4 + 24) / 100
    EXPECT_FALSE(contains(table, "reference window")) << table;
    TimingFigures withReference = latencies(2, 12);
    withReference.referenceLatencyErrors = {1.0, 3.0};
    EXPECT_TRUE(contains(formatFigures(withReference), "the same in a plain reference window 2 +2.000 1.414 3.000 "
                                                       "3.000"))
        << formatFigures(withReference);
    EXPECT_TRUE(contains(table, "key to next word, minus delay of 0 ms")) << table;
    EXPECT_TRUE(contains(table, "key to next word, minus delay of 250 ms")) << table;
    EXPECT_TRUE(contains(table, "within 1 ms of the true interval: 98.0% of trials; within 3 ms: 98.0%")) << table;
}

// The measuring block, run by the engine: the side the program computes for each
// word (its category against leftCategory) is the one the engine takes as correct.
TEST(TimingBlock, EveryWordIsAnsweredCorrectlyBySideOfItsCategory)
{
    RecordingView view;
    SteppingClock clock;
    HeadlessPointer pointer{{1280, 1024}};
    ScriptedRandom random{{5, 12, 3, 8, 1, 17, 9, 0, 14}};
    FixedCalendar calendar;
    BlockEngine engine{view, clock, pointer, random, calendar};

    const BlockSettings s = timingBlockSettings(100, 0);
    EXPECT_EQ(s.delay, 0u);
    TrialResults results;
    engine.open(s, &results);
    engine.key(TaskCommand::StartBlock);
    EXPECT_EQ(view.labels, (std::array<std::string, 4>{"Fruit", "Tools", "Furniture", "Animals"}));
    std::set<std::string> words;
    while (engine.state() != BlockEngine::State::Closed) {
        const int i = engine.trialsPresented() - 1;
        const int pair = engine.plan().pair[i];
        const bool left = engine.plan().category[i] == s.leftCategory[pair];
        const std::string& label = s.items[pair][engine.plan().category[i]][0].str();
        EXPECT_EQ(label, view.labels[pair * 2 + (left ? 0 : 1)]) << view.word;
        words.insert(view.word);
        engine.key(left ? TaskCommand::LeftResponse : TaskCommand::RightResponse);
    }
    EXPECT_EQ(engine.end(), BlockEnd::Completed);
    for (int t = 0; t < 100; ++t)
        EXPECT_EQ(results[t].wrongResponses, 0) << t;
    EXPECT_EQ(view.words.size(), 100u);
    EXPECT_GT(words.size(), 20u);  // drawn from all four categories
    EXPECT_FALSE(words.count(""));
}

TEST(TimingBlock, EveryCategoryHasEighteenWordsOfItsOwn)
{
    const BlockSettings s = timingBlockSettings(2, 250);
    EXPECT_EQ(s.delay, 250u);
    EXPECT_EQ(s.trials, 2);
    std::set<std::string> all;
    for (const auto& pair : s.items)
        for (const Entries& category : pair)
            for (int i = 1; i < maxEntries; ++i) {
                EXPECT_FALSE(category[i].str().empty());
                all.insert(category[i].str());
            }
    EXPECT_EQ(all.size(), 4u * maxItems);  // no word in two categories
}

}  // namespace

TEST(TimingFigures, TheKeyTimesLineSaysWhichClockAndWhy)
{
    ServerClockCalibration c;
    EXPECT_EQ(describeKeyTimes(c),
              "Key times: the clock when each key is handled (no round trip to the X server succeeded).");
    c = {true, 120, 450, 80, 7};
    EXPECT_EQ(describeKeyTimes(c), "Key times: the X server's own stamps (offset +0.12 ms, known to 0.45 ms, shortest "
                                   "round trip 0.08 ms, 7 round trips).");
    c.usable = false;
    c.offsetMicroseconds = -3400;
    EXPECT_NE(describeKeyTimes(c).find("too far off or too uncertain: offset -3.40 ms"), std::string::npos);
}

// Presented at refreshes, a next word is on time from the delay up to a refresh and a
// millisecond later, never before; the table names the source and its missed frames
// and gives the refresh and report rows in place of the drawing.
TEST(TimingFigures, PresentedWordsAreJudgedByTheRefreshAndTheReport)
{
    TimingFigures f = latencies(0, 0);
    f.onsetSource = OnsetSource::X11Present;
    f.refreshMs = 16.667;
    f.wordsShown = 90;
    f.framesMissed = 2;
    f.refreshJitter = {0.1, -0.1};
    f.reportDelays = {0.09, 0.11};
    const struct {
        double error;
        bool kept;
    } cases[] = {{-0.5, false}, {0.0, true}, {8.0, true}, {17.667, true}, {17.7, false}};
    for (const auto& c : cases)
        EXPECT_EQ(delayKept(f, c.error), c.kept) << c.error;
    const std::string table = formatFigures(f);
    EXPECT_TRUE(contains(table, "Onsets: X11 Present, every 16.667 ms; 90 words, 2 frames missed.")) << table;
    EXPECT_TRUE(contains(table, "refresh, reported minus predicted")) << table;
    EXPECT_TRUE(contains(table, "presentation report, arrival minus onset")) << table;
    EXPECT_FALSE(contains(table, "drawing a word")) << table;
    f.delayErrors[1] = {8.0, 16.0, 0.2};
    EXPECT_TRUE(contains(formatVerdict(f), "Delays: KEPT. 100.0% of the next words appeared at the first refresh"))
        << formatVerdict(f);
}
