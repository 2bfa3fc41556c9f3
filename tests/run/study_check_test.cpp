// The study checker: every problem that stops a run and every warning, found in
// studies held in memory; the example study is clean; and a run stops exactly when
// the checker says it would.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>

#include "sim/sim_options.h"
#include "sim/simulated_participant.h"
#include "run/study_check.h"
#include "run/study_files.h"
#include "common/temp_directory.h"

namespace {

const std::string demo = std::string(TRUV_EXAMPLES_DIR) + "/demo";

// A list file: counts, then label A and its items, then label B and its items.
std::string wordList(const std::string& labelA, int itemsA, const std::string& labelB, int itemsB)
{
    std::string bytes = std::to_string(itemsA + 1) + "\r\n" + std::to_string(itemsB + 1) + "\r\n" + labelA + "\r\n";
    for (int i = 1; i <= itemsA; ++i)
        bytes += labelA.substr(0, 3) + "word" + std::to_string(i) + "\r\n";
    bytes += labelB + "\r\n";
    for (int i = 1; i <= itemsB; ++i)
        bytes += labelB.substr(0, 3) + "word" + std::to_string(i) + "\r\n";
    return bytes;
}

// One session's fields: lists, positions, switch, delay, trials.
struct Session {
    std::string cat1 = "one.wls";
    std::string cat2 = "two.wls";
    int cat1p = 0, cat2p = 1, catsw = 1, delay = 150, nPrac = 10, nReal = 20;
};

std::string inputFile(const std::vector<Session>& sessions, const std::string& instructions = "intro.bgi",
                      const std::string& sessionCount = "")
{
    std::ostringstream out;
    out << instructions << '\t' << (sessionCount.empty() ? std::to_string(sessions.size()) : sessionCount);
    for (const Session& s : sessions)
        out << '\t' << s.cat1 << '\t' << s.cat2 << '\t' << s.cat1p << '\t' << s.cat2p << '\t' << s.catsw << '\t'
            << s.delay << '\t' << s.nPrac << '\t' << s.nReal;
    out << "\t1\t1\r\n";
    return out.str();
}

const std::string introFile = "1\r\nWelcome.#\r\n";

// A questionnaire: two labels, then pages as category, text, type and fields.
std::string questionnaire(int textPages1, int textPages2, int itemPages1, int itemPages2)
{
    std::string pages;
    int count = 0;
    const auto add = [&](int category, int type, const std::string& field) {
        pages += std::to_string(category) + "\r\nPage text#\r\n" + std::to_string(type) + "\r\n" + field;
        ++count;
    };
    for (int i = 0; i < textPages1; ++i)
        add(1, 2, "");
    for (int i = 0; i < textPages2; ++i)
        add(2, 2, "");
    for (int i = 0; i < itemPages1; ++i)
        add(1, 5, "mine" + std::to_string(i) + "#\r\n");
    for (int i = 0; i < itemPages2; ++i)
        add(2, 5, "theirs" + std::to_string(i) + "#\r\n");
    return "Mine#\r\nTheirs#\r\n" + std::to_string(count) + "\r\n" + pages;
}

// A study in memory under /study (or folder), with two good lists and an instruction file.
struct Study {
    MemoryFiles files;
    std::string folder;
    Study(const std::string& input, const std::string& folder = "/study") : folder(folder)
    {
        files.add(folder + "/s.inp", input);
        files.add(folder + "/intro.bgi", introFile);
        files.add(folder + "/one.wls", wordList("Fruit", 9, "Tools", 9));
        files.add(folder + "/two.wls", wordList("Birds", 9, "Metals", 9));
    }
    StudyReport check() const { return checkStudy(folder + "/s.inp", files); }
};

// The findings of one kind for a file, joined for matching.
std::string findings(const StudyReport& report, const std::string& file, Finding::Kind kind)
{
    std::string text;
    for (const CheckedFile& f : report.files)
        if (f.name == file)
            for (const Finding& finding : f.findings)
                if (finding.kind == kind)
                    text += finding.text + "\n";
    return text;
}
std::string problems(const StudyReport& r, const std::string& file)
{
    return findings(r, file, Finding::Kind::Problem);
}
std::string warnings(const StudyReport& r, const std::string& file)
{
    return findings(r, file, Finding::Kind::Warning);
}

// Files in memory, counting how often each is read.
class CountedReads final : public FileSource {
public:
    explicit CountedReads(const MemoryFiles& files) : files_(files) {}
    bool exists(const std::string& path) const override { return files_.exists(path); }
    ReadOutcome read(const std::string& path) const override
    {
        ++reads[path];
        return files_.read(path);
    }
    StreamOutcome openStream(const std::string& path) const override
    {
        ++reads[path];
        return files_.openStream(path);
    }
    std::string fileKey(const std::string& path) const override { return files_.fileKey(path); }
    std::vector<std::string> namesIn(const std::string& folder) const override { return files_.namesIn(folder); }
    mutable std::map<std::string, int> reads;

private:
    const MemoryFiles& files_;
};

TEST(StudyCheck, EachStudyFileIsReadOnce)
{
    const struct {
        const char* name;
        Session session;
        std::string instructions;
    } cases[] = {
        {"word lists", Session{}, introFile},
        {"a questionnaire", Session{"one.wls", "own.qls"}, introFile},
        {"more pages than the file holds", Session{}, "3\r\nOnly one.#\r\n"},
    };
    for (const auto& c : cases) {
        Study study(inputFile({c.session}));
        study.files.add("/study/own.qls", questionnaire(4, 4, 1, 1));
        study.files.add("/study/intro.bgi", c.instructions);
        const CountedReads counted(study.files);
        checkStudy("/study/s.inp", counted);
        EXPECT_EQ(counted.reads.size(), 4u) << c.name;  // the input file and the three it names
        for (const auto& [path, reads] : counted.reads)
            EXPECT_EQ(reads, 1) << c.name << ": " << path;
    }
}

TEST(StudyCheck, TheExampleStudiesHaveNeitherProblemsNorWarnings)
{
    for (const char* input : {"demo-one-session.inp", "demo-two-sessions.inp"}) {
        const StudyReport report = checkStudy(demo + "/" + input);
        EXPECT_TRUE(report.runnable()) << formatStudyReport(report);
        EXPECT_EQ(report.warnings, 0) << formatStudyReport(report);
        EXPECT_GE(report.files.size(), 4u);
    }
}

TEST(StudyCheck, AGoodStudyIsReportedFileByFile)
{
    const Study study(inputFile({Session{}}));
    const StudyReport report = study.check();
    EXPECT_EQ(formatStudyReport(report), "/study/s.inp\n  ok\nintro.bgi\n  ok\none.wls\n  ok\ntwo.wls\n  ok\n"
                                         "A run would go through (0 warnings).\n");
}

TEST(StudyCheck, MissingFilesAreProblemsOfTheirOwnWithAHintOnCase)
{
    Study study(inputFile({Session{"one.wls", "Gone.wls"}, Session{"absent.wls", "two.wls"}}, "Intro.bgi"));
    study.files.add("/study/gone.wls", wordList("Fruit", 9, "Tools", 9));
    const StudyReport report = study.check();
    EXPECT_FALSE(report.runnable());
    EXPECT_EQ(report.problems, 3);
    EXPECT_EQ(problems(report, "Intro.bgi"),
              "missing: /study/Intro.bgi (the folder holds intro.bgi: names differ in case)\n");
    EXPECT_EQ(problems(report, "Gone.wls"),
              "missing: /study/Gone.wls (the folder holds gone.wls: names differ in case)\n");
    EXPECT_EQ(problems(report, "absent.wls"), "missing: /study/absent.wls\n");

    const StudyReport noInput = checkStudy("/study/none.inp", study.files);
    EXPECT_EQ(noInput.problems, 1);
    EXPECT_NE(problems(noInput, "/study/none.inp").find("cannot read /study/none.inp"), std::string::npos);
}

TEST(StudyCheck, InputFileValuesOutOfRangeAreEachAProblem)
{
    Session bad;
    bad.cat1p = 2;
    bad.delay = 5000;
    bad.nPrac = 300;
    const Study study(inputFile({bad}, "intro.bgi", "1"));
    const StudyReport report = study.check();
    EXPECT_FALSE(report.runnable());
    const std::string text = problems(report, "/study/s.inp");
    EXPECT_EQ(report.problems, 3) << text;
    for (const char* field : {"Cat1p", "Delay", "nPrac"})
        EXPECT_NE(text.find(field), std::string::npos) << field << " in " << text;

    const Study tooMany(inputFile({Session{}}, "intro.bgi", "12"));
    EXPECT_FALSE(tooMany.check().runnable());
}

TEST(StudyCheck, ListsThatAreCutOrHaveNoItemsAreProblems)
{
    Study study(inputFile({Session{}}));
    study.files.add("/study/one.wls", wordList("Fruit", 0, "Tools", 9));
    study.files.add("/study/two.wls", "25\r\n3\r\nBirds\r\n");
    const StudyReport report = study.check();
    EXPECT_FALSE(report.runnable());
    EXPECT_NE(problems(report, "one.wls").find("category \"Fruit\" of one.wls has no items"), std::string::npos);
    EXPECT_NE(problems(report, "two.wls").find("two.wls"), std::string::npos);
}

TEST(StudyCheck, AQuestionnaireOutsideTheItemCountRuleIsAProblem)
{
    Study study(inputFile({Session{"one.wls", "own.qls"}}));
    study.files.add("/study/own.qls", questionnaire(2, 5, 1, 0));
    const StudyReport report = study.check();
    EXPECT_FALSE(report.runnable());
    EXPECT_EQ(
        problems(report, "own.qls"),
        "Cannot use *.qls file: there's a minimum 4 and maximum 18 items in each category (this file: 3 and 5)\n");

    study.files.add("/study/own.qls", questionnaire(4, 4, 1, 1).substr(0, 40));
    EXPECT_FALSE(study.check().runnable());
}

TEST(StudyCheck, SessionSettingsAnExperimenterMayNotHaveMeantAreWarnings)
{
    Session same{"one.wls", "one.wls"};
    Session noSwitch;
    noSwitch.catsw = 2;
    noSwitch.nPrac = 0;
    noSwitch.nReal = 0;
    const Study study(inputFile({same, noSwitch}));
    const StudyReport report = study.check();
    EXPECT_TRUE(report.runnable()) << formatStudyReport(report);
    const std::string text = warnings(report, "/study/s.inp");
    EXPECT_EQ(report.warnings, 4) << text;
    EXPECT_NE(text.find("session 1: both category pairs use one.wls"), std::string::npos) << text;
    EXPECT_NE(text.find("session 2: the switch value is 2"), std::string::npos) << text;
    EXPECT_NE(text.find("session 2: practice blocks have 0 trials"), std::string::npos) << text;
    EXPECT_NE(text.find("session 2: recorded blocks have 0 trials"), std::string::npos) << text;
}

TEST(StudyCheck, ShortListsThatRepeatItemsWithinABlockAreWarned)
{
    Session longBlocks;
    longBlocks.nPrac = 20;
    longBlocks.nReal = 40;
    Study study(inputFile({longBlocks}));
    study.files.add("/study/two.wls", wordList("Birds", 9, "Metals", 5));
    const std::string text = warnings(study.check(), "/study/s.inp");
    EXPECT_NE(text.find("session 1: blocks draw 5 items from each category (the shortest, \"Metals\" of two.wls"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("a single-pair practice block of 20 trials shows up to"), std::string::npos) << text;

    // Nine items cover ten-trial practice blocks and a twenty-trial recorded block.
    EXPECT_EQ(Study(inputFile({Session{}})).check().warnings, 0);
}

TEST(StudyCheck, NamesDifferingOnlyInCaseAreWarned)
{
    Study study(inputFile({Session{"one.wls", "two.wls"}, Session{"One.wls", "two.wls"}}));
    study.files.add("/study/One.wls", wordList("Fruit", 9, "Tools", 9));
    study.files.add("/study/TWO.WLS", wordList("Birds", 9, "Metals", 9));
    const StudyReport report = study.check();
    EXPECT_TRUE(report.runnable());
    EXPECT_NE(warnings(report, "/study/s.inp").find("names both one.wls and One.wls"), std::string::npos);
    EXPECT_NE(warnings(report, "two.wls").find("the folder also holds TWO.WLS"), std::string::npos);
}

TEST(StudyCheck, AQuestionnaireCategoryThatNoAnswerCanEmptyIsWarned)
{
    Study study(inputFile({Session{"one.wls", "own.qls"}}));
    study.files.add("/study/own.qls", questionnaire(6, 4, 0, 2));
    StudyReport report = study.check();
    EXPECT_TRUE(report.runnable());
    EXPECT_NE(warnings(report, "own.qls").find("category \"Mine\" gets no item"), std::string::npos);
    EXPECT_EQ(warnings(report, "own.qls").find("\"Theirs\""), std::string::npos);

    study.files.add("/study/own.qls", questionnaire(5, 4, 1, 2));
    EXPECT_EQ(warnings(study.check(), "own.qls"), "");
}

TEST(StudyCheck, AnInstructionCountBeyondThePagesHeldIsWarned)
{
    Study study(inputFile({Session{}}));
    study.files.add("/study/intro.bgi", "3\r\nOne#\r\nTwo#\r\n");
    EXPECT_NE(warnings(study.check(), "intro.bgi").find("the page count is 3 but the file holds 2 pages"),
              std::string::npos);
    study.files.add("/study/intro.bgi", "x\r\n");
    EXPECT_NE(warnings(study.check(), "intro.bgi").find("shows no page"), std::string::npos);
    study.files.add("/study/intro.bgi", "60\r\nOne#\r\n");
    EXPECT_NE(warnings(study.check(), "intro.bgi").find("59 empty pages"), std::string::npos);
}

// What the run refuses before the first instruction page, the checker reports as
// the file's problems, and nothing else of that file.
TEST(StudyCheck, AnInstructionFileTheRunCannotShowIsRefusedAndAProblem)
{
    std::string sixty = "60\r\n";
    for (int i = 0; i < 60; ++i)
        sixty += "Page#\r\n";
    const std::string utf16("\xFF\xFE"
                            "1\0\r\0\n\0",
                            8);
    const std::pair<std::string, std::string> cases[] = {
        {sixty, ""},
        {"\xEF\xBB\xBF"
         "1\r\nGr\u00FC\u00DF Gott.#\r\n",
         ""},
        {"61" + sixty.substr(2) + "Page#\r\n", "the page count is 61, at most 60 pages are allowed"},
        {"2147483647\r\nOne#\r\n", "the page count is 2147483647, at most 60 pages are allowed"},
        {utf16, "the file is saved as UTF-16 text, which the program does not read; save it as UTF-8 or "
                "Windows-1252 (\"ANSI\") text"},
        {"\xEF\xBB\xBF"
         "1\r\nSnow \u2603.#\r\n",
         "line 2: the character \"\u2603\" (U+2603) has no Windows-1252 form; it was read as \"?\"; save the file as "
         "Windows-1252 (\"ANSI\") text or replace the character"},
    };
    for (const auto& [bytes, problem] : cases) {
        Study study(inputFile({Session{}}));
        study.files.add("/study/intro.bgi", bytes);
        StudyFiles files;
        ASSERT_FALSE(loadDefinition(files, "/study/s.inp", study.files));
        const std::optional<Refusal> refusal = instructionFileRefusal(files, study.files);
        const StudyReport report = study.check();
        if (problem.empty()) {
            EXPECT_FALSE(refusal) << refusal->detail;
            EXPECT_TRUE(report.runnable()) << formatStudyReport(report);
            continue;
        }
        ASSERT_TRUE(refusal) << problem;
        EXPECT_EQ(refusal->message, unusableInputMessage);
        EXPECT_EQ(refusal->detail, "instruction file intro.bgi: " + problem);
        EXPECT_EQ(problems(report, "intro.bgi"), refusal->detail + "\n");
        EXPECT_EQ(warnings(report, "intro.bgi"), "");
    }
}

// The checker and a run decide alike: the simulated participant runs each study on
// disk, and stops exactly when the checker reports a problem.
TEST(StudyCheck, ARunStopsExactlyWhenTheCheckerFindsAProblem)
{
    Session longBlocks;
    longBlocks.nPrac = 2;
    longBlocks.nReal = 2;
    std::string snowmanPage = questionnaire(4, 4, 0, 1);
    snowmanPage.replace(snowmanPage.find("Page text"), 9, "Page \u2603");
    const std::vector<std::map<std::string, std::string>> studies = {
        {},
        {{"two.wls", wordList("Birds", 9, "Metals", 0)}},
        {{"two.wls", "25\r\n3\r\nBirds\r\n"}},
        {{"s.inp", inputFile({longBlocks}, "gone.bgi")}},
        {{"s.inp", inputFile({longBlocks}, "intro.bgi", "0")}},
        {{"intro.bgi", "61\r\nWelcome.#\r\n"}},
        {{"intro.bgi", "\xFE\xFF\0"
                       "1"}},
        {{"intro.bgi", "\xEF\xBB\xBF"
                       "1\r\nWelcome \u263A#\r\n"}},
        {{"intro.bgi", "\xEF\xBB\xBF"
                       "1\r\nWelcome \u00E9#\r\n"}},
        {{"s.inp", inputFile({Session{"one.wls", "own.qls", 0, 1, 1, 0, 2, 2}})},
         {"own.qls", "\xEF\xBB\xBF" + questionnaire(4, 4, 0, 1)}},
        {{"s.inp", inputFile({Session{"one.wls", "own.qls", 0, 1, 1, 0, 2, 2}})},
         {"own.qls", "\xEF\xBB\xBF" + snowmanPage}},
        {{"s.inp", inputFile({Session{"one.wls", "own.qls", 0, 1, 1, 0, 2, 2}})},
         {"own.qls", questionnaire(3, 4, 0, 1)}},
        {{"s.inp", inputFile({Session{"one.wls", "own.qls", 0, 1, 1, 0, 2, 2}})},
         {"own.qls", questionnaire(4, 4, 0, 1)}},
        {{"s.inp", inputFile({Session{"one.wls", "none.wls", 0, 1, 1, 0, 2, 2}})}},
    };
    for (std::size_t i = 0; i < studies.size(); ++i) {
        TempDirectory dir;
        std::map<std::string, std::string> files = {{"s.inp", inputFile({longBlocks})},
                                                    {"intro.bgi", introFile},
                                                    {"one.wls", wordList("Fruit", 9, "Tools", 9)},
                                                    {"two.wls", wordList("Birds", 9, "Metals", 9)}};
        for (const auto& [name, bytes] : studies[i])
            files[name] = bytes;
        for (const auto& [name, bytes] : files)
            dir.write(name, bytes);

        const StudyReport report = checkStudy(dir.file("s.inp"));
        SimOptions options;
        options.inputPath = dir.file("s.inp");
        options.dataPath = dir.file("out.dat");
        options.seed = 7;
        std::ostringstream out, err;
        const int status = runSimulation(options, LocalDateTime{}, out, err);
        EXPECT_EQ(status == 0, report.runnable()) << "study " << i << "\n" << formatStudyReport(report) << err.str();
    }
}

TEST(StudyCheck, AFileThatIsThereButCannotBeUsedIsNamedWithTheSystemsReason)
{
    TempDirectory dir;
    dir.write("s.inp", inputFile({Session{}}));
    std::filesystem::create_directory(dir.file("intro.bgi"));
    ASSERT_EQ(::mkfifo(dir.file("one.wls").c_str(), 0644), 0);
    std::filesystem::create_symlink("two.wls", dir.file("two.wls"));
    const StudyReport report = checkStudy(dir.file("s.inp"));
    EXPECT_EQ(report.problems, 3) << formatStudyReport(report);
    const std::string writable = "; the run takes only a file it can open for writing)\n";
    EXPECT_EQ(problems(report, "intro.bgi"),
              "missing: " + dir.file("intro.bgi") + " (exists, but: Is a directory" + writable);
    EXPECT_EQ(problems(report, "one.wls"),
              "missing: " + dir.file("one.wls") + " (exists, but: a named pipe (FIFO), not a regular file" + writable);
    EXPECT_EQ(problems(report, "two.wls"),
              "missing: " + dir.file("two.wls") + " (Too many levels of symbolic links)\n");

    // The subject page takes only an input file it can open for writing.
    if (geteuid() == 0)
        return;  // root opens read-only files for writing
    std::filesystem::permissions(dir.file("s.inp"), std::filesystem::perms::owner_read);
    EXPECT_NE(problems(checkStudy(dir.file("s.inp")), dir.file("s.inp")).find("would refuse it"), std::string::npos);
}

// A fault that several checks, sessions or pairs come upon is reported once, and a
// study the input file does not describe gives no warnings about it.
TEST(StudyCheck, EachProblemIsReportedOnce)
{
    std::string longLabel = questionnaire(4, 4, 1, 1);
    longLabel.replace(0, 4, "AVeryLongLabelIndeed");
    const Session oneGone{"one.wls", "gone.wls"}, goneTwo{"gone.wls", "two.wls"};
    const Session oneTwo{"one.wls", "two.wls"}, twoOne{"two.wls", "one.wls"};
    const struct {
        const char* what;
        std::string input;
        std::map<std::string, std::string> files;
        int problems;
        int warnings;
        std::string finding;  // one line of the report
    } cases[] = {
        {"a missing list named in two sessions",
         inputFile({oneGone, goneTwo}),
         {},
         1,
         0,
         "  problem: missing: /study/gone.wls\n"},
        {"a missing instruction file also named as a list",
         inputFile({oneGone}, "gone.wls"),
         {},
         1,
         0,
         "  problem: missing: /study/gone.wls\n"},
        {"a list missing by the case of its name, named rightly elsewhere",
         inputFile({Session{"One.wls", "two.wls"}, Session{"one.wls", "two.wls"}}),
         {},
         1,
         0,
         "  problem: missing: /study/One.wls (the folder holds one.wls: names differ in case)\n"},
        {"a list the reader cut, named in two sessions",
         inputFile({oneTwo, twoOne}),
         {{"two.wls", "25\r\n3\r\nBirds\r\n"}},
         2,
         0,
         "category A has 25 entries"},
        {"a list without items in two sessions",
         inputFile({oneTwo, twoOne}),
         {{"one.wls", wordList("Fruit", 0, "Tools", 9)}},
         1,
         0,
         "  problem: session 1: category \"Fruit\" of one.wls has no items\n"},
        {"a questionnaire label too long for the catalogue and the questionnaire reader",
         inputFile({Session{"one.wls", "own.qls"}}),
         {{"own.qls", longLabel}},
         1,
         0,
         "is longer than 15 characters"},
        {"an empty input file", "", {}, 1, 0, "  problem: input file s.inp: the file is empty\n"},
        {"an input file of blanks", " \r\n\r\n", {}, 1, 0, "  problem: input file s.inp: the file is empty\n"},
    };
    for (const auto& c : cases) {
        Study study(c.input);
        for (const auto& [name, bytes] : c.files)
            study.files.add("/study/" + name, bytes);
        const StudyReport report = study.check();
        const std::string text = formatStudyReport(report);
        EXPECT_EQ(report.problems, c.problems) << c.what << "\n" << text;
        EXPECT_EQ(report.warnings, c.warnings) << c.what << "\n" << text;
        EXPECT_NE(text.find(c.finding), std::string::npos) << c.what << "\n" << text;
    }
}

TEST(StudyCheck, FlagsOtherThanZeroOrOneAreWarnedWithWhatTheParticipantWillSee)
{
    const std::string tutorial = "the tutorial flag is 2, neither 0 nor 1: the participant sees neither the tutorial "
                                 "(1) nor the page on the keys (0)\n";
    const std::string review = "the edit-lists flag is -1, neither 0 nor 1: as with 0, the participant is not "
                               "offered the review of the word lists (1 offers it)\n";
    const std::pair<const char*, std::string> cases[] = {
        {"1\t1", ""}, {"0\t0", ""}, {"2\t1", tutorial}, {"0\t-1", review}, {"2\t-1", tutorial + review}};
    for (const auto& [flags, expected] : cases) {
        std::string input = inputFile({Session{}});
        input.replace(input.size() - 5, 3, flags);  // the two flags end the line
        EXPECT_EQ(warnings(Study(input).check(), "/study/s.inp"), expected) << flags;
    }
}

// Each word or path that would spoil the data gives exactly one warning, with its
// line (a questionnaire: its page) and the word as bytes made visible.
TEST(StudyCheck, WordsAndPathsThatWouldSpoilTheDataAreWarned)
{
    // one.wls: line 3 "Fruit", lines 4 to 12 "Fruword1" to 9, line 13 "Tools", lines
    // 14 to 22 "Tooword1" to 9.
    const auto fruit = [](std::vector<std::pair<std::string, std::string>> changes) {
        std::string bytes = wordList("Fruit", 9, "Tools", 9);
        for (const auto& [from, to] : changes)
            bytes.replace(bytes.find("\n" + from + "\r") + 1, from.size(), to);
        return bytes;
    };
    // own.qls: the labels "Mine" and "Theirs"; pages 17 and 18 hold the experimenter
    // items "mine0" and "mine1" of Mine, page 19 "theirs0" of Theirs.
    const auto own = [](const std::string& from, const std::string& to) {
        std::string bytes = questionnaire(8, 8, 2, 1);
        return bytes.replace(bytes.find(from), from.size(), to);
    };
    const std::string nul("le\0mon", 6);
    const struct {
        std::string file;
        std::string bytes;
        std::string warning;  // empty: none at all
    } cases[] = {
        {"one.wls", fruit({}), ""},
        {"one.wls", fruit({{"Fruword3", nul}}),
         "line 6: the word \"le\\x00mon\" holds a NUL byte: the data file records it, and pandas reads the word only "
         "up to it (\"le\")"},
        {"one.wls", fruit({{"Tooword2", "caf\x81"}}),
         "line 15: the word \"caf\\x81\" holds the byte \\x81, which Windows-1252 leaves undefined: the screen has no "
         "character to show for it, and readers of the data file as Windows-1252 text (the user guide's R and "
         "Python code) stop at it"},
        {"one.wls", fruit({{"Tools", "Too\x9Dls"}}),
         "line 13: the label \"Too\\x9Dls\" holds the byte \\x9D, which Windows-1252 leaves undefined: the screen has "
         "no character to show for it"},
        {"one.wls",
         fruit(
             {{"Fruword2", "Fruword1"}, {"Fruword4", "Fruword1"}, {"Fruword6", "Fruword1"}, {"Fruword8", "Fruword1"}}),
         "lines 4, 5, 7, 9 and 11: the word \"Fruword1\" stands 5 times in category \"Fruit\": blocks show it more "
         "often than the other words"},
        {"one.wls", fruit({{"Tooword9", "Fruword5"}}),
         "lines 8 and 22: the word \"Fruword5\" stands in both categories, \"Fruit\" and \"Tools\": the participant "
         "cannot know which key is right for it"},
        {"one.wls", fruit({{"Tools", "Fruit"}}),
         "lines 3 and 13: both categories have the label \"Fruit\": the screen shows the same label on both sides"},
        {"own.qls", own("mine1#", "mine0#"),
         "pages 17 and 18: the word \"mine0\" stands twice in category \"Mine\": blocks show it more often than the "
         "other words"},
        {"own.qls", own("theirs0#", "mine1#"),
         "pages 18 and 19: the word \"mine1\" stands in both categories, \"Mine\" and \"Theirs\": the participant "
         "cannot know which key is right for it"},
        {"own.qls", own("theirs0#", std::string("th\0eirs#", 8)),
         "page 19: the word \"th\\x00eirs\" holds a NUL byte: the data file records it, and pandas reads the word "
         "only up to it (\"th\")"},
        {"own.qls", own("Theirs#", "Mine#"),
         "both categories have the label \"Mine\": the screen shows the same label on both sides"},
    };
    for (const auto& c : cases) {
        Study study(inputFile({Session{"one.wls", c.file == "own.qls" ? "own.qls" : "two.wls"}}));
        study.files.add("/study/" + c.file, c.bytes);
        const StudyReport report = study.check();
        EXPECT_TRUE(report.runnable()) << formatStudyReport(report);
        EXPECT_EQ(report.warnings, c.warning.empty() ? 0 : 1) << formatStudyReport(report);
        EXPECT_EQ(warnings(report, c.file), c.warning.empty() ? "" : c.warning + "\n") << c.warning;
    }

    // The subject log would hold the path's tab; the report shows it.
    const Study tab(inputFile({Session{}}), "/lab\tstudies");
    const StudyReport report = tab.check();
    EXPECT_EQ(report.warnings, 1);
    EXPECT_EQ(warnings(report, "/lab\tstudies/s.inp"),
              "the path holds a tab, which would tear the lines of the data file and the subject log apart\n");
    EXPECT_TRUE(formatStudyReport(report).starts_with("/lab\\x09studies/s.inp\n  warning: the path holds a tab"));
}

}  // namespace
