#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "run/output_files.h"
#include "run/run_driver.h"
#include "run/subject_page.h"
#include "common/small_file_system.h"
#include "common/temp_directory.h"
#include "files/input_file.h"
#include "instructions/instruction_pages.h"
#include "questionnaire/document_builder.h"
#include "questionnaire/questionnaire_runner.h"
#include "support/scripted_run_screens.h"

namespace {

using Fields = std::vector<std::string>;

const std::string keysPageStart = "page: When doing the Categorization Task, use the green keys";
const std::string reviewOffer =
    "page: Before you begin the Categorization Task, we want you to look at the lists of words that you will be "
    "categorizing.";
const std::string firstHalfPage =
    "page: The next blocks are for practice.  These practice blocks will allow you to become used to the categories "
    "and their positions before we actually record your responses.";
const std::string switchPage =
    "page: For the next several blocks of category judgments, the position of one of the categories has been "
    "switched.  There will be practice blocks to allow you to become used to the new category position before we "
    "actually record your responses.";
const std::string newCategoryPage =
    "page: For the next series of blocks, a new category of items will be used.  There will be practice blocks to "
    "allow you to become used to the new category before we record your responses.";
const std::string recordedPage =
    "page: You have now completed the practice blocks.  The next block will be recorded.  \n\nPlease note that "
    "there may not be the same number of items in the next block as there were in the practice blocks.";
const std::string unusableInput =
    "file error: Error:  Program cannot continue because the input file or a file it names cannot be used: | ";
const std::string missingFile =
    "file error: Error:  Program cannot continue because a file specified in the input file has not been found.  "
    "Please check that the following file directory and file name are correct:  | ";

constexpr int blockColumn = 13;
constexpr int sessionColumn = 1;
constexpr int itemColumn = 18;

WordList wordList(const std::string& labelA, const std::string& prefixA, const std::string& labelB,
                  const std::string& prefixB, int items)
{
    WordList list;
    list.entriesA[0].assign(labelA);
    list.entriesB[0].assign(labelB);
    for (int i = 1; i <= items; ++i) {
        list.entriesA[i].assign(prefixA + std::to_string(i));
        list.entriesB[i].assign(prefixB + std::to_string(i));
    }
    list.entryCountA = list.entryCountB = items + 1;
    return list;
}

SessionSettings sessionOf(const std::string& cat1, const std::string& cat2, int catsw = 1)
{
    SessionSettings s;
    s.Cat1.assign(cat1);
    s.Cat2.assign(cat2);
    s.Catsw = catsw;
    s.nPrac = 4;
    s.nReal = 6;
    return s;
}

std::vector<std::string> splitLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = bytes.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(bytes.substr(from, end - from));
    EXPECT_EQ(from, bytes.size()) << "a line without CR LF";
    return lines;
}

Fields splitFields(const std::string& line)
{
    Fields fields;
    std::size_t from = 0;
    for (std::size_t end; (end = line.find('\t', from)) != std::string::npos; from = end + 1)
        fields.push_back(line.substr(from, end - from));
    return fields;
}

class RunDriverTest : public ::testing::Test {
protected:
    TempDirectory dir;
    ScriptedRunScreens screens;
    ExperimentDefinition definition;

