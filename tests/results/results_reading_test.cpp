#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "common/temp_directory.h"
#include "instructions/instruction_pages.h"
#include "results/results_lines.h"
#include "results/results_reading.h"
#include "results/results_scores.h"
#include "run/output_files.h"
#include "run/run_driver.h"
#include "run/subject_page.h"
#include "support/scripted_run_screens.h"

namespace {

// --- lines made by the run's own formatter ---

// A first session with Catsw 1: blocks 1 to 4 are half 1's four blocks, 5 to 7 half 2's
// pair 2 practice, combined practice and recorded block. Practice blocks have 2
// trials, recorded ones 3.
SessionSettings smallSession()
{
    SessionSettings s;
    s.Cat1.assign("flowers.wls");
    s.Cat2.assign("pleasant.wls");
    s.Catsw = 1;
    s.nPrac = 2;
    s.nReal = 3;
    return s;
}

SubjectRecord subjectOf(int number, const std::string& other = "")
{
    SubjectRecord who;
    who.subjectNumber = number;
    who.sexCode = "f";
    who.otherCode = other;
    who.inputName = "study.inp";
    who.inputPath = "C:\\lab\\study.inp";
    return who;
}

// Block `number` of a run of the small session, every trial answered on its correct side.
std::string blockLines(const SubjectRecord& who, int number, int latency = 600)
{
    const SessionSettings s = smallSession();
    const bool recorded = number == 4 || number == 7;
    const int type = number == 1 ? 0 : number == 2 || number == 5 ? 1 : 3;
    const std::array<int, 2> left = number <= 4 ? std::array<int, 2>{0, 0} : std::array<int, 2>{0, 1};
    TrialResults results{};
    const int trials = recorded ? s.nReal : s.nPrac;
    for (int t = 0; t < trials; ++t) {
        TrialResult& r = results[static_cast<std::size_t>(t)];
        r.trialNumber = t + 1;
        r.pair = type == 3 ? t % 2 : type;
        r.category = t / 2 % 2;
        r.item = t + 1;
        r.word.assign("w" + std::to_string(t + 1));
        r.latency = latency + 10 * t;
        r.responseSide = r.category == left[static_cast<std::size_t>(r.pair)] ? "l" : "r";
    }
    std::string lines;
    for (const std::string& line : formatDataLines(who, 1, s, number, results, trials))
        lines += line;
    return lines;
}

std::string wholeRun(const SubjectRecord& who)
{
    std::string lines;
    for (int b = 1; b <= 7; ++b)
        lines += blockLines(who, b);
    return lines;
}

std::vector<int> blockNumbers(const RunRecord& run)
{
    std::vector<int> numbers;
    for (const SessionRecord& session : run.sessions)
        for (const BlockRecord& block : session.blocks)
            numbers.push_back(block.number);
    return numbers;
}

// The small session's list files, in memory under directory.
void addLists(MemoryFiles& files, const std::string& directory)
{
    for (const auto& [name, a, b] :
         {std::tuple{"flowers.wls", "Flowers", "Insects"}, std::tuple{"pleasant.wls", "Pleasant", "Unpleasant"}}) {
        WordList list;
        list.entriesA[0].assign(a);
        list.entriesB[0].assign(b);
        list.entriesA[1].assign("x");
        list.entriesB[1].assign("y");
        list.entryCountA = list.entryCountB = 2;
        std::string bytes;
        std::string reason;
        EXPECT_TRUE(formatWordListFile(list, bytes, reason)) << reason;
        files.add(directory + "/" + name, bytes);
    }
}

std::vector<std::string> linesOf(const std::string& bytes)
{
    std::vector<std::string> lines;
    for (std::size_t from = 0, end; (end = bytes.find('\n', from)) != std::string::npos; from = end + 1)
        lines.push_back(bytes.substr(from, end + 1 - from));
    return lines;
}

StudyResults readMemory(const MemoryFiles& files, const std::vector<std::string>& paths)
{
    return readStudy(paths, {}, files);
}

// --- lines ---

TEST(ResultsLines, EachFieldIsHeldToWhatARunWrites)
{
    const std::string good = blockLines(subjectOf(7), 1).substr(0, blockLines(subjectOf(7), 1).find('\n'));
    DataLine line;
    std::string reason;
    ASSERT_EQ(parseDataLine(good, line, reason), LineKind::Record) << reason;
    EXPECT_EQ(line.subject, 7);
    EXPECT_EQ(line.block, 1);
    EXPECT_FALSE(line.unrun);

    // Field n (1-based) replaced by a value, and the start of the reason.
    const auto withField = [&](int n, const std::string& value) {
        std::vector<std::string> fields;
        std::size_t from = 0;
        for (std::size_t tab; (tab = good.find('\t', from)) != std::string::npos; from = tab + 1)
            fields.push_back(good.substr(from, tab - from));
        fields[static_cast<std::size_t>(n - 1)] = value;
        std::string text;
        for (const std::string& f : fields)
            text += f + "\t";
        return text + "\r";
    };
    const struct {
        std::string line;
        LineKind kind;
        std::string reason;
    } cases[] = {
        {dataFileHeader().substr(0, dataFileHeader().size() - 1), LineKind::Header, ""},
        {" \t\r", LineKind::Blank, ""},
        {good.substr(0, good.rfind('\t', good.size() - 3)), LineKind::Malformed, "the line has 21 fields, 22 are"},
        {good + "x\t", LineKind::Malformed, "the line has 23 fields"},
        {withField(2, "10"), LineKind::Malformed, "Sess is \"10\", not a whole number from 1 to 9"},
        {withField(11, "99999999999999999999"), LineKind::Malformed, "Sub is \"99999999999999999999\""},
        {withField(11, "+7"), LineKind::Malformed, "Sub is \"+7\""},
        {withField(14, "0"), LineKind::Malformed, "Block is \"0\""},
        {withField(20, "-1"), LineKind::Malformed, "Lat is \"-1\""},
        {withField(20, "2147483648"), LineKind::Malformed, "Lat is \"2147483648\""},
        {withField(12, "M"), LineKind::Malformed, "Sex is \"M\""},
        {withField(13, "ninechars"), LineKind::Malformed, "Other \"ninechars\" is longer than 8"},
        {withField(19, ""), LineKind::Malformed, "Item is empty"},
        {withField(22, "x"), LineKind::Malformed, "Key is \"x\""},
        {withField(16, "9"), LineKind::Malformed, "Icat is 9, not 0 or 1"},
        {withField(22, "9"), LineKind::Malformed, "the slot has no response (Key 9) but Lat"},
        {withField(3, ""), LineKind::Malformed, "Cat1 is empty"},
        // Catsw is any whole number: another value than 0 or 1 switches neither pair.
        {withField(7, "-5"), LineKind::Record, ""},
        // The last tab may be missing.
        {good.substr(0, good.size() - 2), LineKind::Record, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        reason.clear();
        EXPECT_EQ(parseDataLine(c.line, line, reason), c.kind);
        EXPECT_EQ(reason.substr(0, c.reason.size()), c.reason);
    }

    // The slots of a block cut short: the word on screen keeps its item, the rest are markers.
    for (const std::string& slot :
         {std::string("3\t1\t0\t4\tw3\t99999\t99\t9\t"), std::string("99\t9\t9\t99\tblank\t99999\t99\t9\t")}) {
        const std::string text = good.substr(0, line.head.size()) + slot;
        ASSERT_EQ(parseDataLine(text, line, reason), LineKind::Record) << slot;
        EXPECT_TRUE(line.unrun);
    }
}

TEST(ResultsReading, MalformedLinesAreReportedWithTheirNumbersAndSkipped)
{
    std::vector<std::string> lines = linesOf(dataFileHeader() + wholeRun(subjectOf(7)));
    // Line 4, block 2's first, cut short by a run killed inside a write; a header
    // repeated where a second file was appended; a blank line; a line of another kind.
    lines[3] = lines[3].substr(0, 30) + "\r\n";
    lines.insert(lines.begin() + 7, dataFileHeader());
    lines.push_back("\r\n");
    lines.push_back("Sub\tSex\tother\t\r\n");
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line;
    MemoryFiles files;
    files.add("/s/run.dat", bytes);
    addLists(files, "/s");
    const StudyResults study = readMemory(files, {"/s/run.dat"});

    EXPECT_EQ(study.linesRead, static_cast<std::int64_t>(lines.size()));
    EXPECT_EQ(study.problems,
              (std::vector<std::string>{"run.dat: no subject log run.slg beside it: its runs count as incomplete "
                                        "unless another log has their lines",
                                        "run.dat:4: the line has 4 fields, 22 are expected",
                                        "run.dat:20: the line has 3 fields, 22 are expected"}));
    ASSERT_EQ(study.runs.size(), 1u);
    const RunRecord& r = study.runs[0];
    EXPECT_EQ(blockNumbers(r), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(r.problems, (std::vector<std::string>{"block 2 (session 1, half 1, pair 2 practice) has 1 line, 2 are "
                                                    "expected"}));
}

// --- runs ---

TEST(ResultsReading, RunsAreRebuiltFromInterleavedRestartedAndContinuedBlocks)
{
    const SubjectRecord a = subjectOf(7);
    const SubjectRecord b = subjectOf(8);
    const SubjectRecord aOther = subjectOf(7, "grp2");
    const auto blocks = [](const SubjectRecord& who, std::initializer_list<int> numbers) {
        std::string lines;
        for (int n : numbers)
            lines += blockLines(who, n);
        return lines;
    };
    const std::string interleaved = [&] {
        std::string lines;
        for (int n = 1; n <= 7; ++n)
            lines += blockLines(a, n) + blockLines(b, n) + blockLines(aOther, n);
        return lines;
    }();

    const struct {
        const char* name;
        std::vector<std::string> files;
        std::vector<std::pair<int, std::vector<int>>> runs;  // subject, block numbers
        std::vector<std::string> dataFiles;                  // of each run's blocks 4 to 7
        bool concurrent;                                     // runs 1 and 2 were flagged as at the same time
    } cases[] = {
        {"two subjects and another other code, block by block",
         {interleaved},
         {{7, {1, 2, 3, 4, 5, 6, 7}}, {8, {1, 2, 3, 4, 5, 6, 7}}, {7, {1, 2, 3, 4, 5, 6, 7}}},
         {},
         false},
        {"a stopped run, then block 1 starts the subject again",
         {blocks(a, {1, 2, 3}) + wholeRun(a)},
         {{7, {1, 2, 3}}, {7, {1, 2, 3, 4, 5, 6, 7}}},
         {},
         false},
        {"a run goes on in a rescue file after another subject's run",
         {blocks(a, {1, 2, 3}) + wholeRun(b), blocks(a, {4, 5, 6, 7})},
         {{7, {1, 2, 3, 4, 5, 6, 7}}, {8, {1, 2, 3, 4, 5, 6, 7}}},
         {"/s/b.dat", "/s/a.dat"},
         false},
        {"a run goes on in a rescue file after a later run of the same subject",
         {blocks(a, {1, 2, 3}) + wholeRun(a), blocks(a, {4, 5, 6, 7})},
         {{7, {1, 2, 3, 4, 5, 6, 7}}, {7, {1, 2, 3, 4, 5, 6, 7}}},
         {"/s/b.dat", "/s/a.dat"},
         false},
        {"the same subject twice at the same time",
         {blocks(a, {1, 1, 2, 2, 3, 3})},
         {{7, {1, 2, 3}}, {7, {1, 2, 3}}},
         {},
         true},
        {"block numbers going back, not to 1", {blocks(a, {1, 2, 3, 2, 3})}, {{7, {1, 2, 3}}, {7, {2, 3}}}, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFiles files;
        addLists(files, "/s");
        std::vector<std::string> paths;
        for (std::size_t f = 0; f < c.files.size(); ++f) {
            paths.push_back(f == 0 ? "/s/a.dat" : "/s/b.dat");
            files.add(paths.back(), c.files[f]);
        }
        const StudyResults study = readMemory(files, paths);
        ASSERT_EQ(study.runs.size(), c.runs.size());
        for (std::size_t r = 0; r < c.runs.size(); ++r) {
            EXPECT_EQ(study.runs[r].id, static_cast<int>(r) + 1);
            EXPECT_EQ(study.runs[r].subject, c.runs[r].first);
            EXPECT_EQ(blockNumbers(study.runs[r]), c.runs[r].second) << r;
        }
        for (std::size_t r = 0; r < c.dataFiles.size(); ++r) {
            EXPECT_EQ(study.runs[r].sessions[0].blocks[3].dataFile, c.dataFiles[r]);
        }
        const auto flagged = [&](const RunRecord& r) {
            return std::any_of(r.problems.begin(), r.problems.end(),
                               [](const std::string& p) { return p.find("the same subject") != std::string::npos; });
        };
        EXPECT_EQ(flagged(study.runs[0]), c.concurrent);
        EXPECT_EQ(flagged(study.runs[1]), c.concurrent);
        const bool reported = std::any_of(study.problems.begin(), study.problems.end(), [](const std::string& p) {
            return p.find("were at the same time") != std::string::npos;
        });
        EXPECT_EQ(reported, c.concurrent);
        for (const RunRecord& r : study.runs) {
            if (!c.concurrent) {
                EXPECT_EQ(r.problems, std::vector<std::string>{});
            }
        }
    }
}

// --- the run driver's own runs read back ---

WordList wordList(const std::string& labelA, const std::string& labelB)
{
    WordList list;
    list.entriesA[0].assign(labelA);
    list.entriesB[0].assign(labelB);
    for (int i = 1; i <= 6; ++i) {
        list.entriesA[i].assign(labelA.substr(0, 2) + std::to_string(i));
        list.entriesB[i].assign(labelB.substr(0, 2) + std::to_string(i));
    }
    list.entryCountA = list.entryCountB = 7;
    return list;
}

SessionSettings sessionOf(const std::string& cat1, const std::string& cat2, int catsw, int cat1p = 0, int cat2p = 0)
{
    SessionSettings s;
    s.Cat1.assign(cat1);
    s.Cat2.assign(cat2);
    s.Cat1p = cat1p;
    s.Cat2p = cat2p;
    s.Catsw = catsw;
    s.nPrac = 4;
    s.nReal = 6;
    return s;
}

// Runs a study through the run driver with scripted screens, into dir/out.dat and
// dir/out.slg, and returns the screens' record of what was run.
std::vector<std::string> runStudy(const TempDirectory& dir, const std::vector<SessionSettings>& sessions, int subject,
                                  std::map<int, int> cutBlocks = {})
{
    EXPECT_TRUE(writeWordListFile(wordList("Fruit", "Tools"), dir.file("Fruit.wls")));
    EXPECT_TRUE(writeWordListFile(wordList("Mine", "Theirs"), dir.file("Mine.wls")));
    EXPECT_TRUE(writeWordListFile(wordList("Cats", "Dogs"), dir.file("Pets.wls")));
    InstructionPages pages;
    pages.pageCount = 1;
    pages.pageTexts[0].assign("Welcome");
    EXPECT_TRUE(writeInstructionFile(pages, dir.file("intro.bgi")));
    ExperimentDefinition definition;
    definition.instructionFileName.assign("intro.bgi");
    definition.sessionCount = static_cast<int>(sessions.size());
    std::copy(sessions.begin(), sessions.end(), definition.sessions.begin());
    EXPECT_TRUE(writeInputFile(definition, dir.file("study.inp")));

    ScriptedRunScreens screens;
    SubjectPageEntries entries;
    entries.inputPath = dir.file("study.inp");
    entries.dataPath = dir.file("out.dat");
    entries.sexIndex = 0;
    screens.subject = makeSubjectRecord(entries, subject, {2026, 3, 9, 14, 5, 0});
    screens.exitCodes = {"zup"};
    screens.cutBlocks = std::move(cutBlocks);
    RunDriver driver(screens);
    EXPECT_EQ(driver.runExperiment({2026, 3, 9, 14, 5, 0}).status, RunOutcome::Status::Completed);
    return screens.log;
}

struct RunBlock {
    BlockRole role;
    int half;
    std::string labels;  // as the block showed them: "L1 R1 | L2 R2"
};

// The blocks as the screens saw them: the page before a block tells its half and
// whether it is recorded.
std::vector<RunBlock> blocksShown(const std::vector<std::string>& log)
{
    std::vector<RunBlock> blocks;
    int half = 1;
    bool recorded = false;
    for (const std::string& line : log) {
        if (line.starts_with("page: The next blocks are for practice") ||
            line.starts_with("page: For the next series of blocks, a new category"))
            half = 1;
        else if (line.starts_with("page: For the next several blocks of category judgments"))
            half = 2;
        else if (line.starts_with("page: You have now completed the practice blocks"))
            recorded = true;
        if (!line.starts_with("block "))
            continue;
        const char type = line[6];
        const BlockRole role = type == '0'   ? BlockRole::PairOnePractice
                               : type == '1' ? BlockRole::PairTwoPractice
                               : recorded    ? BlockRole::CombinedRecorded
                                             : BlockRole::CombinedPractice;
        blocks.push_back({role, half, line.substr(9, line.find(',') - 9)});
        recorded = false;
    }
    return blocks;
}

TEST(ResultsReading, EachBlockTakesTheRoleTheRunDriverGaveIt)
{
    const struct {
        const char* name;
        std::vector<SessionSettings> sessions;
        std::map<int, int> cutBlocks;
    } cases[] = {
        {"same lists, pair 2 switched: session 2 skips pair 1's practice",
         {sessionOf("Fruit.wls", "Mine.wls", 1), sessionOf("Fruit.wls", "Mine.wls", 1)},
         {{4, 2}}},
        {"pair 1 switched, pair 2 opposite",
         {sessionOf("Fruit.wls", "Mine.wls", 0, 0, 1), sessionOf("Fruit.wls", "Mine.wls", 0, 0, 1)},
         {}},
        {"a new list for pair 2 in session 2",
         {sessionOf("Fruit.wls", "Mine.wls", 1), sessionOf("Fruit.wls", "Pets.wls", 1)},
         {{9, 0}}},
        {"session 2 starts pair 1 the other way round",
         {sessionOf("Fruit.wls", "Mine.wls", 1), sessionOf("Fruit.wls", "Mine.wls", 0, 1, 0)},
         {}},
        {"no switch, and three sessions",
         {sessionOf("Fruit.wls", "Mine.wls", 2), sessionOf("Mine.wls", "Fruit.wls", 2),
          sessionOf("Mine.wls", "Fruit.wls", 1)},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory dir;
        const std::vector<RunBlock> shown = blocksShown(runStudy(dir, c.sessions, 12, c.cutBlocks));
        const StudyResults study = readStudy({dir.file("out.dat")}, {}, diskFiles());

        EXPECT_EQ(study.problems, std::vector<std::string>{});
        ASSERT_EQ(study.runs.size(), 1u);
        const RunRecord& run = study.runs[0];
        EXPECT_EQ(run.problems, std::vector<std::string>{});
        EXPECT_TRUE(run.complete);
        ASSERT_EQ(run.sessions.size(), c.sessions.size());
        std::size_t i = 0;
        for (const SessionRecord& session : run.sessions) {
            EXPECT_EQ(session.labelSource, "list file");
            EXPECT_EQ(session.logDifferences, std::vector<std::string>{}) << session.settings.session;
            for (const BlockRecord& block : session.blocks) {
                ASSERT_LT(i, shown.size());
                const RunBlock& expected = shown[i++];
                EXPECT_EQ(block.number, static_cast<int>(i));
                EXPECT_EQ(block.role, expected.role) << block.number;
                EXPECT_EQ(block.half, expected.half) << block.number;
                // The labels in force follow from the block's sides.
                const auto& l = session.labels;
                const std::string pair1 = l[0][block.left[0]] + " " + l[0][1 - block.left[0]];
                const std::string pair2 = l[1][block.left[1]] + " " + l[1][1 - block.left[1]];
                EXPECT_EQ(expected.labels, (block.role == BlockRole::PairTwoPractice ? " " : pair1) + " | " +
                                               (block.role == BlockRole::PairOnePractice ? " " : pair2))
                    << block.number;
            }
        }
        EXPECT_EQ(i, shown.size());
    }
}

TEST(ResultsReading, ALogLineGoesToTheRunWhoseFiguresAgreeElseToTheEarliest)
{
    TempDirectory dir;
    runStudy(dir, {sessionOf("Fruit.wls", "Mine.wls", 1)}, 5);
    const std::string data = dir.read("out.dat");
    const std::string log = dir.read("out.slg");
    // A run stopped after three blocks, before the same subject's completed run.
    std::size_t stop = 0;
    for (int line = 0; line < 1 + 3 * 4; ++line)
        stop = data.find('\n', stop) + 1;
    const std::string stopped = data.substr(0, stop);
    const std::string completed = data.substr(data.find('\n') + 1);

    for (const bool agreeing : {true, false}) {
        SCOPED_TRACE(agreeing);
        std::string logLines = log;
        if (!agreeing) {
            // The first half's mean latency, field 13, off by one.
            const std::size_t line = logLines.find('\n') + 1;
            std::size_t field = line;
            for (int f = 0; f < 12; ++f)
                field = logLines.find('\t', field) + 1;
            const std::size_t end = logLines.find('\t', field);
            logLines.replace(field, end - field, std::to_string(std::stoi(logLines.substr(field, end - field)) + 1));
        }
        dir.write("both.dat", stopped + completed);
        dir.write("both.slg", logLines);
        const StudyResults study = readStudy({dir.file("both.dat")}, {}, diskFiles());
        ASSERT_EQ(study.runs.size(), 2u);
        const RunRecord& first = study.runs[0];
        const RunRecord& second = study.runs[1];
        EXPECT_EQ(blockNumbers(first), (std::vector<int>{1, 2, 3}));
        EXPECT_EQ(first.complete, !agreeing);
        EXPECT_EQ(second.complete, agreeing);
        const RunRecord& matched = agreeing ? second : first;
        ASSERT_TRUE(matched.log);
        EXPECT_EQ(matched.log->lineNumber, 2);
        EXPECT_EQ(matched.log->inputPath, dir.file("study.inp"));
        if (agreeing) {
            EXPECT_TRUE(matched.sessions[0].logDifferences.empty());
        } else {
            // The stopped run has no recorded blocks: every figure differs.
            EXPECT_EQ(matched.sessions[0].logDifferences.size(), 2u);
            EXPECT_EQ(matched.sessions[0].logDifferences[0].substr(0, 62),
                      "session 1, half 1: no recorded block in the data lines; the su");
        }
    }
}

TEST(ResultsReading, LabelsComeFromTheListFilesElseFromTheSubjectLog)
{
    TempDirectory dir;
    runStudy(dir, {sessionOf("Fruit.wls", "Mine.wls", 1, 1, 0)}, 5);
    const std::string data = dir.read("out.dat");
    const std::string log = dir.read("out.slg");
    const auto labelsOf = [](const SessionRecord& s) {
        return s.labels[0][0] + " " + s.labels[0][1] + " " + s.labels[1][0] + " " + s.labels[1][1];
    };

    MemoryFiles files;
    files.add("/elsewhere/out.dat", data);
    files.add("/elsewhere/out.slg", log);
    files.add("/elsewhere/Mine.wls", dir.read("Mine.wls"));
    // Pair 1's file is missing: its labels come from the log (Cat1p 1: CatsL starts with
    // pair 1's second label).
    StudyResults study = readStudy({"/elsewhere/out.dat"}, {}, files);
    ASSERT_EQ(study.runs.size(), 1u);
    EXPECT_EQ(labelsOf(study.runs[0].sessions[0]), "Fruit Tools Mine Theirs");
    EXPECT_EQ(study.runs[0].sessions[0].labelSource, "list file and subject log");
    EXPECT_TRUE(study.runs[0].problems.empty());

    // The study folder option names where the list files are.
    files.add("/lists/Fruit.wls", dir.read("Fruit.wls"));
    study = readStudy({"/elsewhere/out.dat"}, {"/lists"}, files);
    ASSERT_EQ(study.runs.size(), 1u);
    EXPECT_EQ(labelsOf(study.runs[0].sessions[0]), "Fruit Tools Mine Theirs");
    EXPECT_EQ(study.runs[0].sessions[0].labelSource, "list file and subject log");

    // Without a log: unknown, and said so.
    MemoryFiles noLog;
    noLog.add("/elsewhere/out.dat", data);
    study = readStudy({"/elsewhere/out.dat"}, {}, noLog);
    ASSERT_EQ(study.runs.size(), 1u);
    EXPECT_EQ(labelsOf(study.runs[0].sessions[0]), "   ");
    EXPECT_EQ(study.runs[0].sessions[0].labelSource, "");
    EXPECT_FALSE(study.runs[0].complete);
    ASSERT_EQ(study.runs[0].problems.size(), 2u);
    EXPECT_EQ(study.runs[0].problems[0],
              "session 1: the category labels of pair 1 are unknown (Fruit.wls is not in /elsewhere, and the run has "
              "no subject log line)");
}

TEST(ResultsReading, ProgressRisesToTheTotalOfTheFiles)
{
    MemoryFiles files;
    std::string data;
    for (int subject = 0; subject < 600; ++subject)
        data += wholeRun(subjectOf(subject % 1000));
    files.add("/s/run.dat", data);
    std::vector<std::int64_t> done;
    readStudy({"/s/run.dat"}, {}, files, [&](std::int64_t d, std::int64_t total) {
        EXPECT_EQ(total, static_cast<std::int64_t>(data.size()));
        done.push_back(d);
    });
    ASSERT_GE(done.size(), 3u);
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
    EXPECT_EQ(done.back(), static_cast<std::int64_t>(data.size()));
}

}  // namespace
