#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <tuple>

#include "engine_fakes.h"
#include "support/sample_items.h"

namespace {

class BlockEngineTest : public ::testing::Test {
protected:
    RecordingView view;
    SteppingClock clock;
    HeadlessPointer pointer{{1280, 1024}};
    ScriptedRandom random{{5, 12, 3, 8, 1, 17, 9}};
    FixedCalendar calendar;
    BlockEngine engine{view, clock, pointer, random, calendar};
    TrialResults results{};

    BlockSettings settings(BlockType type, int trials, unsigned delay = 0)
    {
        BlockSettings s = sampleBlockSettings(trials, delay);
        s.type = type;
        return s;
    }

    // The run's unrun markers in every slot.
    void fillPlaceholders() { ::fillPlaceholders(results); }

    void open(const BlockSettings& s)
    {
        fillPlaceholders();
        engine.open(s, &results);
    }

    // Whether the word now shown belongs to the left key.
    bool leftIsCorrect(const BlockSettings& s) const { return leftIsCorrect(s, engine); }
    static bool leftIsCorrect(const BlockSettings& s, const BlockEngine& engine)
    {
        const int i = engine.trialsPresented() - 1;
        if (isTutorial(s.type))
            return i == 0 || engine.plan().category[i] == 0;
        return engine.plan().category[i] == s.leftCategory[engine.plan().pair[i]];
    }
    void answer(const BlockSettings& s, bool correct)
    {
        const bool left = leftIsCorrect(s) == correct;
        engine.key(left ? TaskCommand::LeftResponse : TaskCommand::RightResponse);
    }
    void runBlock(const BlockSettings& s)
    {
        engine.key(TaskCommand::StartBlock);
        while (engine.state() != BlockEngine::State::Closed)
            answer(s, true);
    }
};

}  // namespace

TEST_F(BlockEngineTest, OpeningShowsTheInstructionParksAndConfinesThePointer)
{
    const BlockSettings s = settings(BlockType::PairOneBlock, 20);
    open(s);
    EXPECT_EQ(engine.state(), BlockEngine::State::WaitingForStart);
    EXPECT_EQ(view.instruction, "Press the SPACE BAR to start.");
    EXPECT_EQ(view.labels, (std::array<std::string, 4>{}));
    EXPECT_TRUE(view.words.empty());
    // The window's frame (400 x 300 centred on 1280 x 1024), narrowed by a quarter
    // of the START button's 10 pixels (2) and shortened by half (5).
    EXPECT_EQ(pointer.confinement(), (ScreenRect{442, 362, 838, 657}));
    EXPECT_EQ(engine.savedConfinement(), (ScreenRect{0, 0, 1280, 1024}));
    // Home is the screen's corner: the confined pointer rests at the rectangle's.
    EXPECT_EQ(pointer.position(), (ScreenPoint{837, 656}));
}

// Notes, with each move asked of it, whether a confinement held the pointer then.
class MoveOrderPointer final : public Pointer {
public:
    HeadlessPointer inner{{1280, 1024}};
    std::vector<bool> movedWhileConfined;
    ScreenPoint position() override { return inner.position(); }
    void setPosition(ScreenPoint point) override
    {
        movedWhileConfined.push_back(inner.confinement() != ScreenRect{0, 0, 1280, 1024});
        inner.setPosition(point);
    }
    ScreenRect confinement() override { return inner.confinement(); }
    void setConfinement(ScreenRect rect) override { inner.setConfinement(rect); }
    ScreenSize screenSize() override { return inner.screenSize(); }
};

// Every move of a block, its first one home included, comes once the pointer is
// confined: a display system that takes a move outside the held window as the real
// pointer's position (XWayland) is never given one.
TEST(BlockEnginePointer, IsConfinedBeforeItIsMovedHome)
{
    RecordingView view;
    SteppingClock clock;
    MoveOrderPointer pointer;
    ScriptedRandom random{{5, 12, 3, 8, 1, 17, 9}};
    FixedCalendar calendar;
    BlockEngine engine{view, clock, pointer, random, calendar};
    TrialResults results{};
    BlockSettings s = sampleBlockSettings(4, 0);
    s.type = BlockType::PairOneBlock;
    engine.open(s, &results);
    engine.key(TaskCommand::StartBlock);
    while (engine.state() != BlockEngine::State::Closed)
        engine.key(engine.correctSideIsLeft() ? TaskCommand::LeftResponse : TaskCommand::RightResponse);
    ASSERT_EQ(pointer.movedWhileConfined.size(), 5u) << "home at the opening and after each of 4 responses";
    EXPECT_EQ(std::count(pointer.movedWhileConfined.begin(), pointer.movedWhileConfined.end(), false), 0);
}