    void SetUp() override
    {
        writeList("Fruit.wls", wordList("Fruit", "f", "Tools", "t", 6));
        writeList("Mine.wls", wordList("Mine", "m", "Theirs", "h", 6));
        InstructionPages pages;
        pages.pageCount = 2;
        pages.pageTexts[0].assign("Welcome");
        pages.pageTexts[1].assign("Second page");
        ASSERT_TRUE(writeInstructionFile(pages, dir.file("intro.bgi")));
        definition.instructionFileName.assign("intro.bgi");
        setSessions({sessionOf("Fruit.wls", "Mine.wls")});

        SubjectPageEntries entries;
        entries.inputPath = dir.file("study.inp");
        entries.dataPath = dir.file("out.dat");
        entries.sexIndex = 1;
        entries.otherCode = "grpA";
        screens.subject = makeSubjectRecord(entries, 42, {2026, 3, 9, 14, 5, 0});
        screens.exitCodes = {"zup"};
        // Rescue files go to the test's own folder.
        if (const char* data = std::getenv("XDG_DATA_HOME"))
            savedDataHome = data;
        setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
    }
    void TearDown() override
    {
        if (savedDataHome)
            setenv("XDG_DATA_HOME", savedDataHome->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    std::optional<std::string> savedDataHome;

    void writeList(const std::string& name, const WordList& list)
    {
        ASSERT_TRUE(writeWordListFile(list, dir.file(name)));
    }

    void setSessions(const std::vector<SessionSettings>& sessions)
    {
        definition.sessionCount = static_cast<int>(sessions.size());
        std::copy(sessions.begin(), sessions.end(), definition.sessions.begin());
    }

    RunOutcome run()
    {
        EXPECT_TRUE(writeInputFile(definition, dir.file("study.inp")));
        RunDriver driver(screens);
        return driver.runExperiment({2026, 3, 9, 14, 5, 0});
    }

    // The data file's lines after its header, split into fields.
    std::vector<Fields> dataLines()
    {
        const std::vector<std::string> lines = splitLines(dir.read("out.dat"));
        EXPECT_FALSE(lines.empty());
        EXPECT_EQ(lines.empty() ? "" : lines[0] + "\r\n", dataFileHeader());
        std::vector<Fields> fields;
        for (std::size_t i = 1; i < lines.size(); ++i)
            fields.push_back(splitFields(lines[i]));
        return fields;
    }
    std::vector<std::string> column(int index)
    {
        std::vector<std::string> values;
        for (const Fields& f : dataLines())
            values.push_back(f.at(index));
        return values;
    }
    std::vector<Fields> subjectLog() const
    {
        std::vector<Fields> lines;
        for (const std::string& line : splitLines(dir.read("out.slg")))
            lines.push_back(splitFields(line));
        return lines;
    }

    // The block types run, in order ("block 3: ..." gives 3).
    std::vector<int> blockTypes() const
    {
        std::vector<int> types;
        for (const std::string& line : screens.linesStartingWith("block "))
            types.push_back(line[6] - '0');
        return types;
    }

    // Nothing but the study's own files in the directory, and no screen after the error.
    void expectStoppedBeforeAnything(const RunOutcome& outcome, const std::string& errorStart)
    {
        EXPECT_EQ(outcome.status, RunOutcome::Status::Stopped);
        ASSERT_EQ(screens.log.size(), 2u) << ::testing::PrintToString(screens.log);
        EXPECT_EQ(screens.log[1].substr(0, errorStart.size()), errorStart) << screens.log[1];
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.dat")));
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.slg")));
    }
};

TEST_F(RunDriverTest, SameListsEverySessionRunSevenThenSixBlocksNumberedWithoutGaps)
{
    setSessions({sessionOf("Fruit.wls", "Mine.wls"), sessionOf("Fruit.wls", "Mine.wls"),
                 sessionOf("Fruit.wls", "Mine.wls")});
    const RunOutcome outcome = run();

    EXPECT_EQ(outcome.status, RunOutcome::Status::Completed);
    EXPECT_EQ(outcome.blocksRun, 19);
    // Pair 2 is switched: later sessions skip pair 1's single practice block.
    EXPECT_EQ(blockTypes(), (std::vector<int>{0, 1, 3, 3, 1, 3, 3, /**/ 1, 3, 3, 1, 3, 3, /**/ 1, 3, 3, 1, 3, 3}));
    EXPECT_EQ(screens.linesStartingWith(firstHalfPage).size(), 3u);
    EXPECT_EQ(screens.linesStartingWith(switchPage).size(), 3u);
    EXPECT_EQ(screens.linesStartingWith(recordedPage).size(), 6u);
    EXPECT_TRUE(screens.linesStartingWith(newCategoryPage).empty());

    // Each block's trials, numbered 1 to 19 in order.
    std::vector<std::string> expected;
    int block = 0;
    for (const std::string& line : screens.linesStartingWith("block ")) {
        const int trials = line.ends_with(", 6 trials") ? 6 : 4;
        expected.insert(expected.end(), trials, std::to_string(++block));
    }
    EXPECT_EQ(column(blockColumn), expected);
    const std::vector<std::string> sessions = column(sessionColumn);
    EXPECT_EQ(std::count(sessions.begin(), sessions.end(), "2"), std::count(sessions.begin(), sessions.end(), "3"));

    // The completion page, one exit code, then the subject log: header and one line.
    const std::vector<std::string> tail(screens.log.end() - 2, screens.log.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"page: You have now completed the Categorization Task.", "exit code: zup"}));
    const std::vector<Fields> log = subjectLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].size(), 9u + 3 * 9);
    EXPECT_EQ((Fields{log[1][9], log[1][10], log[1][11], log[1][14]}),
              (Fields{"Fruit+Mine", "Tools+Theirs", "2", "4"}));
    EXPECT_FALSE(outcome.reportShown);
}

TEST_F(RunDriverTest, SessionWithANewListShowsTheNewCategoryPageInsteadOfTheFirstHalfPage)
{
    writeList("Pets.wls", wordList("Cats", "c", "Dogs", "d", 6));
    setSessions({sessionOf("Fruit.wls", "Mine.wls"), sessionOf("Fruit.wls", "Pets.wls")});
    run();

    std::vector<std::string> pages;
    for (const std::string& line : screens.log)
        if (line == firstHalfPage || line == switchPage || line == newCategoryPage)
            pages.push_back(line);
    EXPECT_EQ(pages, (std::vector<std::string>{firstHalfPage, switchPage, newCategoryPage, switchPage}));
    // Pair 1 goes on as it was left: only the new pair's practice block runs.
    EXPECT_EQ(blockTypes(), (std::vector<int>{0, 1, 3, 3, 1, 3, 3, /**/ 1, 3, 3, 1, 3, 3}));
    EXPECT_EQ(screens.linesStartingWith("block 1: ")[2], "block 1:   | Cats Dogs, 4 trials");
}

TEST_F(RunDriverTest, TheSwitchedPairPractisesAgainInTheSecondHalf)
{
    for (int catsw : {0, 1}) {
        SCOPED_TRACE(catsw);
        screens.log.clear();
        screens.blocksRun = 0;
        screens.exitCodes = {"zup"};
        std::filesystem::remove(dir.file("out.dat"));
        std::filesystem::remove(dir.file("out.slg"));
        SessionSettings s = sessionOf("Fruit.wls", "Mine.wls", catsw);
        s.Cat2p = 1;
        setSessions({s, s});
        run();

        const std::vector<std::string> blocks = screens.linesStartingWith("block ");
        ASSERT_EQ(blocks.size(), 13u);
        if (catsw == 0) {
            EXPECT_EQ(blockTypes(), (std::vector<int>{0, 1, 3, 3, 0, 3, 3, /**/ 0, 3, 3, 0, 3, 3}));
            EXPECT_EQ(blocks[4], "block 0: Tools Fruit |  , 4 trials");
            EXPECT_EQ(blocks[6], "block 3: Tools Fruit | Theirs Mine, 6 trials");
        } else {
            EXPECT_EQ(blockTypes(), (std::vector<int>{0, 1, 3, 3, 1, 3, 3, /**/ 1, 3, 3, 1, 3, 3}));
            EXPECT_EQ(blocks[4], "block 1:   | Mine Theirs, 4 trials");
            EXPECT_EQ(blocks[6], "block 3: Fruit Tools | Mine Theirs, 6 trials");
        }
        const std::vector<Fields> log = subjectLog();
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[1][11], std::to_string(catsw + 1));
        EXPECT_EQ(log[1][9], "Fruit+Theirs");
    }
}

