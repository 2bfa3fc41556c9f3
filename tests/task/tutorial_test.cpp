#include <gtest/gtest.h>

#include <vector>

#include "engine_fakes.h"
#include "task/tutorial.h"

namespace {

// Records the pages and parts in order; each part is played through a real block
// engine answering every word correctly, or cut short with the skip key.
struct ScriptedTutorial : PageScreens, TutorialBlocks {
    std::vector<std::string> events;
    bool skipFirstPart = false;
    std::vector<std::string> firstWords;
    std::vector<std::vector<std::string>> instructions;

    void showPage(std::string_view text) override { events.push_back("page: " + std::string(text.substr(0, 30))); }
    BlockEnd runTutorialPart(int part, const BlockSettings& settings) override
    {
        events.push_back("part " + std::to_string(part));
        RecordingView view;
        SteppingClock clock;
        HeadlessPointer pointer;
        ScriptedRandom random({3, 1, 4, 1, 5, 9, 2, 6});
        FixedCalendar calendar;
        BlockEngine engine(view, clock, pointer, random, calendar);  // a new object per part
        engine.open(settings);
        engine.key(TaskCommand::StartBlock);
        firstWords.push_back(view.word);
        if (part == 1 && skipFirstPart) {
            engine.key(TaskCommand::SkipBlock);
        } else {
            while (engine.state() != BlockEngine::State::Closed) {
                const int i = engine.trialsPresented() - 1;
                const bool left = i == 0 || engine.plan().category[i] == 0;
                engine.key(left ? TaskCommand::LeftResponse : TaskCommand::RightResponse);
            }
        }
        instructions.push_back(view.instructions);
        return engine.end();
    }
};

}  // namespace

TEST(Tutorial, ShowsItsPagesAndTwoPartsInOrder)
{
    ScriptedTutorial t;
    runTutorial(t, t, 150);
    const std::vector<std::string> expected = {
        "page: THE CATEGORIZATION TASK:  INST", "page: THE CATEGORIZATION TASK:  INST",
        "page: A brief tutorial for the Categ", "part 1",
        "page: So far, you have been categori", "part 2",
        "page: You have now finished the tuto"};
    EXPECT_EQ(t.events, expected);
    EXPECT_EQ(t.firstWords, (std::vector<std::string>{"cobra", "cherry"}));
    EXPECT_STREQ(tutorialPages[4], "You have now finished the tutorial.");
}

TEST(Tutorial, PartsAreSetAsTheTutorialSays)
{
    const BlockSettings one = tutorialPartSettings(1, 150);
    EXPECT_EQ(one.type, BlockType::TutorialPairBlock);
    EXPECT_EQ(one.trials, 20);
    EXPECT_EQ(one.delay, 150u);
    EXPECT_EQ(one.labels, (std::array<std::string, 4>{"", "", "snake", "bird"}));
    EXPECT_EQ(one.instruction.substr(0, 48), "This is the screen for the Categorization task. ");
    const BlockSettings two = tutorialPartSettings(2, 0);
    EXPECT_EQ(two.type, BlockType::TutorialCombinedBlock);
    EXPECT_EQ(two.labels, (std::array<std::string, 4>{"red", "white", "snake", "bird"}));
    EXPECT_EQ(two.instruction, "Press the SPACE BAR to start.");
    EXPECT_EQ(two.items[1][0][2], "cherry");
}

TEST(Tutorial, NoMessageFromTheSeventhTrialOfTheFirstPartOn)
{
    ScriptedTutorial t;
    runTutorial(t, t, 0);
    // The first part's instruction texts, in the order shown: the opening text,
    // message 0 with "cobra", then for trials 2 to 7 an emptying and messages 1
    // to 6 (6 is empty), then only emptyings.
    const std::vector<std::string>& shown = t.instructions[0];
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown[1], tutorialMessages[0]);
    std::vector<std::string> messages;
    for (std::size_t k = 2; k < shown.size(); ++k)
        if (!shown[k].empty())
            messages.push_back(shown[k]);
    EXPECT_EQ(messages, (std::vector<std::string>{tutorialMessages[1], tutorialMessages[2], tutorialMessages[3],
                                                  tutorialMessages[4], tutorialMessages[5]}));
}

TEST(Tutorial, ASkippedPartGoesOnWithTheNextPage)
{
    ScriptedTutorial t;
    t.skipFirstPart = true;
    runTutorial(t, t, 0);
    EXPECT_EQ(t.events.size(), 7u);
    EXPECT_EQ(t.events[4], "page: So far, you have been categori");
}
