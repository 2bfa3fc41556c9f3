#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "common/descriptor.h"
#include "common/temp_directory.h"
#include "instructions/instruction_pages.h"
#include "results/participants.h"
#include "results/results_lines.h"
#include "results/results_reading.h"
#include "results/results_scores.h"
#include "results/run_flags.h"
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

// Block `number` of a run of the small session (or of one like it), every trial
// answered on its correct side; with nPrac 0 its practice blocks have no lines.
std::string blockLines(const SubjectRecord& who, int number, int latency = 600,
                       const SessionSettings& s = smallSession())
{
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

TEST(ResultsLines, NumbersOutsideTheirFieldsMakeTheLineMalformedAndNothingOverflows)
{
    const std::string good = blockLines(subjectOf(7), 4).substr(0, blockLines(subjectOf(7), 4).find('\n'));
    const auto withField = [&](const std::string& line, int n, const std::string& value) {
        std::size_t from = 0;
        for (int f = 1; f < n; ++f)
            from = line.find('\t', from) + 1;
        return line.substr(0, from) + value + line.substr(line.find('\t', from));
    };
    // Field, value; the reason's start, "" for a line taken.
    const struct {
        int field;
        std::string value;
        std::string reason;
    } cases[] = {
        {11, "2147483648", "Sub is \"2147483648\""},
        {7, "2147483648", "Catsw is \"2147483648\""},
        {20, "2147483648", "Lat is \"2147483648\""},
        {2, "-1", "Sess is \"-1\""},
        {15, "-1", "Trial is \"-1\""},
        {21, "-1", "Error is \"-1\""},
        {20, "-0", "Lat is \"-0\""},
        {21, "-0", "Error is \"-0\""},
        {14, "-0", "Block is \"-0\""},
        {21, "2147483648", "Error is \"2147483648\", not a whole number from 0 to 2147483647"},
        {7, "-1", ""},           // Catsw may be negative
        {20, "150000", ""},      // a latency as measured
        {21, "2147483647", ""},  // the most errors a trial may hold
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value + " in field " + std::to_string(c.field));
        DataLine line;
        std::string reason;
        EXPECT_EQ(parseDataLine(withField(good, c.field, c.value), line, reason),
                  c.reason.empty() ? LineKind::Record : LineKind::Malformed);
        EXPECT_EQ(reason.substr(0, c.reason.size()), c.reason);
    }

    // Read and scored: the line refused is reported where it is; on the third and
    // only scored trial of half 1's recorded block (line 10) the most errors give the
    // error rate the subject log's formula gives, in 64 bits, and the latency is kept
    // as measured.
    // The subject log's error rate may pass 100 %, but has no sign either.
    std::vector<std::string> lines = linesOf(dataFileHeader() + wholeRun(subjectOf(7)));
    lines[9] = withField(withField(lines[9], 21, "2147483647"), 20, "150000");
    lines[10] = withField(lines[10], 21, "2147483648");
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line;
    const std::string logLine = "7\tf\t\tstudy.inp\t3\t9\t126\t14\t5\tA+B\tC+D\t2\t700\t105\t1\t700\t0\t1\t\r\n";
    MemoryFiles files;
    files.add("/s/run.dat", bytes);
    files.add("/s/run.slg", subjectLogHeader(1) + logLine + withField(logLine, 17, "-0"));
    addLists(files, "/s");
    const StudyResults study = readMemory(files, {"/s/run.dat"});
    ASSERT_EQ(study.problems.size(), 2u);
    EXPECT_EQ(study.problems[0].substr(0, 28), "run.dat:11: Error is \"214748");
    EXPECT_EQ(study.problems[1].substr(0, 32), "run.slg:3: 2ndErr_1 is \"-0\", not");
    ASSERT_EQ(study.runs.size(), 1u);
    ASSERT_TRUE(study.runs[0].log);
    EXPECT_EQ(study.runs[0].log->sessions.at(0).halves[0].errorRate, 105);
    const SessionRecord& session = study.runs[0].sessions.at(0);
    ASSERT_TRUE(session.halves[0]);
    EXPECT_EQ(session.halves[0]->errorRate, std::int64_t{214748364700});
    EXPECT_EQ(session.blocks.at(3).trials.at(2).latency, 150000);
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
    const auto blocks = [](const SubjectRecord& who, std::initializer_list<int> numbers, int nPrac = 2) {
        SessionSettings settings = smallSession();
        settings.nPrac = nPrac;
        std::string lines;
        for (int n : numbers)
            lines += blockLines(who, n, 600, settings);
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
        std::vector<std::string> secondRunProblems{};        // of run 2, when not concurrent
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
        {"block numbers going back, not to 1: a run without its start, not one at the same time",
         {blocks(a, {1, 2, 3, 2, 3})},
         {{7, {1, 2, 3}}, {7, {2, 3}}},
         {},
         false,
         {"block 2 (a.dat line 7) follows block 3 of run 1 of the same subject without a block 1 between them: it "
          "starts a run of its own",
          "block 1 of the run has no lines in the data files read"}},
        {"without practice lines (nPrac 0), one run after the other",
         {blocks(a, {4, 7, 4, 7}, 0)},
         {{7, {4, 7}}, {7, {4, 7}}},
         {},
         false},
        {"without practice lines, at the same time",
         {blocks(a, {4, 4, 7, 7}, 0)},
         {{7, {4, 7}}, {7, {4, 7}}},
         {},
         true},
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
                               [](const std::string& p) { return p.find("alternate in") != std::string::npos; });
        };
        EXPECT_EQ(flagged(study.runs[0]), c.concurrent);
        EXPECT_EQ(flagged(study.runs[1]), c.concurrent);
        const bool reported = std::any_of(study.problems.begin(), study.problems.end(), [](const std::string& p) {
            return p.find("were at the same time") != std::string::npos;
        });
        EXPECT_EQ(reported, c.concurrent);
        for (const RunRecord& r : study.runs) {
            if (!c.concurrent) {
                EXPECT_EQ(r.problems, r.id == 2 ? c.secondRunProblems : std::vector<std::string>{});
            }
        }
    }
}