// The frame is narrowed where it stands, whatever its offset (a second monitor, a
// window manager's frame): its position is never added twice.
TEST(ConfinementRect, NarrowsTheFrameWhereItStandsTruncatingTowardZero)
{
    const struct {
        ScreenRect frame;
        int h;
        ScreenRect rect;
    } cases[] = {
        {{10, 20, 411, 321}, 11, {12, 20, 409, 316}},          // 11 / 4 = 2, 11 / 2 = 5
        {{-100, 0, 901, 600}, 4, {-99, 0, 900, 598}},          // wider than the screen
        {{2240, 362, 2640, 662}, 10, {2242, 362, 2638, 657}},  // on a second monitor
    };
    for (const auto& c : cases)
        EXPECT_EQ(confinementRect(c.frame, c.h), c.rect);
}

TEST_F(BlockEngineTest, KeysBeforeStartAreIgnoredAndASecondStartDoesNothing)
{
    const BlockSettings s = settings(BlockType::PairOneBlock, 10);
    open(s);
    engine.key(TaskCommand::LeftResponse);
    engine.key(TaskCommand::RightResponse);
    EXPECT_EQ(view.feedbackCount, 0);
    EXPECT_EQ(engine.trialsPresented(), 0);

    engine.key(TaskCommand::StartBlock);
    EXPECT_EQ(view.labels, s.labels);
    EXPECT_EQ(engine.trialsPresented(), 1);
    EXPECT_EQ(view.instruction, "");
    const std::string firstWord = view.word;

    // A command without a key press after the word appeared (a click on a
    // response button) is not armed.
    engine.respond(true);
    engine.respond(false);
    EXPECT_EQ(view.feedbackCount, 0);

    engine.key(TaskCommand::StartBlock);
    EXPECT_EQ(engine.trialsPresented(), 1);
    EXPECT_EQ(view.word, firstWord);
    EXPECT_EQ(view.words.size(), 1u);
}