TEST_F(RunDriverTest, ValuesThePartsAllowRunAsWritten)
{
    // No switch (Catsw 2), no practice trials, one file for both pairs.
    SessionSettings s = sessionOf("Fruit.wls", "Fruit.wls", 2);
    s.nPrac = 0;
    setSessions({s});
    const RunOutcome outcome = run();

    EXPECT_EQ(outcome.status, RunOutcome::Status::Completed);
    EXPECT_EQ(blockTypes(), (std::vector<int>{0, 1, 3, 3, 0, 1, 3, 3}));
    EXPECT_EQ(screens.linesStartingWith("block 3: ").back(), "block 3: Fruit Tools | Fruit Tools, 6 trials");
    // Empty practice blocks still take their numbers.
    std::vector<std::string> expected(6, "4");
    expected.insert(expected.end(), 6, "8");
    EXPECT_EQ(column(blockColumn), expected);
}

TEST_F(RunDriverTest, ABlockCutShortWritesItsUnrunSlotsWithMarkersAndScoresWhatWasAnswered)
{
    screens.cutBlocks = {{4, 2}};  // the first recorded block, after two answers
    run();

    const std::vector<std::string> feedback = screens.linesStartingWith("feedback: ");
    EXPECT_EQ(feedback[3], "feedback: 0.0 s, 0%");
    EXPECT_NE(feedback[2], "feedback: 0.0 s, 0%");

    std::vector<Fields> block4;
    for (const Fields& f : dataLines())
        if (f[blockColumn] == "4")
            block4.push_back(Fields(f.begin() + 14, f.end()));
    ASSERT_EQ(block4.size(), 6u);
    EXPECT_EQ(block4[0][0], "1");
    EXPECT_NE(block4[1][5], "99999");
    // The third word was on screen, unanswered; the rest were never reached.
    EXPECT_EQ(block4[2][0], "3");
    EXPECT_EQ((Fields{block4[2][5], block4[2][6], block4[2][7]}), (Fields{"99999", "99", "9"}));
    for (int t = 3; t < 6; ++t)
        EXPECT_EQ(block4[t], (Fields{"99", "9", "9", "99", "blank", "99999", "99", "9"}));

    // Two answered trials leave nothing to score in the first half.
    const Fields line = subjectLog().at(1);
    EXPECT_EQ((Fields{line[12], line[14]}), (Fields{"0", "1"}));
    EXPECT_EQ(line[17], "4");
}

TEST_F(RunDriverTest, TheTutorialFlagChoosesTutorialKeysPageOrNeither)
{
    for (int flag : {0, 1, 2}) {
        SCOPED_TRACE(flag);
        screens.log.clear();
        screens.exitCodes = {"zup"};
        definition.tutorialIncluded = flag;
        run();
        const bool keys = !screens.linesStartingWith(keysPageStart).empty();
        const bool tutorial = screens.linesStartingWith("tutorial part ").size() == 2 &&
                              !screens.linesStartingWith("page: You have now finished the tutorial.").empty();
        EXPECT_EQ(keys, flag == 0);
        EXPECT_EQ(tutorial, flag == 1);
    }
}

TEST_F(RunDriverTest, InstructionPagesComeFirstInFileOrder)
{
    run();
    ASSERT_GE(screens.log.size(), 4u);
    EXPECT_EQ(screens.log[1], "page: \nWelcome");
    EXPECT_EQ(screens.log[2], "page: Second page");
    EXPECT_EQ(screens.log[3].substr(0, keysPageStart.size()), keysPageStart);
}

TEST_F(RunDriverTest, ReviewIsOfferedOnlyWithTheFlagAndALongList)
{
    struct Case {
        int flag;
        int items;
        bool offered;
    };
    for (const Case c : {Case{1, 6, true}, Case{1, 4, false}, Case{0, 6, false}}) {
        SCOPED_TRACE(c.flag * 10 + c.items);
        screens.log.clear();
        screens.exitCodes = {"zup"};
        writeList("Fruit.wls", wordList("Fruit", "f", "Tools", "t", c.items));
        writeList("Mine.wls", wordList("Mine", "m", "Theirs", "h", c.items));
        definition.editListsIncluded = c.flag;
        run();
        EXPECT_EQ(screens.linesStartingWith(reviewOffer).size(), c.offered ? 1u : 0u);
        EXPECT_EQ(screens.linesStartingWith("review: ").size(), c.offered ? 2u : 0u);
    }
}