TEST(ResultsReading, EachProblemOfARunIsAFlagInTheExports)
{
    const SubjectRecord a = subjectOf(7);
    SessionSettings slower = smallSession();
    slower.Delay = 500;
    const struct {
        const char* name;
        std::string lines;
        std::vector<std::string> flags;  // of each run
    } cases[] = {
        {"a whole run (no subject log is read here)", wholeRun(a), {"no_log_line"}},
        {"a run stopped after block 3",
         blockLines(a, 1) + blockLines(a, 2) + blockLines(a, 3),
         {"incomplete;no_log_line"}},
        {"a block's lines lost", blockLines(a, 1) + blockLines(a, 3) + blockLines(a, 4), {"incomplete;no_log_line"}},
        {"two runs at once",
         blockLines(a, 1) + blockLines(a, 1) + blockLines(a, 2) + blockLines(a, 2),
         {"incomplete;no_log_line;same_subject_at_once", "incomplete;no_log_line;same_subject_at_once"}},
        {"a block beyond the sequence", wholeRun(a) + blockLines(a, 8), {"no_log_line;unknown_block"}},
        {"settings changed within the session",
         wholeRun(a).substr(0, wholeRun(a).size() - blockLines(a, 7).size()) + blockLines(a, 7, 600, slower),
         {"no_log_line;settings_changed"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFiles files;
        addLists(files, "/s");
        files.add("/s/a.dat", c.lines);
        const StudyResults study = readMemory(files, {"/s/a.dat"});
        std::vector<std::string> flags;
        for (const RunRecord& run : study.runs)
            flags.push_back(runFlagsText(run));
        EXPECT_EQ(flags, c.flags);
    }
}

// --- the timing record ---

// Block `number`'s row of the timing record of a run of who, from X11 Present with
// the X server's key stamps.
std::string timingRow(const SubjectRecord& who, int number, int missed = 0)
{
    BlockTiming t;
    t.source = OnsetSource::X11Present;
    t.refreshMicroseconds = 16666.7;
    t.wordsShown = number == 4 || number == 7 ? 3 : 2;
    t.framesMissed = missed;
    t.mostLate = 1400;
    t.keyClock = "X server";
    t.keyCalibrationMicroseconds = 300;
    return formatTimingLine(who, 1, number, t);
}

std::string timingRows(const SubjectRecord& who, int from, int to)
{
    std::string rows;
    for (int b = from; b <= to; ++b)
        rows += timingRow(who, b);
    return rows;
}

TEST(ResultsReading, TimingRowsGoToTheBlocksOfTheirRuns)
{
    const SubjectRecord a = subjectOf(7);
    const SubjectRecord b = subjectOf(8);
    const std::string header = timingRecordHeader();
    const std::string aStopped = [&] {
        std::string lines;
        for (int n = 1; n <= 3; ++n)
            lines += blockLines(a, n);
        return lines;
    }();
    const auto replaced = [](std::string row, const std::string& from, const std::string& to) {
        return row.replace(row.find(from), from.size(), to);
    };
    const std::vector<int> none(7, 0);
    const struct {
        const char* name;
        std::string data;  // after the header
        std::optional<std::string> record;
        std::vector<std::vector<int>> rowLines;  // of each run's blocks, 0 none
        std::vector<std::string> studyProblems;  // besides the missing subject log
        std::vector<std::vector<std::string>> runProblems;
    } cases[] = {
        {"one run", wholeRun(a), header + timingRows(a, 1, 7), {{2, 3, 4, 5, 6, 7, 8}}, {}, {{}}},
        {"no timing record", wholeRun(a), std::nullopt, {none}, {}, {{}}},
        {"two runs of one key go with their own rows, in order",
         aStopped + wholeRun(a),
         header + timingRows(a, 1, 3) + timingRows(a, 1, 4) + timingRow(a, 5, 2) + timingRows(a, 6, 7),
         {{2, 3, 4}, {5, 6, 7, 8, 9, 10, 11}},
         {},
         {{}, {"2 frames missed in block 5 (run.timing.tsv): those words were timed when drawn"}}},
        {"malformed rows are reported and skipped",
         wholeRun(a),
         header + timingRow(a, 1) + timingRow(a, 2).substr(0, timingRow(a, 2).rfind('\t', timingRow(a, 2).size() - 4)) +
             "\r\n" + replaced(timingRow(a, 2), "\t2\t0\t1400", "\tx\t0\t1400") + "InpFl\tSess\tSubject\t\r\n" +
             replaced(timingRow(a, 2), "X server\t300", "handled\t300") + timingRows(a, 2, 7),
         {{2, 7, 8, 9, 10, 11, 12}},
         {"run.timing.tsv:3: the line has 12 fields, 13 are expected",
          "run.timing.tsv:4: Words is \"x\", not a whole number from 0 to 2147483647",
          "run.timing.tsv:5: an unknown header: the columns of a timing record are InpFl Sess Sub Sex Other Block Onset "
          "Refresh_us Words Missed MostLate_us KeyClock KeyCalib_us",
          "run.timing.tsv:6: KeyCalib_us is \"300\" for keys timed when handled, which have no calibration"},
         {{}}},
        {"rows that go with no run",
         wholeRun(a),
         header + timingRows(a, 1, 7) + timingRows(b, 1, 2) + timingRows(a, 1, 1),
         {{2, 3, 4, 5, 6, 7, 8}},
         {"run.timing.tsv:9: the rows of a run of subject 8, sex f, input file study.inp (2 rows, to line 10) go with "
          "no run: run.dat has no run of theirs",
          "run.timing.tsv:11: the row of subject 7, sex f, input file study.inp goes with no run: run.dat has only 1 "
          "run of theirs, which earlier rows went with"},
         {{}}},
        {"a run's blocks without rows",
         wholeRun(a),
         header + timingRows(a, 1, 5),
         {{2, 3, 4, 5, 6, 0, 0}},
         {},
         {{"blocks 6, 7 (run.dat from line 2) have no row in run.timing.tsv"}}},
        {"a run without rows after one with rows, and one before",
         wholeRun(b) + wholeRun(a) + wholeRun(subjectOf(9)),
         header + timingRows(a, 1, 7),
         {none, {2, 3, 4, 5, 6, 7, 8}, none},
         {},
         {{},
          {},
          {"the timing record beside run.dat has no row for the run's blocks there (run.dat from line 34), though it "
           "has rows of a run that started before it"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFiles files;
        addLists(files, "/s");
        files.add("/s/run.dat", dataFileHeader() + c.data);
        if (c.record)
            files.add("/s/run.timing.tsv", *c.record);
        const StudyResults study = readMemory(files, {"/s/run.dat"});
        ASSERT_FALSE(study.problems.empty());
        EXPECT_EQ(std::vector<std::string>(study.problems.begin() + 1, study.problems.end()), c.studyProblems);
        ASSERT_EQ(study.runs.size(), c.rowLines.size());
        for (std::size_t r = 0; r < study.runs.size(); ++r) {
            std::vector<int> lines;
            for (const SessionRecord& session : study.runs[r].sessions)
                for (const BlockRecord& block : session.blocks)
                    lines.push_back(block.timing ? block.timing->lineNumber : 0);
            EXPECT_EQ(lines, c.rowLines[r]) << r;
            EXPECT_EQ(study.runs[r].problems, c.runProblems[r]) << r;
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
// dir/out.slg (or the data file named), started at start by a participant of the sex
// (0 m, 1 f), and returns the screens' record of what was run.
std::vector<std::string> runStudy(const TempDirectory& dir, const std::vector<SessionSettings>& sessions, int subject,
                                  std::map<int, int> cutBlocks = {}, const std::string& dataFile = "out.dat",
                                  const LocalDateTime& start = {2026, 3, 9, 14, 5, 0}, int sexIndex = 0)
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
    entries.dataPath = dir.file(dataFile);
    entries.sexIndex = sexIndex;
    screens.subject = makeSubjectRecord(entries, subject, start);
    screens.exitCodes = {"zup"};
    screens.cutBlocks = std::move(cutBlocks);
    RunDriver driver(screens);
    EXPECT_EQ(driver.runExperiment(start).status, RunOutcome::Status::Completed);
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

TEST(ResultsReading, LogLinesAreGivenOverEveryFileReadEachToARunOfItsOwnDataFile)
{
    const SessionSettings session = sessionOf("Fruit.wls", "Mine.wls", 1);
    const auto bodyOf = [](const std::string& bytes) { return bytes.substr(bytes.find('\n') + 1); };
    const auto headerOf = [](const std::string& bytes) { return bytes.substr(0, bytes.find('\n') + 1); };
    struct Given {
        std::string log;  // "" none
        int line = 0;
    };
    // Subject 1 into a.dat and into b.dat, a.slg's line deleted and b.slg's written twice.
    const auto lineCopiedIntoB = [&](const TempDirectory& dir) {
        runStudy(dir, {session}, 1, {}, "a.dat");
        runStudy(dir, {session}, 1, {}, "b.dat");
        dir.write("a.slg", headerOf(dir.read("a.slg")));
        dir.write("b.slg", dir.read("b.slg") + bodyOf(dir.read("b.slg")));
        return std::vector<std::string>{dir.file("a.dat"), dir.file("b.dat")};
    };
    const struct {
        const char* name;
        // Makes the files in the folder and returns the data files to read.
        std::function<std::vector<std::string>(const TempDirectory&)> make;
        bool pooled;
        std::vector<Given> given;           // each run's line
        std::vector<std::string> problems;  // of the study, each the start of one
    } cases[] = {
        {"a.dat's line missing, b.dat's written twice: a's run has none",
         lineCopiedIntoB,
         false,
         {{"", 0}, {"b.slg", 2}},
         {"b.slg:3: a copy of line 2 (subject 1, sex m, input file study.inp): a line written twice goes to no run"}},
        {"the same with the logs pooled: the copy goes to a's run",
         lineCopiedIntoB,
         true,
         {{"b.slg", 2}, {"b.slg", 3}},
         {}},
        {"a.dat's line moved to b.slg, whose runs are another subject's",
         [&](const TempDirectory& dir) {
             runStudy(dir, {session}, 1, {}, "a.dat");
             runStudy(dir, {session}, 2, {}, "b.dat");
             dir.write("b.slg", dir.read("b.slg") + bodyOf(dir.read("a.slg")));
             dir.write("a.slg", headerOf(dir.read("a.slg")));
             return std::vector<std::string>{dir.file("a.dat"), dir.file("b.dat")};
         },
         false,
         {{"", 0}, {"b.slg", 2}},
         {"b.slg:3: the runs of subject 1, sex m, input file study.inp are only in other data files (a.dat)"}},
        {"three runs of one subject, the first one's data lines gone, its log line kept",
         [&](const TempDirectory& dir) {
             // Each run's recorded block of half 1 cut after another number of answers,
             // so that their figures differ.
             runStudy(dir, {session}, 1, {{4, 2}}, "gone.dat");
             runStudy(dir, {session}, 1, {{4, 3}});
             runStudy(dir, {session}, 1, {{4, 4}});
             dir.write("out.slg",
                       headerOf(dir.read("out.slg")) + bodyOf(dir.read("gone.slg")) + bodyOf(dir.read("out.slg")));
             return std::vector<std::string>{dir.file("out.dat")};
         },
         false,
         {{"out.slg", 3}, {"out.slg", 4}},
         {"out.slg:2: every run of subject 1, sex m, input file study.inp in out.dat has a subject log line of its "
          "own: this line is spare"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory dir;
        const std::vector<std::string> paths = c.make(dir);
        const StudyResults study = readStudy(paths, {.studyDirectory = {}, .poolLogs = c.pooled}, diskFiles());
        ASSERT_EQ(study.runs.size(), c.given.size());
        for (std::size_t r = 0; r < c.given.size(); ++r) {
            const RunRecord& run = study.runs[r];
            SCOPED_TRACE(r);
            ASSERT_EQ(run.complete, !c.given[r].log.empty());
            if (!run.log)
                continue;
            EXPECT_EQ(fileNameOf(run.log->file), c.given[r].log);
            EXPECT_EQ(run.log->lineNumber, c.given[r].line);
            for (const SessionRecord& s : run.sessions)
                EXPECT_EQ(s.logDifferences, std::vector<std::string>{});
        }
        ASSERT_EQ(study.problems.size(), c.problems.size()) << testing::PrintToString(study.problems);
        for (std::size_t p = 0; p < c.problems.size(); ++p)
            EXPECT_EQ(study.problems[p].substr(0, c.problems[p].size()), c.problems[p]);
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

// --- files ---

TEST(ResultsReading, NoOutputMayBeAFileTheStudyIsReadFrom)
{
    TempDirectory dir;
    runStudy(dir, {sessionOf("Fruit.wls", "Mine.wls", 1)}, 5);
    const std::filesystem::path base = dir.path();
    std::filesystem::create_hard_link(base / "out.slg", base / "hard.csv");
    std::filesystem::create_symlink("out.slg", base / "soft.csv");
    std::filesystem::create_directory(base / "elsewhere");
    std::filesystem::create_symlink("../out.dat", base / "elsewhere/link.dat");
    // The data file and the same file through a link, whose own subject log is not there.
    const StudyResults study = readStudy({dir.file("out.dat"), dir.file("elsewhere/link.dat")}, {}, diskFiles());
    ASSERT_EQ(study.listFiles.size(), 2u);

    // Output, what it is, the input it is when named otherwise; "" for none.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {dir.file("out.dat"), "a data file", ""},
        {dir.path() + "/./elsewhere/../out.dat", "a data file", dir.file("out.dat")},
        {dir.file("out.slg"), "a subject log", ""},
        {dir.file("hard.csv"), "a subject log", dir.file("out.slg")},
        {dir.file("soft.csv"), "a subject log", dir.file("out.slg")},
        {dir.file("elsewhere/link.slg"), "a subject log", ""},
        {dir.file("out.timing.tsv"), "a timing record", ""},
        {dir.file("elsewhere/link.timing.tsv"), "a timing record", ""},
        {dir.file("Fruit.wls"), "a list file", ""},
        {dir.file("summary.csv"), "", ""},
        {dir.file("elsewhere/out.slg"), "", ""},
    };
    for (const auto& [output, kind, input] : cases) {
        SCOPED_TRACE(output);
        const std::string why = outputOverwritesInput(output, study);
        if (kind.empty()) {
            EXPECT_EQ(why, "");
            continue;
        }
        EXPECT_EQ(why.rfind(output + " is " + kind + " of the study", 0), 0u) << why;
        EXPECT_NE(why.find(input), std::string::npos) << why;
    }
}

// The text read() returns, run in a child process that is ended after 30 s, so that a
// reading that blocks fails the test rather than hanging it; nothing when it did not end.
std::optional<std::string> inChildProcess(const std::function<std::string()>& read)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        ::alarm(30);
        try {
            ::_exit(writeFully(ends[1], read()) == 0 ? 0 : 1);
        } catch (...) {
            ::_exit(1);
        }
    }
    ::close(ends[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

TEST(ResultsReading, OnlyRegularFilesAreReadAndNoOtherBlocksTheReading)
{
    TempDirectory dir;
    runStudy(dir, {sessionOf("Fruit.wls", "Mine.wls", 1)}, 5);
    for (const char* name : {"out.slg", "Fruit.wls"})
        std::filesystem::remove(dir.file(name));
    for (const char* name : {"pipe.dat", "out.slg", "Fruit.wls"})
        ASSERT_EQ(::mkfifo(dir.file(name).c_str(), 0600), 0);
    std::filesystem::create_directory(dir.file("folder.dat"));

    // Data file; what the problems say of it.
    const std::pair<std::string, std::string> cases[] = {
        {dir.file("pipe.dat"),
         "cannot read " + dir.file("pipe.dat") + ": it is a FIFO (named pipe), not a regular file"},
        {dir.file("folder.dat"), "cannot read " + dir.file("folder.dat") + ": it is a directory, not a regular file"},
        {"/dev/zero", "cannot read /dev/zero: it is a character device, not a regular file"},
        // Its subject log and a list file are FIFOs.
        {dir.file("out.dat"), "cannot read " + dir.file("out.slg") + ": it is a FIFO (named pipe), not a regular file"},
        {dir.file("out.dat"), "(cannot read " + dir.file("Fruit.wls") + ": it is a FIFO (named pipe), not a regular"},
    };
    for (const auto& [path, problem] : cases) {
        SCOPED_TRACE(path);
        const std::optional<std::string> problems = inChildProcess([&path = path] {
            const StudyResults study = readStudy({path}, {}, diskFiles());
            std::string text;
            for (const std::string& p : study.problems)
                text += p + "\n";
            for (const RunRecord& run : study.runs)
                for (const std::string& p : run.problems)
                    text += p + "\n";
            return text;
        });
        ASSERT_TRUE(problems) << "the reading did not end";
        EXPECT_NE(problems->find(problem), std::string::npos) << *problems;
    }
}

TEST(ResultsReading, RunsLoggedThroughALinkAndThroughItsTargetAreAllComplete)
{
    // Subject 5 ran with the data file out.dat, subject 6 with a link to it: each
    // run's subject log is named after the data file it was given.
    const struct {
        const char* name;
        std::string link;    // to out.dat
        std::string target;  // what the link holds
        std::vector<std::string> read;
        std::size_t problems;  // the same file given twice is said
    } cases[] = {
        {"a link beside its target", "link.dat", "out.dat", {"link.dat"}, 0},
        {"a link in another folder", "lab/link.dat", "../out.dat", {"lab/link.dat"}, 0},
        {"both names given", "link.dat", "out.dat", {"out.dat", "link.dat"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory dir;
        std::filesystem::create_directories(std::filesystem::path(dir.file(c.link)).parent_path());
        std::filesystem::create_symlink(c.target, dir.file(c.link));
        runStudy(dir, {sessionOf("Fruit.wls", "Mine.wls", 1)}, 5);
        runStudy(dir, {sessionOf("Fruit.wls", "Mine.wls", 1)}, 6, {}, c.link);
        const std::string linkLog = c.link.substr(0, c.link.size() - 4) + ".slg";
        ASSERT_FALSE(dir.read(linkLog).empty());
        std::vector<std::string> paths;
        for (const std::string& name : c.read)
            paths.push_back(dir.file(name));
        const StudyResults study = readStudy(paths, {}, diskFiles());
        EXPECT_EQ(study.problems.size(), c.problems) << testing::PrintToString(study.problems);
        ASSERT_EQ(study.runs.size(), 2u);
        for (const RunRecord& run : study.runs)
            EXPECT_TRUE(run.complete) << run.subject;
    }

    // One subject log reached by two names is read once: no log line is left over.
    TempDirectory dir;
    std::filesystem::create_symlink("out.dat", dir.file("link.dat"));
    std::filesystem::create_symlink("out.slg", dir.file("link.slg"));
    runStudy(dir, {sessionOf("Fruit.wls", "Mine.wls", 1)}, 5);
    const StudyResults study = readStudy({dir.file("link.dat")}, {}, diskFiles());
    EXPECT_EQ(study.problems, std::vector<std::string>{});
    ASSERT_EQ(study.runs.size(), 1u);
    EXPECT_TRUE(study.runs[0].complete);
}

TEST(ResultsReading, AFileReadInPiecesOfAnySizeGivesTheSameStudy)
{
    // Lines of every kind, one longer than any line is kept, the last without its
    // line feed.
    std::string data = dataFileHeader() + wholeRun(subjectOf(7)) + std::string(maxLineBytes + 1, 'x') + "\r\n" +
                       wholeRun(subjectOf(8)) + "\r\n" + blockLines(subjectOf(9), 1);
    data.pop_back();
    std::string log = subjectLogHeader(1);
    for (int subject = 7; subject <= 9; ++subject)
        log += std::to_string(subject) + "\tf\t\tstudy.inp\t3\t9\t126\t14\t5\tA+B\tC+D\t2\t700\t5\t1\t700\t0\t1\t\r\n";
    const auto described = [&](std::size_t piece) {
        MemoryFiles files;
        files.setStreamPieceBytes(piece);
        files.add("/s/run.dat", data);
        files.add("/s/run.slg", log);
        addLists(files, "/s");
        const StudyResults study = readMemory(files, {"/s/run.dat"});
        std::string text = std::to_string(study.linesRead) + "\n";
        for (const std::string& p : study.problems)
            text += p + "\n";
        for (const RunRecord& run : study.runs) {
            text += std::to_string(run.subject) + (run.complete ? " complete:" : ":");
            for (const SessionRecord& session : run.sessions)
                for (const BlockRecord& block : session.blocks)
                    for (const TrialRecord& t : block.trials)
                        text += " " + std::to_string(t.lineNumber) + "/" + t.word + "/" + std::to_string(t.latency);
            text += "\n";
        }
        return text;
    };
    const std::string whole = described(data.size());
    EXPECT_NE(whole.find("run.dat:18: the line is longer than 65536 bytes\n"), std::string::npos) << whole;
    EXPECT_NE(whole.find("9 complete: 36/w1/600 37/w2/610\n"), std::string::npos) << whole;
    for (const std::size_t piece : {1, 2, 7, 4096, 65537})
        EXPECT_EQ(described(piece), whole) << piece;
}

// --- participants ---

// Each session number has its own pairs: one participant's two sessions are summarized
// apart, one participant each, never as one mean over both.
TEST(Participants, EachSessionNumberIsSummarizedOnItsOwn)
{
    TempDirectory dir;
    runStudy(dir, {sessionOf("Fruit.wls", "Mine.wls", 1), sessionOf("Pets.wls", "Mine.wls", 1)}, 5);
    const StudyResults study = readStudy({dir.file("out.dat")}, {}, diskFiles());
    ASSERT_EQ(study.runs.size(), 1u);
    ASSERT_EQ(study.runs[0].sessions.size(), 2u);
    const StudySummary summary = summarizeStudy(study);
    EXPECT_EQ(summary.participants, 1);
    ASSERT_EQ(summary.sessions.size(), 2u);
    const std::string pairs[] = {"Fruit / Tools, Mine / Theirs", "Cats / Dogs, Mine / Theirs"};
    for (std::size_t s = 0; s < 2; ++s) {
        SCOPED_TRACE(s);
        const SessionSummary& session = summary.sessions[s];
        const DifferenceScore& d = study.runs[0].sessions[s].difference;
        ASSERT_TRUE(d.score);
        EXPECT_EQ(session.session, static_cast<int>(s) + 1);
        EXPECT_EQ(session.categories, std::vector<std::string>{pairs[s]});
        EXPECT_EQ(std::tie(session.participants, session.scored, session.excluded), std::make_tuple(1, 1, 0));
        EXPECT_DOUBLE_EQ(*session.meanScore, *d.score);
        EXPECT_FALSE(session.scoreSd || session.confidenceLow || session.confidenceHigh);
    }
}

// Of a participant's runs the first complete one counts. A further complete run, and
// two runs of one subject number and input file logged at different times, are
// flagged subject_number_reused and warned about, naming the other run.
TEST(Participants, TheFirstCompleteRunCountsAndAReusedSubjectNumberIsFlagged)
{
    const LocalDateTime monday{2026, 3, 9, 14, 5, 0}, tuesday{2026, 3, 10, 9, 30, 0};
    const struct {
        const char* name;
        LocalDateTime second;  // when the second run started
        int secondSex;         // 0 m (as the first), 1 f
        std::size_t participants;
        std::vector<std::string> flags;  // of the two runs
    } cases[] = {
        {"run again the same minute", monday, 0, 1, {"", "subject_number_reused"}},
        {"run again another day", tuesday, 0, 1, {"subject_number_reused", "subject_number_reused"}},
        {"the number given to another participant", tuesday, 1, 2, {"subject_number_reused", "subject_number_reused"}},
        {"another participant the same minute", monday, 1, 2, {"", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory dir;
        runStudy(dir, {sessionOf("Fruit.wls", "Mine.wls", 1)}, 5);
        runStudy(dir, {sessionOf("Fruit.wls", "Mine.wls", 1)}, 5, {}, "out.dat", c.second, c.secondSex);
        const StudyResults study = readStudy({dir.file("out.dat")}, {}, diskFiles());
        ASSERT_EQ(study.runs.size(), 2u);
        EXPECT_EQ(runFlagsText(study.runs[0]), c.flags[0]);
        EXPECT_EQ(runFlagsText(study.runs[1]), c.flags[1]);
        const std::vector<Participant> participants = participantsOf(study);
        ASSERT_EQ(participants.size(), c.participants);
        EXPECT_EQ(participants[0].counted, 0u);
        EXPECT_EQ(summarizeStudy(study).sessions.at(0).participants, static_cast<int>(c.participants));
        for (const RunRecord& run : study.runs) {
            // The texts are among the run's warnings, after its problems.
            const std::vector<std::string> warnings = runWarnings(run);
            ASSERT_GE(warnings.size(), run.subjectNumberReuse.size());
            EXPECT_TRUE(std::equal(run.subjectNumberReuse.begin(), run.subjectNumberReuse.end(),
                                   warnings.end() - static_cast<std::ptrdiff_t>(run.subjectNumberReuse.size())));
        }
        if (c.second.day == tuesday.day && c.secondSex == 0) {
            const std::string second = "run 2 (out.dat, from line " + std::to_string(study.runs[1].firstLine) + ")";
            EXPECT_EQ(study.runs[0].subjectNumberReuse,
                      std::vector<std::string>{"subject number 5 is also used by " + second +
                                               ", logged on 2026-03-10 at 09:30 with the same input file; this run "
                                               "was logged on 2026-03-09 at 14:05"});
            EXPECT_EQ(study.runs[1].subjectNumberReuse,
                      std::vector<std::string>{"subject number 5 is used again by the same participant: run 1 "
                                               "(out.dat, from line 2), logged on 2026-03-09 at 14:05, is its first "
                                               "complete run and counts; this run does not count"});
        }
    }

    // A run stopped and run again: the complete one counts, and neither is reused.
    TempDirectory dir;
    runStudy(dir, {sessionOf("Fruit.wls", "Mine.wls", 1)}, 5);
    const std::string data = dir.read("out.dat");
    std::size_t stop = 0;
    for (int line = 0; line < 1 + 3 * 4; ++line)
        stop = data.find('\n', stop) + 1;
    dir.write("both.dat", data.substr(0, stop) + data.substr(data.find('\n') + 1));
    dir.write("both.slg", dir.read("out.slg"));
    const StudyResults study = readStudy({dir.file("both.dat")}, {}, diskFiles());
    ASSERT_EQ(study.runs.size(), 2u);
    const std::vector<Participant> participants = participantsOf(study);
    ASSERT_EQ(participants.size(), 1u);
    EXPECT_EQ(participants[0].counted, 1u);
    EXPECT_EQ(runFlagsText(study.runs[0]), "incomplete;no_log_line");
    EXPECT_EQ(runFlagsText(study.runs[1]), "");
    const StudySummary summary = summarizeStudy(study);
    EXPECT_EQ(std::tie(summary.participants, summary.runsNotCounted), std::make_tuple(1, 1));
}

}  // namespace