TEST_F(BlockEngineTest, AWrongResponseMustBeCorrectedAndCountsInTheLatency)
{
    const BlockSettings s = settings(BlockType::PairOneBlock, 3, 250);
    open(s);
    engine.key(TaskCommand::StartBlock);
    const std::string word = view.word;

    clock.advanceMilliseconds(400);
    answer(s, false);
    EXPECT_EQ(engine.state(), BlockEngine::State::Correcting);
    EXPECT_FALSE(view.lastFeedbackCorrect);
    EXPECT_EQ(view.word, word) << "the word stays after a wrong response";
    EXPECT_EQ(results[0].latency, 99999) << "nothing is recorded for a wrong response";
    EXPECT_EQ(engine.trialsPresented(), 1) << "no delay, no next word";

    clock.advanceMilliseconds(300);
    answer(s, false);
    clock.advanceMilliseconds(300);
    answer(s, false);
    clock.advanceMilliseconds(300);
    const std::int64_t before = clock.now;
    const bool left = leftIsCorrect(s);
    answer(s, true);
    EXPECT_TRUE(view.lastFeedbackCorrect);
    const TrialResult& r = results[0];
    EXPECT_EQ(r.latency, 1300);  // from the word's onset, corrections included
    EXPECT_EQ(r.wrongResponses, 3);
    EXPECT_EQ(r.responseSide, left ? "l" : "r");
    EXPECT_EQ(r.trialNumber, 1);
    EXPECT_EQ(r.word, word);

    // The delay was waited on the clock before the next word appeared, and the
    // next trial starts with no wrong responses.
    EXPECT_EQ(engine.trialsPresented(), 2);
    EXPECT_GE(engine.onsetMicroseconds() - before, 250'000);
    clock.advanceMilliseconds(500);
    answer(s, true);
    EXPECT_EQ(results[1].wrongResponses, 0);
    EXPECT_EQ(results[1].latency, 500);
}

TEST_F(BlockEngineTest, RecordsTheSideOfTheCorrectKeyAndSendsThePointerHome)
{
    const BlockSettings s = settings(BlockType::PairOneBlock, 16);
    open(s);
    engine.key(TaskCommand::StartBlock);
    for (int t = 0; t < 16; ++t) {
        const bool left = leftIsCorrect(s);
        pointer.setPosition({600, 500});
        answer(s, true);
        EXPECT_EQ(results[t].responseSide, left ? "l" : "r");
        EXPECT_EQ(pointer.position(), (ScreenPoint{837, 656})) << "trial " << t;
    }
}

TEST_F(BlockEngineTest, TotalsLeaveOutTheFirstTrial)
{
    const BlockSettings s = settings(BlockType::PairOneBlock, 20);
    open(s);
    engine.key(TaskCommand::StartBlock);
    for (int t = 0; t < 20; ++t) {
        clock.advanceMilliseconds(t == 0 ? 5000 : 900);
        answer(s, true);
    }
    EXPECT_EQ(engine.state(), BlockEngine::State::Closed);
    EXPECT_EQ(view.closedWith, BlockEnd::Completed);
    EXPECT_DOUBLE_EQ(engine.totals().totalLatency, 17100);
    EXPECT_DOUBLE_EQ(engine.totals().percentCorrect, 100);
    // The completed block gave the pointer back its earlier freedom.
    EXPECT_EQ(pointer.confinement(), (ScreenRect{0, 0, 1280, 1024}));
    EXPECT_EQ(view.word, "");
}

TEST(BlockTotals, CountEveryWrongResponseOverTrialsTwoToN)
{
    TrialResults results{};
    results[4].wrongResponses = 3;
    results[0].wrongResponses = 5;  // the first trial does not count
    EXPECT_DOUBLE_EQ(computeTotals(results, 11).percentCorrect, 70);
    // More wrong responses than trials counted: the formula goes negative.
    results[4].wrongResponses = 11;
    EXPECT_DOUBLE_EQ(computeTotals(results, 11).percentCorrect, -10);
    // No trials: 0 ms and 100 percent; one trial: nothing to count.
    EXPECT_DOUBLE_EQ(computeTotals(results, 0).percentCorrect, 100);
    EXPECT_DOUBLE_EQ(computeTotals(results, 0).totalLatency, 0);
    results[0].latency = 700;
    EXPECT_DOUBLE_EQ(computeTotals(results, 1).percentCorrect, 100);
    EXPECT_DOUBLE_EQ(computeTotals(results, 1).totalLatency, 0);
}

TEST_F(BlockEngineTest, ABlockOfNoTrialsEndsAtItsStart)
{
    const BlockSettings s = settings(BlockType::CombinedBlock, 0);
    open(s);
    engine.key(TaskCommand::StartBlock);
    EXPECT_EQ(engine.state(), BlockEngine::State::Closed);
    EXPECT_EQ(view.closedWith, BlockEnd::Completed);
    EXPECT_TRUE(view.words.empty());
    EXPECT_DOUBLE_EQ(engine.totals().totalLatency, 0);
    EXPECT_DOUBLE_EQ(engine.totals().percentCorrect, 100);
}

TEST_F(BlockEngineTest, CutShortBlocksKeepPlaceholdersZeroTotalsAndGiveTheConfinementBack)
{
    for (const auto& [command, expected] : {std::pair{TaskCommand::SkipBlock, BlockEnd::Skipped}}) {
        const BlockSettings s = settings(BlockType::CombinedBlock, 10);
        open(s);
        engine.key(TaskCommand::StartBlock);
        answer(s, true);
        answer(s, true);
        engine.key(command);
        EXPECT_EQ(engine.state(), BlockEngine::State::Closed);
        EXPECT_EQ(view.closedWith, expected);
        EXPECT_NE(results[1].latency, 99999);
        // The third word was shown but not answered: its identity is recorded, its
        // latency, wrong responses and key keep the markers.
        EXPECT_EQ(results[2].trialNumber, 3);
        for (int t = 2; t < 10; ++t) {
            EXPECT_EQ(results[t].latency, 99999);
            EXPECT_EQ(results[t].wrongResponses, 99);
            EXPECT_EQ(results[t].responseSide, "9");
            if (t > 2) {
                EXPECT_EQ(results[t].trialNumber, 99);
            }
        }
        EXPECT_DOUBLE_EQ(engine.totals().totalLatency, 0);
        EXPECT_DOUBLE_EQ(engine.totals().percentCorrect, 0);
        EXPECT_EQ(pointer.confinement(), (ScreenRect{0, 0, 1280, 1024})) << "the engine restores it";
        // Nothing more happens in a closed window.
        answer(s, true);
        EXPECT_EQ(engine.trialsPresented(), 3);
    }
    // The skip key closes also before the start.
    open(settings(BlockType::PairOneBlock, 5));
    engine.key(TaskCommand::SkipBlock);
    EXPECT_EQ(view.closedWith, BlockEnd::Skipped);
}

TEST_F(BlockEngineTest, ConductingABlockRecordsInTheCallersSlotsAndSaysWhatItCameTo)
{
    // Run one after the other on one engine: the cut block's totals start from zero.
    const struct {
        BlockType type;
        int trials, cutAfter;
        BlockEnd end;
        int answered, recorded;
        double percent;
    } cases[] = {
        {BlockType::CombinedBlock, 4, -1, BlockEnd::Completed, 4, 4, 100},
        {BlockType::PairOneBlock, 6, 2, BlockEnd::Skipped, 2, 2, 0},
        {BlockType::TutorialPairBlock, 4, -1, BlockEnd::Completed, 4, 0, 0},  // a tutorial part records nothing
    };
    for (const auto& c : cases) {
        ::fillPlaceholders(results);
        const BlockSettings s = settings(c.type, c.trials);
        const BlockRun run = conductBlock(engine, s, &results, [&] {
            engine.key(TaskCommand::StartBlock);
            for (int n = 0; engine.state() != BlockEngine::State::Closed; ++n)
                n == c.cutAfter ? engine.key(TaskCommand::SkipBlock) : answer(s, true);
        });
        EXPECT_EQ(std::tuple(run.end, run.trialsAnswered, run.totals.percentCorrect),
                  std::tuple(c.end, c.answered, c.percent));
        EXPECT_EQ(std::count_if(results.begin(), results.end(),
                                [](const TrialResult& r) { return r.latency != 99999; }),
                  c.recorded);
        EXPECT_EQ(pointer.confinement(), (ScreenRect{0, 0, 1280, 1024}));
    }
}

namespace {

// Reads the engine's correct side while each word is being drawn, as truv-timing does.
struct SideAtDrawing : RecordingView {
    const BlockEngine* engine = nullptr;
    bool side = false;  // at the last word drawn
    void drawWord(std::string_view w, TextColour colour) override
    {
        side = w.empty() ? side : engine->correctSideIsLeft();
        RecordingView::drawWord(w, colour);
    }
};

}  // namespace

TEST_F(BlockEngineTest, TheCorrectSideIsKnownAsTheWordIsDrawn)
{
    for (const BlockType type :
         {BlockType::CombinedBlock, BlockType::TutorialPairBlock, BlockType::TutorialCombinedBlock}) {
        for (const std::array<int, 2> left : {std::array{0, 1}, std::array{1, 0}}) {
            SideAtDrawing view;
            BlockEngine e(view, clock, pointer, random, calendar);
            view.engine = &e;
            BlockSettings s = settings(type, 12);
            s.leftCategory = left;
            e.open(s);
            e.key(TaskCommand::StartBlock);
            while (e.state() != BlockEngine::State::Closed) {
                const bool expected = leftIsCorrect(s, e);
                EXPECT_EQ(view.side, expected) << static_cast<int>(type) << e.trialsPresented();
                e.key(expected ? TaskCommand::LeftResponse : TaskCommand::RightResponse);
            }
        }
    }
}

TEST_F(BlockEngineTest, CombinedBlocksAlternateAndThePhaseOutlivesTheBlock)
{
    BlockSettings s = settings(BlockType::CombinedBlock, 20);
    for (int block = 0; block < 3; ++block) {
        open(s);
        runBlock(s);
        for (int t = 0; t < 20; ++t)
            EXPECT_EQ(engine.plan().pair[t], (t + 1) % 2) << "block " << block << " trial " << t;
    }
    // An odd number of trials planned before turns the next combined block around.
    open(settings(BlockType::PairOneBlock, 3));
    runBlock(settings(BlockType::PairOneBlock, 3));
    open(s);
    runBlock(s);
    EXPECT_EQ(engine.plan().pair[0], 0);
    EXPECT_EQ(engine.plan().pair[1], 1);
}

TEST_F(BlockEngineTest, EveryItemAppearsOnceBeforeAnyRepeatsAndUrnsStartFull)
{
    BlockSettings s = settings(BlockType::CombinedBlock, 100);
    s.usableItemCount = 5;  // items 1 to 4
    CRandomGenerator crandom;
    BlockEngine real(view, clock, pointer, crandom, calendar);
    for (int block = 0; block < 2; ++block) {
        real.open(s);
        real.key(TaskCommand::StartBlock);
        std::map<std::pair<int, int>, std::vector<int>> drawn;
        for (int t = 0; t < 100; ++t)
            drawn[{real.plan().pair[t], real.plan().category[t]}].push_back(real.plan().item[t]);
        for (const auto& [key, items] : drawn) {
            for (std::size_t start = 0; start + 4 <= items.size(); start += 4) {
                const std::set<int> round(items.begin() + start, items.begin() + start + 4);
                EXPECT_EQ(round, (std::set<int>{1, 2, 3, 4})) << "block " << block;
            }
        }
        real.close(BlockEnd::Skipped);
    }
}

TEST_F(BlockEngineTest, TheLeftCategoryReversesWhichCategoryASideShows)
{
    BlockSettings s = settings(BlockType::CombinedBlock, 32);
    s.leftCategory = {1, 0};
    open(s);
    runBlock(s);
    const TrialPlan& plan = engine.plan();
    for (int t = 0; t < 32; ++t) {
        const int side = sideAt(plan.startRow, t);
        const int expected = plan.pair[t] == 0 ? 1 - side : side;
        EXPECT_EQ(plan.category[t], expected) << t;
        // The recorded key is the side: left for side 0.
        EXPECT_EQ(results[t].responseSide, side == 0 ? "l" : "r") << t;
    }
}

TEST(SideTable, EveryRowIsBalancedWithoutRunsLongerThanThree)
{
    for (int row = 0; row < sideTableRows; ++row) {
        const std::string values = sideTable[row];
        ASSERT_EQ(values.size(), 16u);
        EXPECT_EQ(std::count(values.begin(), values.end(), '1'), 8) << row;
        EXPECT_EQ(values.find("0000"), std::string::npos) << row;
        EXPECT_EQ(values.find("1111"), std::string::npos) << row;
    }
    EXPECT_STREQ(sideTable[0], "1011010001001011");
    EXPECT_STREQ(sideTable[12], "1001100011000111");
    EXPECT_STREQ(sideTable[19], "0010110101001011");
}

TEST(SideTable, IsReadRowByRowCyclicallyFromTheStartingRow)
{
    // Row 19, then row 0, then row 1.
    for (int t = 0; t < 16; ++t) {
        EXPECT_EQ(sideAt(19, t), sideTable[19][t] - '0');
        EXPECT_EQ(sideAt(19, 16 + t), sideTable[0][t] - '0');
        EXPECT_EQ(sideAt(19, 32 + t), sideTable[1][t] - '0');
    }
    // The plan takes its starting row from one draw over the 20 rows.
    ScriptedRandom random({19});
    FixedCalendar calendar;
    int phase = 0;
    const TrialPlan plan = buildTrialPlan(BlockType::PairOneBlock, 19, {0, 0}, 40, phase, random, calendar);
    EXPECT_EQ(plan.startRow, 19);
    for (int t = 0; t < 40; ++t)
        EXPECT_EQ(plan.category[t], sideAt(19, t));
}

TEST_F(BlockEngineTest, WithNoDelayTheNextWordFollowsAtOnce)
{
    const BlockSettings s = settings(BlockType::PairOneBlock, 5, 0);
    open(s);
    engine.key(TaskCommand::StartBlock);
    const int readsBefore = clock.reads;
    answer(s, true);
    EXPECT_EQ(engine.state(), BlockEngine::State::WordShown);
    EXPECT_LE(clock.reads - readsBefore, 4);  // response, delay start and end, onset
}

TEST_F(BlockEngineTest, TheTutorialsFirstPartShowsItsMessagesAndRecordsNothing)
{
    BlockSettings s = settings(BlockType::TutorialPairBlock, 20, 0);
    s.items = tutorialItemTable();
    s.labels = {"", "", "snake", "bird"};
    open(s);
    engine.key(TaskCommand::StartBlock);
    EXPECT_EQ(view.word, "cobra");
    EXPECT_EQ(view.instruction, tutorialMessages[0]);
    // "cobra" is a snake: the right key is wrong and the word stays.
    engine.key(TaskCommand::RightResponse);
    EXPECT_FALSE(view.lastFeedbackCorrect);
    EXPECT_EQ(view.word, "cobra");
    engine.key(TaskCommand::LeftResponse);
    for (int i = 1; i < 20; ++i) {
        const std::string expected = i <= 6 ? tutorialMessages[i] : "";
        EXPECT_EQ(view.instruction, expected) << "trial " << i + 1;
        const int item = engine.plan().item[i];
        EXPECT_GE(item, 1);
        EXPECT_LE(item, 5);
        EXPECT_EQ(view.word, tutorialItemTable()[0][engine.plan().category[i]][item].str());
        answer(s, true);
    }
    EXPECT_EQ(view.closedWith, BlockEnd::Completed);
    for (TextColour c : view.colours)
        EXPECT_EQ(c, TextColour::Pair2);
    EXPECT_EQ(results[0].latency, 99999);
    EXPECT_EQ(results[5].trialNumber, 99);
    EXPECT_DOUBLE_EQ(engine.totals().percentCorrect, 0);
}

TEST_F(BlockEngineTest, TheTutorialsSecondPartStartsWithCherryAndEmptiesItsMessageAtEveryResponse)
{
    BlockSettings s = settings(BlockType::TutorialCombinedBlock, 20, 0);
    s.items = tutorialItemTable();
    open(s);
    engine.key(TaskCommand::StartBlock);
    EXPECT_EQ(view.word, "cherry");
    EXPECT_EQ(view.colours.back(), TextColour::Pair1);
    EXPECT_EQ(view.instruction, tutorialMessages[7]);
    engine.key(TaskCommand::RightResponse);  // "cherry" is red: left
    EXPECT_EQ(view.instruction, "");
    EXPECT_EQ(view.word, "cherry");
    engine.key(TaskCommand::LeftResponse);
    EXPECT_EQ(view.instruction, tutorialCombinedMessages[0]);
    answer(s, true);
    EXPECT_EQ(view.instruction, tutorialCombinedMessages[1]);
    answer(s, true);
    EXPECT_EQ(view.instruction, "");
    // Pair B (red/white, upper row) first, then pair A, alternating.
    for (int t = 0; t < 20; ++t)
        EXPECT_EQ(engine.plan().pair[t], (t + 1) % 2);
    while (engine.state() != BlockEngine::State::Closed)
        answer(s, true);
    for (std::size_t w = 1; w < view.words.size(); ++w)
        EXPECT_EQ(view.colours[w], engine.plan().pair[w] == 0 ? TextColour::Pair2 : TextColour::Pair1) << w;
}

TEST(TrialPlan, TutorialItemsAreDrawnWithReplacement)
{
    // A generator that always answers 0 gives item 1 every time with replacement.
    ScriptedRandom random({0});
    FixedCalendar calendar;
    int phase = 0;
    const TrialPlan plan = buildTrialPlan(BlockType::TutorialPairBlock, 19, {1, 1}, 20, phase, random, calendar);
    for (int t = 0; t < 20; ++t) {
        EXPECT_EQ(plan.item[t], 1);
        EXPECT_EQ(plan.category[t], sideAt(plan.startRow, t)) << "no reversal in the tutorial";
    }
}

// Which time a response gets, and where the delay counts from: the key's server stamp
// with a usable calibration (the delay then runs from it), the handling time without
// one, and the handling time for a key stamped before the word appeared.
TEST_F(BlockEngineTest, AResponseIsTimedFromItsKeyStampAndTheDelayRunsFromTheResponse)
{
    const BlockSettings s = settings(BlockType::PairOneBlock, 4, 100);
    ServerClockCalibration calibrated;
    calibrated.usable = true;
    open(s);
    engine.setServerClock(calibrated);
    engine.key(TaskCommand::StartBlock);
    const auto key = [&](std::optional<std::uint32_t> stamp) {
        engine.key(leftIsCorrect(s) ? TaskCommand::LeftResponse : TaskCommand::RightResponse, stamp);
    };
    const auto stampAfterOnset = [&](int ms) {
        return static_cast<std::uint32_t>((engine.onsetMicroseconds() + ms * 1000) / 1000);
    };

    // Pressed 300 ms after the onset, handled 80 ms later: 300 ms, and the next word
    // 100 ms after the press (the clock moves on as it is read, so a little later).
    std::uint32_t stamp = stampAfterOnset(300);
    clock.advanceMilliseconds(380);
    key(stamp);
    EXPECT_NEAR(results[0].latency, 300, 1);
    const std::int64_t pressed = std::int64_t(stamp) * 1000 + 500;
    EXPECT_GE(engine.onsetMicroseconds() - pressed, 100'000);
    EXPECT_LT(engine.onsetMicroseconds() - pressed, 101'000);

    // A key stamped before this word's onset (pressed during the delay): from handling.
    stamp = stampAfterOnset(-50);
    clock.advanceMilliseconds(20);
    key(stamp);
    EXPECT_NEAR(results[1].latency, 20, 1);

    // Without a usable calibration the stamp is not used.
    engine.setServerClock({});
    stamp = stampAfterOnset(5);
    clock.advanceMilliseconds(250);
    key(stamp);
    EXPECT_NEAR(results[2].latency, 250, 1);
}

// A display at 60 Hz that reports every presentation at its target refresh, or, for
// the words listed as late, one refresh after it; showing a word takes until the
// report, as the task window waits for it.
class PresentingView final : public RecordingView {
public:
    SteppingClock& clock;
    RefreshClock refreshes;
    std::vector<PlannedWord> prepared;
    std::vector<Refresh> targets;
    std::set<int> late;
    // A picture sent less than this before its refresh is shown at the next one.
    std::int64_t needsAhead = 0;
    explicit PresentingView(SteppingClock& c) : clock(c)
    {
        refreshes.observe({10, 0});
        refreshes.observe({11, 16'667});
    }
    OnsetSource onsetSource() override { return OnsetSource::X11Present; }
    const RefreshClock* refreshClock() override { return &refreshes; }
    void prepareWords(const std::vector<PlannedWord>& w) override { prepared = w; }
    Presentation presentWord(int index, Refresh target) override
    {
        targets.push_back(target);
        words.push_back(prepared.at(static_cast<std::size_t>(index)).text);
        const bool missed = late.count(index) > 0 || target.time - clock.now < needsAhead;
        const Refresh shown = missed ? Refresh{target.count + 1, target.time + 16'667} : target;
        refreshes.observe(shown);
        clock.now = std::max(clock.now, shown.time);
        return {shown.time, missed, shown.time - target.time, shown.count};
    }
};

// A block engine on a presenting view, and what it runs on.
struct PresentingRig {
    SteppingClock clock;
    PresentingView view{clock};  // refresh n at (n - 10) x 16,667 us
    HeadlessPointer pointer{{1280, 1024}};
    ScriptedRandom random{{5, 12, 3, 8, 1, 17, 9}};
    FixedCalendar calendar;
    BlockEngine engine{view, clock, pointer, random, calendar};
};

// With a display that reports its refreshes, every word is shown at the first refresh
// at or after the moment it is due (START, or the response plus the delay), its onset
// is the reported refresh, latencies count from it, and the words shown, the missed
// ones and the worst lateness are kept for the timing record.
TEST(BlockEnginePresenting, ShowsEachWordAtARefreshAndTimesItFromTheReport)
{
    PresentingRig rig;
    auto& [clock, view, pointer, random, calendar, engine] = rig;
    clock.now = 1'000'000;
    view.late = {2};
    TrialResults results{};
    fillPlaceholders(results);
    const unsigned delay = 250;
    engine.open(sampleBlockSettings(5, delay), &results);
    engine.key(TaskCommand::StartBlock);
    ASSERT_EQ(view.prepared.size(), 5u) << "every word made ready before the first";
    EXPECT_TRUE(view.word.empty()) << "nothing drawn the old way";

    std::vector<std::int64_t> responses;
    while (engine.state() != BlockEngine::State::Closed) {
        const std::int64_t onset = engine.onsetMicroseconds();
        clock.now = onset + 431'000;  // answered 431 ms after the reported onset
        responses.push_back(clock.now);
        engine.key(engine.correctSideIsLeft() ? TaskCommand::LeftResponse : TaskCommand::RightResponse);
    }
    ASSERT_EQ(view.targets.size(), 5u);
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(results[t].latency, 431) << t;
        EXPECT_EQ(results[t].word.str(), view.prepared[t].text) << t;
    }
    for (std::size_t k = 1; k < view.targets.size(); ++k) {
        // The response-to-target interval lies within [delay, delay + one refresh).
        const std::int64_t wait = view.targets[k].time - responses[k - 1];
        EXPECT_GE(wait, delay * 1000) << k;
        EXPECT_LT(wait, delay * 1000 + 16'667) << k;
    }
    const BlockTiming& timing = engine.timing();
    EXPECT_EQ(timing.source, OnsetSource::X11Present);
    EXPECT_EQ(timing.wordsShown, 5);
    EXPECT_EQ(timing.framesMissed, 1);
    EXPECT_NEAR(static_cast<double>(timing.mostLate), 16'667, 1);
    EXPECT_NEAR(timing.refreshMicroseconds, 16'666.7, 0.5);
}

// The target refresh is the first at or after the word is due that a picture sent now
// can still reach (presentationLeadMicroseconds ahead), and before any refresh is known
// the display's next one (count 0).
TEST(BlockEnginePresenting, ARefreshTooCloseToReachIsLeftForTheNextAndAnUnknownClockGivesTheNext)
{
    const struct {
        bool known;
        std::int64_t startAt;  // the clock when START is pressed
        std::uint64_t expectedCount;
    } cases[] = {
        {true, 166'670 - 5'000, 20},  // refresh 20 is 5 ms ahead: that one
        {true, 166'670 - 500, 21},    // 0.5 ms ahead: too close, the next
        {false, 166'670 - 5'000, 0},  // no refresh known yet: the display's next
    };
    for (const auto& c : cases) {
        PresentingRig rig;
        auto& [clock, view, pointer, random, calendar, engine] = rig;
        clock.now = c.startAt;
        TrialResults results{};
        engine.open(sampleBlockSettings(2, 0), &results);
        if (!c.known)
            view.refreshes = RefreshClock();
        engine.key(TaskCommand::StartBlock);
        ASSERT_EQ(view.targets.size(), 1u);
        EXPECT_EQ(view.targets[0].count, c.expectedCount) << c.startAt;
    }
}

// A display that shows a picture a refresh late unless it has it 8 ms ahead: the first
// such word is missed, and from then on the words are sent far enough ahead.
TEST(BlockEnginePresenting, TheLeadADisplayNeedsIsLearnedFromItsLateWords)
{
    PresentingRig rig;
    auto& [clock, view, pointer, random, calendar, engine] = rig;
    clock.now = 1'000'000;
    view.needsAhead = 8'000;
    TrialResults results{};
    engine.open(sampleBlockSettings(5, 0), &results);
    clock.now = 1'010'000;  // START 6.7 ms before a refresh: that word is late
    engine.key(TaskCommand::StartBlock);
    while (engine.state() != BlockEngine::State::Closed) {
        // Answered 2.3 ms before a refresh: reachable with the first lead, not in time
        // for this display.
        clock.now = engine.onsetMicroseconds() + 14'325;
        engine.key(engine.correctSideIsLeft() ? TaskCommand::LeftResponse : TaskCommand::RightResponse);
    }
    EXPECT_EQ(engine.timing().wordsShown, 5);
    EXPECT_EQ(engine.timing().framesMissed, 1);
}