TEST_F(RunDriverTest, AListReviewedAtItsFirstUseIsTheListOfLaterSessions)
{
    writeList("Pets.wls", wordList("Cats", "c", "Dogs", "d", 6));
    // Session 2 brings Pets in and takes Fruit up again; both are reviewed once.
    setSessions({sessionOf("Fruit.wls", "Mine.wls"), sessionOf("Pets.wls", "Fruit.wls")});
    definition.editListsIncluded = 1;
    screens.reviewEdit = [](ListReviewState& state) {
        if (state.label(0) != "Fruit")
            return false;
        state.removeLine(0, 0);  // f1
        state.removeLine(1, 5);  // t6
        return true;
    };
    run();

    EXPECT_EQ(screens.linesStartingWith("review: "),
              (std::vector<std::string>{"review: Fruit 6 | Tools 6 (misspelled)",
                                        "review: Mine 6 | Theirs 6 (unfamiliar)",
                                        "review: Cats 6 | Dogs 6 (unfamiliar)"}));
    // Session 2 draws from the reviewed Fruit list (its pair 2) too.
    std::set<std::string> shown[2];
    for (const Fields& f : dataLines())
        shown[f[sessionColumn] == "2"].insert(f[itemColumn]);
    for (const std::set<std::string>& words : shown) {
        EXPECT_FALSE(words.count("f1") || words.count("t6") || words.count(""));
        EXPECT_TRUE(words.count("f2") && words.count("t5"));
    }
    EXPECT_TRUE(shown[1].count("c1"));
}

TEST_F(RunDriverTest, OneFileForBothPairsIsReviewedTwiceWithItsCurrentCounts)
{
    // Both pairs of the session name Fruit.wls; the first review takes Fruit down to
    // five words, so the second sees five and cannot take it lower.
    setSessions({sessionOf("Fruit.wls", "Fruit.wls")});
    definition.editListsIncluded = 1;
    screens.reviewEdit = [](ListReviewState& state) {
        for (int line = 0; line < maxItems; ++line)
            state.removeLine(0, line);
        return true;
    };
    const RunOutcome outcome = run();

    EXPECT_EQ(outcome.status, RunOutcome::Status::Completed) << outcome.reason;
    EXPECT_EQ(screens.linesStartingWith("review: "),
              (std::vector<std::string>{"review: Fruit 6 | Tools 6 (misspelled)",
                                        "review: Fruit 5 | Tools 6 (misspelled)"}));
}

QuestionnaireDocument selfQuestionnaire()
{
    std::vector<QuestionnairePage> pages;
    for (const char* item : {"apple", "pear", "plum", "fig", "kiwi"})
        pages.push_back(itemPage(1, item));
    for (const char* item : {"rock", "sand", "clay"})
        pages.push_back(itemPage(2, item));
    pages.push_back(textPage(2, "Name a colour"));
    return makeDocument("Near", "Far", pages);
}

TEST_F(RunDriverTest, AQuestionnaireFillsItsPairAndIsNeverReviewedByTheRun)
{
    ASSERT_TRUE(writeQuestionnaireFile(selfQuestionnaire(), dir.file("Self.qls")));
    setSessions({sessionOf("Fruit.wls", "Self.qls"), sessionOf("Fruit.wls", "Self.qls")});
    definition.editListsIncluded = 1;
    screens.textReplies = {TextReply{true, false, "howdy"}, TextReply{true, false, "cyan"}};
    const RunOutcome outcome = run();

    EXPECT_EQ(outcome.status, RunOutcome::Status::Completed);
    // The questionnaire's own review, then the run's review of the word list only.
    EXPECT_EQ(screens.linesStartingWith("review: "),
              (std::vector<std::string>{"review: Near 5 | Far 4 (misspelled)",
                                        "review: Fruit 6 | Tools 6 (misspelled)"}));
    EXPECT_EQ(screens.linesStartingWith("block 1: ")[0], "block 1:   | Near Far, 4 trials");
    bool answerShown = false;
    for (const Fields& f : dataLines())
        answerShown = answerShown || (f[itemColumn] == "cyan" && f[15] == "1" && f[16] == "1");
    EXPECT_TRUE(answerShown);
}

// The review asks for misspelled words in the catalogue's first file only: the
// wording goes by the file's place in the catalogue, not by session or pair.
TEST_F(RunDriverTest, OnlyTheCataloguesFirstFileIsReviewedForMisspelledWords)
{
    ASSERT_TRUE(writeQuestionnaireFile(selfQuestionnaire(), dir.file("Self.qls")));
    struct Case {
        const char* pair1;
        const char* pair2;
        std::vector<std::string> reviews;
    };
    const Case cases[] = {
        {"Mine.wls", "Fruit.wls", {"review: Mine 6 | Theirs 6 (misspelled)", "review: Fruit 6 | Tools 6 (unfamiliar)"}},
        // The questionnaire is the first file; its own review always asks for misspelled words.
        {"Self.qls", "Fruit.wls", {"review: Near 5 | Far 4 (misspelled)", "review: Fruit 6 | Tools 6 (unfamiliar)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pair1);
        screens.log.clear();
        screens.exitCodes = {"zup"};
        screens.textReplies = {TextReply{true, false, "howdy"}, TextReply{true, false, "cyan"}};
        setSessions({sessionOf(c.pair1, c.pair2)});
        definition.editListsIncluded = 1;
        EXPECT_EQ(run().status, RunOutcome::Status::Completed);
        EXPECT_EQ(screens.linesStartingWith("review: "), c.reviews);
    }
}

TEST_F(RunDriverTest, ACategoryLeftWithoutItemsStopsTheRunBeforeItsFirstBlock)
{
    std::vector<QuestionnairePage> pages;
    for (const char* item : {"apple", "pear", "plum", "fig"})
        pages.push_back(itemPage(1, item));
    for (int i = 0; i < 4; ++i)
        pages.push_back(textPage(2, "Name a place"));
    ASSERT_TRUE(writeQuestionnaireFile(makeDocument("Near", "Far", pages), dir.file("Self.qls")));
    setSessions({sessionOf("Fruit.wls", "Mine.wls"), sessionOf("Fruit.wls", "Self.qls")});
    const RunOutcome outcome = run();  // every question closed unanswered

    EXPECT_EQ(outcome.status, RunOutcome::Status::Stopped);
    EXPECT_EQ(screens.log.back(), unusableInput + "session 2: category \"Far\" of Self.qls has no items");
    EXPECT_TRUE(screens.linesStartingWith("block ").empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.dat")));

    // A word list with a label only is refused before the participant sees anything.
    screens.log.clear();
    WordList bare = wordList("Fruit", "f", "Tools", "t", 6);
    bare.entriesB = Entries{};
    bare.entriesB[0].assign("Tools");
    bare.entryCountB = 1;
    writeList("Fruit.wls", bare);
    expectStoppedBeforeAnything(run(), unusableInput + "session 1: category \"Tools\" of Fruit.wls has no items");
}

TEST_F(RunDriverTest, AnUnusableQuestionnaireEndsTheRunAfterItsWarning)
{
    ASSERT_TRUE(writeQuestionnaireFile(makeDocument("Near", "Far", {textPage(1, "Name one")}), dir.file("Self.qls")));
    setSessions({sessionOf("Fruit.wls", "Self.qls")});
    const RunOutcome outcome = run();
    EXPECT_EQ(outcome.status, RunOutcome::Status::Stopped);
    EXPECT_EQ(screens.log.back(), std::string("warning: ") + unusableQuestionnaireMessage);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.dat")));
}

TEST_F(RunDriverTest, TheExitCodeIsComparedExactlyAndOnlyTheReportCodeShowsTheReport)
{
    screens.exitCodes = {"ZUP", " zup", "zupp", std::nullopt, "Vandor", "vandor"};
    const RunOutcome outcome = run();

    EXPECT_EQ(screens.linesStartingWith("exit code: ").size(), 6u);
    EXPECT_TRUE(screens.exitCodes.empty());
    EXPECT_TRUE(outcome.reportShown);
    ASSERT_EQ(screens.log.back().substr(0, 11), "report: 42\n");
    EXPECT_NE(screens.log.back().find("Fruit+Mine  or  Tools+Theirs"), std::string::npos);
    EXPECT_EQ(subjectLog().size(), 2u);
}

TEST_F(RunDriverTest, AMissingListOrInstructionFileStopsTheRunWithItsPath)
{
    setSessions({sessionOf("Fruit.wls", "Gone.wls")});
    expectStoppedBeforeAnything(run(), missingFile + dir.file("Gone.wls"));

    screens.log.clear();
    setSessions({sessionOf("Fruit.wls", "Mine.wls")});
    definition.instructionFileName.assign("none.bgi");
    expectStoppedBeforeAnything(run(), missingFile + dir.file("none.bgi"));
}

TEST_F(RunDriverTest, InputWithProblemsIsRefusedWithTheProblems)
{
    // Twelve sessions: more than the model holds.
    std::string twelve = "intro.bgi\t12\t";
    for (int s = 0; s < 12; ++s)
        twelve += "Fruit.wls\tMine.wls\t0\t0\t1\t0\t4\t6\t";
    twelve += "0\t0\r\n";
    // A delay of 5000 ms.
    std::string bytes;
    std::string reason;
    ASSERT_TRUE(formatInputFile(definition, bytes, reason));
    std::string delay = bytes;
    delay.replace(delay.find("\t1\t0\t4\t6\t"), 9, "\t1\t5000\t4\t6\t");
    // A word list whose item is longer than 15 characters.
    const std::string longWord = "2\r\n2\r\nFruit\r\nsupercalifragilistic\r\nTools\r\nhammer\r\n";

    struct Case {
        std::string input;
        std::string list;
        std::string problem;
    };
    for (const Case& c : {Case{twelve, "", "the session count is 12"}, Case{delay, "", "session 1 Delay is 5000"},
                          Case{bytes, longWord, "item 1 of category A \"supercalifragilistic\" is longer than 15"}}) {
        SCOPED_TRACE(c.problem);
        screens.log.clear();
        dir.write("study.inp", c.input);
        if (!c.list.empty())
            dir.write("Fruit.wls", c.list);
        RunDriver driver(screens);
        const RunOutcome outcome = driver.runExperiment({});
        expectStoppedBeforeAnything(outcome, unusableInput);
        EXPECT_NE(screens.log[1].find(c.problem), std::string::npos) << screens.log[1];
    }
}

TEST_F(RunDriverTest, AnOutputFileThatCannotTakeAppendsIsRefusedBeforeAnyPage)
{
    SubjectRecord& subject = *screens.subject;
    subject.dataPath = dir.file("absent/out.dat");
    subject.subjectLogPath = dir.file("absent/out.slg");
    subject.timingPath = dir.file("absent/out.timing.tsv");
    RunOutcome outcome = run();
    EXPECT_EQ(outcome.status, RunOutcome::Status::Stopped);
    ASSERT_EQ(screens.log.size(), 2u);
    const std::string refusal =
        "file error: Error:  Program cannot continue because the data file cannot be written: | cannot write ";
    EXPECT_EQ(screens.log[1].substr(0, refusal.size()), refusal);
    EXPECT_NE(screens.log[1].find(dir.file("absent/out.dat")), std::string::npos);

    // A directory where the subject log belongs.
    screens.log.clear();
    subject.dataPath = dir.file("out.dat");
    subject.subjectLogPath = dir.file("out.slg");
    subject.timingPath = dir.file("out.timing.tsv");
    std::filesystem::create_directory(dir.file("out.slg"));
    outcome = run();
    ASSERT_EQ(screens.log.size(), 2u);
    EXPECT_NE(screens.log[1].find("the subject log cannot be written"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.dat")));
}

// A block is on disk before its feedback. Once the data file refuses a block, that
// block and every later one go to one rescue file, whole, in order and under the
// header; a subject log line the log refuses goes to a rescue file of its own. The
// run goes on, and the message at its end names both rescue files.
TEST_F(RunDriverTest, RefusedLinesGoToRescueFilesNamedAtTheEnd)
{
    std::vector<std::size_t> linesAtFeedback;
    screens.afterFeedback = [&] {
        linesAtFeedback.push_back(splitLines(dir.read("out.dat")).size());
        // After the first block's feedback every output file turns into a directory.
        for (const char* name : {"out.dat", "out.slg", "out.timing.tsv"}) {
            if (!std::filesystem::is_directory(dir.file(name))) {
                std::filesystem::remove(dir.file(name));
                std::filesystem::create_directory(dir.file(name));
            }
        }
    };
    const RunOutcome outcome = run();

    EXPECT_EQ(outcome.status, RunOutcome::Status::Completed);
    EXPECT_EQ(outcome.blocksRun, 7);
    ASSERT_FALSE(linesAtFeedback.empty());
    EXPECT_EQ(linesAtFeedback[0], 1u + 4u) << "the first block's lines were not in the file at its feedback";
    ASSERT_EQ(outcome.writeFailures.size(), 3u);
    EXPECT_EQ(outcome.writeFailures[0].substr(0, 24), "data file, block 2: cann");
    EXPECT_EQ(outcome.writeFailures[1].substr(0, 18), "subject log: canno");
    EXPECT_EQ(outcome.writeFailures[2].substr(0, 28), "timing record, block 2: cann");
    EXPECT_TRUE(outcome.lostOutput.empty());

    const std::string rescue = dir.file("data/truv/rescue/");
    ASSERT_EQ(outcome.rescueFiles,
              (std::vector<std::string>{
                  rescue + "out.2026-03-09_14-05-00.pid" + std::to_string(getpid()) + ".dat",
                  rescue + "out.2026-03-09_14-05-00.pid" + std::to_string(getpid()) + ".slg",
                  rescue + "out.timing.2026-03-09_14-05-00.pid" + std::to_string(getpid()) + ".tsv"}));
    std::ifstream dataRescue(outcome.rescueFiles[0], std::ios::binary);
    const std::string dataBytes((std::istreambuf_iterator<char>(dataRescue)), std::istreambuf_iterator<char>());
    const std::vector<std::string> lines = splitLines(dataBytes);
    ASSERT_EQ(lines.size(), 1u + 4 + 4 + 6 + 4 + 4 + 6);
    EXPECT_EQ(lines[0] + "\r\n", dataFileHeader());
    std::string blocks;
    for (std::size_t i = 1; i < lines.size(); ++i)
        blocks += splitFields(lines[i]).at(blockColumn);
    EXPECT_EQ(blocks, "2222333344444455556666777777");
    std::ifstream logRescue(outcome.rescueFiles[1], std::ios::binary);
    const std::string logBytes((std::istreambuf_iterator<char>(logRescue)), std::istreambuf_iterator<char>());
    ASSERT_EQ(splitLines(logBytes).size(), 2u);
    EXPECT_EQ(splitLines(logBytes)[0] + "\r\n", subjectLogHeader(1));
    std::ifstream timingRescue(outcome.rescueFiles[2], std::ios::binary);
    const std::vector<std::string> rows = splitLines(std::string(std::istreambuf_iterator<char>(timingRescue),
                                                                 std::istreambuf_iterator<char>()));
    ASSERT_EQ(rows.size(), 1u + 6);
    EXPECT_EQ(rows[0] + "\r\n", timingRecordHeader());
    EXPECT_EQ(splitFields(rows[1]).at(timingColumn::Block), "2");

    ASSERT_GE(screens.log.size(), 2u);
    EXPECT_EQ(screens.log[screens.log.size() - 2], "exit code: zup");
    const std::string& message = screens.log.back();
    EXPECT_EQ(message.substr(0, 15), "write failure: ");
    for (const std::string& path : outcome.rescueFiles)
        EXPECT_NE(message.find(path), std::string::npos) << message;
}

// A full disk in the middle of a run, on a small real file system. Whatever no file
// takes is held, in order, and tried again: every block reaches a file exactly once,
// in order, the rescue file continuing the data file; no empty file is left behind.
// Where neither the data file nor the rescue file takes a block, the run stops for
// the experimenter, who makes room and tries again, or ends the run and saves what
// is held in a file of their choice.
TEST_F(RunDriverTest, LinesNoFileTakesAreHeldInOrderUntilAFileOrTheExperimenterTakesThem)
{
    enum class Rescue { Elsewhere, SameDisk };
    const struct {
        const char* what;
        Rescue rescue;
        int freedAfterBlock;  // 0: never
        std::deque<OutputTrouble> choices;
        bool saved;
    } cases[] = {
        {"rescue elsewhere, room again after block 6", Rescue::Elsewhere, 6, {}, false},
        {"rescue on the full disk, room again at the second try",
         Rescue::SameDisk,
         -2,
         {OutputTrouble::TryAgain, OutputTrouble::TryAgain},
         false},
        {"rescue on the full disk, never freed", Rescue::SameDisk, 0, {OutputTrouble::TryAgain}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SmallFileSystem disk(256);
        if (!disk.mounted())
            GTEST_SKIP() << "a full disk needs root to mount a small tmpfs";
        screens.log.clear();
        screens.blocksRun = 0;
        screens.exitCodes = {"zup"};
        SubjectPageEntries entries;
        entries.inputPath = dir.file("study.inp");
        entries.dataPath = disk.file("out.dat");
        screens.subject = makeSubjectRecord(entries, 7, {2026, 3, 9, 14, 5, 0});
        const std::string rescueHome = c.rescue == Rescue::SameDisk ? disk.file("data") : dir.file("data");
        setenv("XDG_DATA_HOME", rescueHome.c_str(), 1);

        const std::string filler = disk.file("filler");
        const auto fill = [&] {
            std::ofstream out(filler, std::ios::binary);
            const std::string chunk(4096, 'x');
            while (out.write(chunk.data(), chunk.size()))
                out.flush();
        };
        int feedbacks = 0;
        screens.afterFeedback = [&] {
            ++feedbacks;
            if (feedbacks == 3)
                fill();
            if (feedbacks == c.freedAfterBlock)
                std::filesystem::remove(filler);
        };
        int troubles = 0;
        screens.beforeTroubleChoice = [&] {
            if (++troubles == -c.freedAfterBlock)
                std::filesystem::remove(filler);
        };
        screens.troubleChoices = c.choices;
        // Blocks larger than a page, so that no block fits in what the data file's
        // last page has left.
        definition.sessions[0].nPrac = definition.sessions[0].nReal = 100;
        const std::string saved = dir.file("saved.dat");
        screens.heldLinesFiles = {std::nullopt, disk.file("nowhere/x.dat"), saved};
        screens.giveUpAnswers = {false};

        const RunOutcome outcome = run();
        EXPECT_EQ(outcome.status, RunOutcome::Status::Completed);
        EXPECT_TRUE(outcome.lostOutput.empty());

        // Every block run, once and in order, across the data file, the rescue file and
        // the file the experimenter chose.
        std::string blocks;
        const auto collect = [&](const std::string& path) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<std::string> lines = splitLines(std::string(std::istreambuf_iterator<char>(in),
                                                                          std::istreambuf_iterator<char>()));
            ASSERT_FALSE(lines.empty()) << path;
            EXPECT_EQ(lines[0] + "\r\n", dataFileHeader()) << path;
            int last = 0;
            for (std::size_t i = 1; i < lines.size(); ++i) {
                const int block = std::stoi(splitFields(lines[i]).at(blockColumn));
                if (block != last)
                    blocks += std::to_string(block) + " ";
                last = block;
            }
        };
        collect(disk.file("out.dat"));
        for (const std::string& rescue : outcome.rescueFiles)
            if (rescue.ends_with(".dat"))
                collect(rescue);
        if (c.saved)
            collect(saved);
        std::string expected;
        for (int b = 1; b <= outcome.blocksRun; ++b)
            expected += std::to_string(b) + " ";
        EXPECT_EQ(blocks, expected);

        const auto shown = [&](const std::string& prefix) { return screens.linesStartingWith(prefix).size(); };
        if (c.rescue == Rescue::Elsewhere) {
            EXPECT_EQ(outcome.blocksRun, 7);
            EXPECT_EQ(shown("output trouble: "), 0u);
            // The subject log never refused its line: it is in the log itself.
            EXPECT_EQ(outcome.rescueFiles.size(), 1u);
            EXPECT_TRUE(std::filesystem::exists(disk.file("out.slg")));
        } else if (!c.saved) {
            EXPECT_EQ(outcome.blocksRun, 7);
            EXPECT_EQ(shown("output trouble: "), 2u);
            EXPECT_TRUE(outcome.rescueFiles.empty());
            std::ifstream log(disk.file("out.slg"), std::ios::binary);
            EXPECT_EQ(splitLines(std::string(std::istreambuf_iterator<char>(log), {})).size(), 2u);
            EXPECT_FALSE(outcome.endedEarly);
        } else {
            // The run stopped at the block no file took and went to the exit code.
            EXPECT_TRUE(outcome.endedEarly);
            EXPECT_LT(outcome.blocksRun, 7);
            const std::vector<std::string> trouble = screens.linesStartingWith("output trouble: ");
            ASSERT_FALSE(trouble.empty());
            EXPECT_EQ(trouble[0].rfind("output trouble: Please call the experimenter.\n", 0), 0u) << trouble[0];
            for (const std::string& part : {std::string("The disk is full"), disk.file("out.dat"), rescueHome,
                                            std::string("No space left on device"), std::string("free")})
                EXPECT_NE(trouble[0].find(part), std::string::npos) << part << " in " << trouble[0];
            EXPECT_EQ(shown("feedback: "), static_cast<std::size_t>(outcome.blocksRun - 1));
            EXPECT_EQ(shown("page: You have now completed the Categorization Task."), 0u);
            // Cancelled, kept, refused with its reason, saved: the log line beside the data.
            const std::vector<std::string> asked = screens.linesStartingWith("save held lines (out-unsaved.dat): ");
            ASSERT_EQ(asked.size(), 3u);
            EXPECT_NE(asked[2].find("Not saved: cannot write " + disk.file("nowhere/x.dat")), std::string::npos)
                << asked[2];
            EXPECT_EQ(shown("give up held lines: "), 1u);
            EXPECT_EQ(outcome.savedFiles, (std::vector<std::string>{saved, dir.file("saved.slg")}));
            EXPECT_EQ(splitLines(dir.read("saved.slg")).size(), 2u);
            EXPECT_NE(screens.log.back().find(saved), std::string::npos) << screens.log.back();
            // No empty subject log or rescue file on the full disk.
            EXPECT_FALSE(std::filesystem::exists(disk.file("out.slg")));
            if (std::filesystem::exists(disk.file("data/truv/rescue"))) {
                EXPECT_TRUE(std::filesystem::is_empty(disk.file("data/truv/rescue")));
            }
        }
        std::filesystem::remove(saved);
        std::filesystem::remove(dir.file("saved.slg"));
        std::filesystem::remove_all(dir.file("data"));
    }
}

// Before the participant sees anything, the run refuses output that cannot take its
// data, and creates nothing: a data file or subject log that is not a regular file,
// one that is a file of the study itself, whatever its name, or both one file.
TEST_F(RunDriverTest, OutputThatCannotTakeTheDataIsRefusedBeforeAnythingAndNothingIsCreated)
{
    const std::string dataRefused =
        "file error: Error:  Program cannot continue because the data file cannot be written: | cannot write ";
    const std::string logRefused =
        "file error: Error:  Program cannot continue because the subject log cannot be written: | cannot write ";
    const std::string timingRefused =
        "file error: Error:  Program cannot continue because the timing record cannot be written: | cannot write ";
    const auto link = [&](const std::string& target, const std::string& name) {
        ASSERT_EQ(::link(dir.file(target).c_str(), dir.file(name).c_str()), 0);
    };
    const auto symlink = [&](const std::string& target, const std::string& name) {
        ASSERT_EQ(::symlink(target.c_str(), dir.file(name).c_str()), 0);
    };
    const struct {
        const char* what;
        std::function<void()> prepare;
        std::string data;  // the data path; the subject log's follows from it
        const std::string& refusal;
        const char* reason;
    } cases[] = {
        {"directory", [&] { std::filesystem::create_directory(dir.file("d.dat")); }, dir.file("d.dat"), dataRefused,
         "it is a directory, not a regular file"},
        {"/dev/null", [] {}, "/dev/null", dataRefused, "it is a character device"},
        {"/dev/full", [] {}, "/dev/full", dataRefused, "it is a character device"},
        {"FIFO", [&] { ASSERT_EQ(mkfifo(dir.file("f.dat").c_str(), 0644), 0); }, dir.file("f.dat"), dataRefused,
         "it is a FIFO"},
        {"socket",
         [&] {
             const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::snprintf(address.sun_path, sizeof address.sun_path, "%s", dir.file("s.dat").c_str());
             ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             close(fd);
         },
         dir.file("s.dat"), dataRefused, "it is a socket"},
        {"log linked to /dev/null", [&] { symlink("/dev/null", "n.slg"); }, dir.file("n.dat"), logRefused,
         "it is a character device"},
        {"the input file", [&] { link("study.inp", "i.dat"); }, dir.file("i.dat"), dataRefused,
         "it is the study's own file"},
        {"a list", [&] { symlink(dir.file("Fruit.wls"), "l.dat"); }, dir.file("l.dat"), dataRefused,
         "it is the study's own file"},
        {"the instruction file", [&] { link("intro.bgi", "b.slg"); }, dir.file("b.dat"), logRefused,
         "it is the study's own file"},
        {"the subject log",
         [&] {
             dir.write("same.dat", "");
             link("same.dat", "same.slg");
         },
         dir.file("same.dat"), dataRefused, "it is the same file as the subject log"},
        {"timing record linked to the subject log",
         [&] {
             dir.write("t.slg", "");
             link("t.slg", "t.timing.tsv");
         },
         dir.file("t.dat"), logRefused, "it is the same file as the timing record"},
        {"timing record a directory", [&] { std::filesystem::create_directory(dir.file("u.timing.tsv")); },
         dir.file("u.dat"), timingRefused, "it is a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        screens.log.clear();
        EXPECT_TRUE(writeInputFile(definition, dir.file("study.inp")));
        c.prepare();
        const std::vector<std::string> before = dir.entries();
        screens.subject->dataPath = c.data;
        screens.subject->subjectLogPath = subjectLogPathFor(c.data);
        screens.subject->timingPath = timingRecordPathFor(c.data);
        RunDriver driver(screens);
        const RunOutcome outcome = driver.runExperiment({2026, 3, 9, 14, 5, 0});
        EXPECT_EQ(outcome.status, RunOutcome::Status::Stopped);
        ASSERT_EQ(screens.log.size(), 2u) << ::testing::PrintToString(screens.log);
        EXPECT_EQ(screens.log[1].substr(0, c.refusal.size()), c.refusal) << screens.log[1];
        EXPECT_NE(screens.log[1].find(c.reason), std::string::npos) << screens.log[1];
        std::vector<std::string> after = dir.entries();
        std::sort(after.begin(), after.end());
        std::vector<std::string> expected = before;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(after, expected);
    }
}

// A disk without room for everything the run can write refuses the run, with the
// free and the needed space; for root, on a real small file system.
TEST_F(RunDriverTest, ADiskWithoutRoomForTheWholeRunIsRefusedBeforeAnything)
{
    SmallFileSystem disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs (the rule itself is tested with a probe)";
    setSessions({sessionOf("Fruit.wls", "Mine.wls"), sessionOf("Mine.wls", "Fruit.wls")});
    definition.sessions[0].nPrac = definition.sessions[0].nReal = 100;
    definition.sessions[1].nPrac = definition.sessions[1].nReal = 100;
    screens.subject->dataPath = disk.file("out.dat");
    screens.subject->subjectLogPath = disk.file("out.slg");
    screens.subject->timingPath = disk.file("out.timing.tsv");
    const RunOutcome outcome = run();
    EXPECT_EQ(outcome.status, RunOutcome::Status::Stopped);
    ASSERT_EQ(screens.log.size(), 2u);
    EXPECT_NE(screens.log[1].find("not enough free disk space"), std::string::npos) << screens.log[1];
    EXPECT_NE(screens.log[1].find("this run may write up to"), std::string::npos) << screens.log[1];
    EXPECT_FALSE(std::filesystem::exists(disk.file("out.dat")));
    EXPECT_FALSE(std::filesystem::exists(disk.file("out.slg")));
}

}  // namespace
