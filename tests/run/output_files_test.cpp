#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <tuple>

#include <csignal>
#include <cstdlib>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "run/output_files.h"
#include "common/small_file_system.h"
#include "common/temp_directory.h"
#include "support/sample_items.h"

namespace {

bool runningAsRoot() { return geteuid() == 0; }

SubjectRecord sampleSubject()
{
    SubjectRecord subject;
    subject.subjectNumber = 17;
    subject.sexIndex = 1;
    subject.sexCode = "f";
    subject.otherCode = "grpA";
    subject.start = {2026, 3, 9, 14, 5, 0};
    subject.inputPath = "/lab/study/run1.inp";
    subject.inputName = "run1.inp";
    return subject;
}

SessionSettings sampleSession()
{
    SessionSettings settings;
    settings.Cat1.assign("Fruit.wls");
    settings.Cat2.assign("Mine.wls");
    settings.Cat1p = 0;
    settings.Cat2p = 1;
    settings.Catsw = 1;
    settings.Delay = 250;
    settings.nPrac = 20;
    settings.nReal = 40;
    return settings;
}

ExperimentDefinition twoSessions()
{
    ExperimentDefinition definition;
    definition.sessionCount = 2;
    definition.sessions[0] = sampleSession();
    definition.sessions[1] = sampleSession();
    definition.sessions[1].Catsw = 0;
    return definition;
}

// Session 1 scored in both halves, session 2 in its first half only.
ScoreTable sampleScores()
{
    TrialResults results;
    fillPlaceholders(results);
    for (int t = 0; t < 20; ++t)
        results[t] = {t + 1, t % 2, 0, 1, {}, 686, t == 4 ? 2 : 0, "l"};
    ScoreTable scores;
    scores.scoreBlock(1, 1, results, 20, 20, {"flower", "insect", "unpleasant", "pleasant"});
    scores.scoreBlock(1, 2, results, 20, 20, {"flower", "insect", "pleasant", "unpleasant"});
    scores.scoreBlock(2, 1, results, 4, 4, {"Fruit", "Tools", "Mine", "Theirs"});
    scores.finish(2);
    return scores;
}

// The lines of a file's bytes, each without its CR LF; false when the bytes do not
// end with a line end or hold a CR or LF outside one.
bool splitLines(const std::string& bytes, std::vector<std::string>& lines)
{
    lines.clear();
    std::size_t from = 0;
    while (from < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", from);
        if (end == std::string::npos)
            return false;
        const std::string line = bytes.substr(from, end - from);
        if (line.find_first_of("\r\n") != std::string::npos)
            return false;
        lines.push_back(line);
        from = end + 2;
    }
    return true;
}

// The fields of a line (with or without its CR LF) whose every field is followed by
// a tab.
std::vector<std::string> fieldsOf(std::string line)
{
    if (line.ends_with("\r\n"))
        line.resize(line.size() - 2);
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
        fields.push_back(line.substr(from, tab - from));
    if (from != line.size())
        fields.push_back("<unterminated>" + line.substr(from));
    return fields;
}

const std::string dataHeaderBytes =
    "InpFl\tSess\tCat1\tCat2\tCat1p\tCat2p\tCatsw\tDelay\tnPrac\tnReal\tSub\tSex\tOther\tBlock\tTrial\tIcat\tIscat\t"
    "Inum\tItem\tLat\tError\tKey\t\r\n";

}  // namespace

TEST(OutputFiles, SubjectLogAndTimingRecordPathsReplaceTheLastFourCharacters)
{
    EXPECT_EQ(timingRecordPathFor("/lab/study/run1.dat"), "/lab/study/run1.timing.tsv");
    EXPECT_EQ(timingRecordPathFor("dat"), ".timing.tsv");
    EXPECT_EQ(subjectLogPathFor("/lab/study/run1.dat"), "/lab/study/run1.slg");
    EXPECT_EQ(subjectLogPathFor("run1.dat"), "run1.slg");
    EXPECT_EQ(subjectLogPathFor(".dat"), ".slg");
    EXPECT_EQ(subjectLogPathFor("dat"), ".slg");
    EXPECT_EQ(subjectLogPathFor(""), ".slg");
}

TEST(OutputFiles, DataFileHeaderAndLinesAreByteExact)
{
    EXPECT_EQ(dataFileHeader(), dataHeaderBytes);

    const SubjectRecord subject = sampleSubject();
    const SessionSettings settings = sampleSession();
    TrialResults results;
    fillPlaceholders(results);
    // A measured trial: pair 2, second category, latency as measured (not recoded).
    results[0] = {1, 1, 1, 12, {}, 3500, 2, "r"};
    results[0].word.assign("Caf\xe9");

    EXPECT_EQ(formatDataLine(subject, 2, settings, 5, results[0]),
              "run1.inp\t2\tFruit.wls\tMine.wls\t0\t1\t1\t250\t20\t40\t17\tf\tgrpA\t5\t"
              "1\t1\t1\t12\tCaf\xe9\t3500\t2\tr\t\r\n");
    // An unrun slot keeps its markers; empty sex and other codes leave empty fields.
    SubjectRecord anonymous = subject;
    anonymous.sexCode.clear();
    anonymous.otherCode.clear();
    EXPECT_EQ(formatDataLine(anonymous, 1, settings, 1, results[1]),
              "run1.inp\t1\tFruit.wls\tMine.wls\t0\t1\t1\t250\t20\t40\t17\t\t\t1\t"
              "99\t9\t9\t99\tblank\t99999\t99\t9\t\r\n");

    // One line per slot of the block, in slot order, and none past it.
    const std::vector<std::string> lines = formatDataLines(subject, 1, settings, 3, results, 7);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], formatDataLine(subject, 1, settings, 3, results[0]));
    EXPECT_EQ(lines[6], formatDataLine(subject, 1, settings, 3, results[6]));
    EXPECT_TRUE(formatDataLines(subject, 1, settings, 3, results, 0).empty());
    EXPECT_EQ(formatDataLines(subject, 1, settings, 3, results, 100).size(), 100u);
}

TEST(OutputFiles, SubjectLogHeaderAndLineAreByteExact)
{
    EXPECT_EQ(subjectLogHeader(2),
              "Sub\tSex\tother\tInpFl\tMonth\tDay\tYear\tHour\tMin\t"
              "CatsL_1\tCatsR_1\tCatSw_1\t1stLat_1\t1stErr_1\t1stN_1\t2ndLat_1\t2ndErr_1\t2ndN_1\t"
              "CatsL_2\tCatsR_2\tCatSw_2\t1stLat_2\t1stErr_2\t1stN_2\t2ndLat_2\t2ndErr_2\t2ndN_2\t\r\n");
    EXPECT_EQ(fieldsOf(subjectLogHeader(9)).back(), "2ndN_9");

    // Two sessions: 9 + 2 x 9 = 27 fields; the input path as typed; 2026 is year 126.
    const std::string line = formatSubjectLogLine(sampleSubject(), twoSessions(), sampleScores());
    EXPECT_EQ(line, "17\tf\tgrpA\t/lab/study/run1.inp\t3\t9\t126\t14\t5\t"
                    "flower+unpleasant\tinsect+pleasant\t2\t686\t11\t18\t686\t11\t18\t"
                    "Fruit+Mine\tTools+Theirs\t1\t686\t0\t2\t0\t0\t1\t\r\n");
    EXPECT_EQ(fieldsOf(line).size(), 27u);

    SubjectRecord old = sampleSubject();
    old.start = {1998, 12, 31, 0, 59, 0};
    EXPECT_EQ(fieldsOf(formatSubjectLogLine(old, twoSessions(), sampleScores()))[6], "98");
}

TEST(OutputFiles, ErrorRatesPrintAsWholeNumbers)
{
    EXPECT_EQ(errorRateText(0), "0");
    EXPECT_EQ(errorRateText(7), "7");
    EXPECT_EQ(errorRateText(100), "100");
    EXPECT_EQ(errorRateText(105), "105");
}

TEST(OutputFiles, HeadersAreWrittenOnceAndRunsAppend)
{
    TempDirectory dir;
    const std::string dataPath = dir.file("study.dat");
    const std::string logPath = subjectLogPathFor(dataPath);
    const SubjectRecord subject = sampleSubject();
    const SessionSettings settings = sampleSession();
    TrialResults results;
    fillPlaceholders(results);

    // First run: the file is created with its header before the first block.
    ASSERT_TRUE(openDataFile(dataPath));
    EXPECT_EQ(dir.read("study.dat"), dataHeaderBytes);
    ASSERT_TRUE(writeDataLines(dataPath, subject, 1, settings, 1, results, 20));
    ASSERT_TRUE(writeDataLines(dataPath, subject, 1, settings, 2, results, 40));
    ASSERT_TRUE(writeSubjectLog(logPath, subject, twoSessions(), sampleScores()));

    // Second run, with a single session: lines only, under the first run's headers.
    ExperimentDefinition one = twoSessions();
    one.sessionCount = 1;
    ASSERT_TRUE(openDataFile(dataPath));
    ASSERT_TRUE(writeDataLines(dataPath, subject, 1, settings, 1, results, 3));
    ASSERT_TRUE(writeSubjectLog(logPath, subject, one, sampleScores()));

    std::vector<std::string> lines;
    ASSERT_TRUE(splitLines(dir.read("study.dat"), lines));
    ASSERT_EQ(lines.size(), 1u + 20 + 40 + 3);
    EXPECT_EQ(lines[0] + "\r\n", dataHeaderBytes);
    EXPECT_EQ(fieldsOf(lines[21])[13], "2");  // block 2's first line follows block 1's twenty

    EXPECT_EQ(dir.read("study.slg"), subjectLogHeader(2) +
                                         formatSubjectLogLine(subject, twoSessions(), sampleScores()) +
                                         formatSubjectLogLine(subject, one, sampleScores()));
}

TEST(OutputFiles, ExistingContentIsKeptAndAnEmptyFileGetsTheHeader)
{
    TempDirectory dir;
    const SubjectRecord subject = sampleSubject();
    TrialResults results;
    fillPlaceholders(results);

    // Whatever stands in a file already stays, header or not.
    dir.write("old.dat", "earlier study\r\n");
    ASSERT_TRUE(openDataFile(dir.file("old.dat")));
    ASSERT_TRUE(writeDataLines(dir.file("old.dat"), subject, 1, sampleSession(), 1, results, 1));
    EXPECT_EQ(dir.read("old.dat"), "earlier study\r\n" + formatDataLine(subject, 1, sampleSession(), 1, results[0]));

    dir.write("empty.dat", "");
    ASSERT_TRUE(writeDataLines(dir.file("empty.dat"), subject, 1, sampleSession(), 1, results, 1));
    EXPECT_EQ(dir.read("empty.dat"), dataHeaderBytes + formatDataLine(subject, 1, sampleSession(), 1, results[0]));

    // A data file removed during the run is made again, header first.
    ASSERT_TRUE(openDataFile(dir.file("gone.dat")));
    ASSERT_EQ(unlink(dir.file("gone.dat").c_str()), 0);
    ASSERT_TRUE(writeDataLines(dir.file("gone.dat"), subject, 1, sampleSession(), 4, results, 1));
    EXPECT_EQ(dir.read("gone.dat"), dataHeaderBytes + formatDataLine(subject, 1, sampleSession(), 4, results[0]));

    // A file that ends inside a line (a run killed mid-write, or saved by hand without
    // its last line end) keeps every byte, and the new lines start on a line of their own.
    const std::string line = formatDataLine(subject, 1, sampleSession(), 1, results[0]);
    dir.write("cut.dat", dataHeaderBytes + line.substr(0, 17));
    ASSERT_TRUE(writeDataLines(dir.file("cut.dat"), subject, 1, sampleSession(), 1, results, 2));
    EXPECT_EQ(dir.read("cut.dat"), dataHeaderBytes + line.substr(0, 17) + "\r\n" + line +
                                       formatDataLine(subject, 1, sampleSession(), 1, results[1]));
}

TEST(OutputFiles, CanAppendToCreatesNothingAndSaysWhyNot)
{
    TempDirectory dir;
    EXPECT_EQ(canAppendTo(dir.file("new.dat")), std::nullopt);
    dir.write("old.dat", "x");
    EXPECT_EQ(canAppendTo(dir.file("old.dat")), std::nullopt);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"old.dat"});
    EXPECT_EQ(dir.read("old.dat"), "x");

    const std::string nowhere = dir.file("missing/new.dat");
    const auto missing = canAppendTo(nowhere);
    ASSERT_TRUE(missing);
    EXPECT_EQ(*missing,
              "cannot write " + nowhere + ": directory " + dir.file("missing") + ": No such file or directory");

    const auto underFile = canAppendTo(dir.file("old.dat/new.dat"));
    ASSERT_TRUE(underFile);
    EXPECT_NE(underFile->find("Not a directory"), std::string::npos) << *underFile;

    ASSERT_EQ(mkdir(dir.file("sub.dat").c_str(), 0755), 0);
    EXPECT_TRUE(canAppendTo(dir.file("sub.dat")));
    EXPECT_TRUE(canAppendTo(dir.path() + "/"));

    // A file that may be written but not read: an append could not see whether it
    // ends inside a line. Root reads every file, so the check runs as nobody.
    dir.write("blind.dat", "a line cut sh");
    ASSERT_EQ(chmod(dir.file("blind.dat").c_str(), 0222), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (runningAsRoot() &&
            (chown(dir.file("blind.dat").c_str(), 65534, 65534) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        const auto reason = canAppendTo(dir.file("blind.dat"));
        _exit(reason && reason->find("may be written but not read") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write-only file was accepted: " << status;
}

TEST(OutputFiles, ReadOnlyPlacesAreReportedAndLeftUnchanged)
{
    if (runningAsRoot())
        GTEST_SKIP() << "root writes regardless of permissions";
    TempDirectory dir;
    const SubjectRecord subject = sampleSubject();
    TrialResults results;
    fillPlaceholders(results);

    ASSERT_EQ(mkdir(dir.file("locked").c_str(), 0555), 0);
    const std::string inLocked = dir.file("locked/study.dat");
    const auto reason = canAppendTo(inLocked);
    ASSERT_TRUE(reason);
    EXPECT_NE(reason->find(inLocked), std::string::npos);
    EXPECT_NE(reason->find("Permission denied"), std::string::npos) << *reason;
    const WriteOutcome open = openDataFile(inLocked);
    EXPECT_FALSE(open);
    EXPECT_EQ(open.error, "cannot write " + inLocked + ": Permission denied");
    EXPECT_FALSE(writeSubjectLog(subjectLogPathFor(inLocked), subject, twoSessions(), sampleScores()));

    dir.write("kept.dat", "earlier\r\n");
    ASSERT_EQ(chmod(dir.file("kept.dat").c_str(), 0444), 0);
    EXPECT_TRUE(canAppendTo(dir.file("kept.dat")));
    const WriteOutcome lines = writeDataLines(dir.file("kept.dat"), subject, 1, sampleSession(), 1, results, 5);
    EXPECT_FALSE(lines);
    EXPECT_NE(lines.error.find(dir.file("kept.dat")), std::string::npos);
    EXPECT_EQ(dir.read("kept.dat"), "earlier\r\n");
}

TEST(OutputFiles, WritingIntoAMissingDirectoryIsReported)
{
    TempDirectory dir;
    const std::string dataPath = dir.file("missing/study.dat");
    const std::string logPath = subjectLogPathFor(dataPath);
    TrialResults results;
    fillPlaceholders(results);

    const WriteOutcome outcomes[] = {
        openDataFile(dataPath),
        writeDataLines(dataPath, sampleSubject(), 1, sampleSession(), 1, results, 20),
        writeSubjectLog(logPath, sampleSubject(), twoSessions(), sampleScores()),
    };
    for (const WriteOutcome& outcome : outcomes) {
        EXPECT_FALSE(outcome);
        EXPECT_NE(outcome.error.find(dir.file("missing/study.")), std::string::npos) << outcome.error;
        EXPECT_NE(outcome.error.find("No such file or directory"), std::string::npos) << outcome.error;
    }
    EXPECT_TRUE(dir.entries().empty());
}

TEST(OutputFiles, ConcurrentRunsAppendWholeLinesUnderOneHeader)
{
    constexpr int runs = 6;
    constexpr int blocks = 25;
    constexpr int trials = 40;
    constexpr int logLines = 8;
    constexpr int races = 20;
    TempDirectory dir;
    const std::string dataPath = dir.file("shared.dat");
    const std::string logPath = subjectLogPathFor(dataPath);
    const ExperimentDefinition definition = twoSessions();
    const ScoreTable scores = sampleScores();

    // The runs wait on a pipe until every one has been started, then all write at once.
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (int run = 1; run <= runs; ++run) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(gate[1]);
            char byte;
            while (read(gate[0], &byte, 1) < 0) {
            }
            SubjectRecord subject = sampleSubject();
            subject.subjectNumber = run;
            subject.otherCode = std::string(static_cast<std::size_t>(run), 'x');  // lines of several lengths
            int status = openDataFile(dataPath) ? 0 : 1;
            // More files whose creation every run races for.
            for (int k = 0; k < races; ++k)
                if (!openDataFile(dir.file("race" + std::to_string(k) + ".dat")))
                    status = 1;
            TrialResults results;
            fillPlaceholders(results);
            for (int block = 1; block <= blocks; ++block) {
                for (int t = 0; t < trials; ++t) {
                    results[t] = {t + 1, t % 2, t % 2, 1 + t % 18, {}, 300 + block * t, t % 3, "l"};
                    results[t].word.assign(std::string(static_cast<std::size_t>(1 + (t + run) % 15), 'w'));
                }
                if (!writeDataLines(dataPath, subject, 1, sampleSession(), block, results, trials))
                    status = 2;
            }
            for (int i = 0; i < logLines; ++i)
                if (!writeSubjectLog(logPath, subject, definition, scores))
                    status = 3;
            _exit(status);
        }
        children.push_back(pid);
    }
    close(gate[0]);
    close(gate[1]);
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "run exited with " << status;
    }

    for (int k = 0; k < races; ++k)
        EXPECT_EQ(dir.read("race" + std::to_string(k) + ".dat"), dataHeaderBytes) << k;
    std::vector<std::string> lines;
    ASSERT_TRUE(splitLines(dir.read("shared.dat"), lines));
    ASSERT_EQ(lines.size(), 1u + runs * blocks * trials);
    EXPECT_EQ(lines[0] + "\r\n", dataHeaderBytes);
    std::set<std::tuple<std::string, std::string, std::string>> seen;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = fieldsOf(lines[i]);
        ASSERT_EQ(fields.size(), 22u) << lines[i];
        ASSERT_NE(fields[0], "InpFl") << "a second header at line " << i;
        EXPECT_EQ(fields[12], std::string(std::stoul(fields[10]), 'x')) << lines[i];
        seen.insert({fields[10], fields[13], fields[14]});  // Sub, Block, Trial
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(runs * blocks * trials));

    ASSERT_TRUE(splitLines(dir.read("shared.slg"), lines));
    ASSERT_EQ(lines.size(), 1u + runs * logLines);
    EXPECT_EQ(lines[0] + "\r\n", subjectLogHeader(2));
    std::map<std::string, int> perSubject;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = fieldsOf(lines[i]);
        ASSERT_EQ(fields.size(), 27u) << lines[i];
        ++perSubject[fields[0]];
    }
    EXPECT_EQ(perSubject.size(), static_cast<std::size_t>(runs));
    for (const auto& [subject, count] : perSubject)
        EXPECT_EQ(count, logLines) << "subject " << subject;
}

TEST(OutputFiles, PathsAreWrittenInTheirSingleByteForm)
{
    SubjectRecord subject;
    subject.inputPath = "/home/l\xC3\xA9o/\xC3\xA9tude.inp";  // UTF-8, as the file system names it
    subject.inputName = "\xC3\xA9tude.inp";
    SessionSettings settings;
    TrialResult trial;
    EXPECT_EQ(formatDataLine(subject, 1, settings, 1, trial).substr(0, 10), "\xE9tude.inp\t");
    ExperimentDefinition definition;
    definition.sessionCount = 1;
    ScoreTable scores;
    scores.finish(1);
    const std::string line = formatSubjectLogLine(subject, definition, scores);
    EXPECT_NE(line.find("\t/home/l\xE9o/\xE9tude.inp\t"), std::string::npos) << line;
}

namespace {

// The size of a file, or -1.
long long sizeOf(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

// Lines enough to need more than `bytes` bytes.
std::vector<std::string> linesOver(std::size_t bytes)
{
    TrialResults results;
    fillPlaceholders(results);
    std::vector<std::string> lines;
    std::size_t total = 0;
    while (total <= bytes) {
        for (const std::string& line : formatDataLines(sampleSubject(), 1, sampleSession(), 1, results, 100)) {
            total += line.size();
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace

// An append that fails part way leaves the file as it was before it: a block is in
// the file whole or not at all. A file size limit (in a child process, SIGXFSZ
// ignored as the programs do) and, for root, a full tmpfs make the write stop part way.
TEST(OutputFiles, AnAppendThatFailsPartWayIsCutBackToTheFormerSize)
{
    TempDirectory dir;
    const std::string path = dir.file("limited.dat");
    ASSERT_TRUE(appendLines(path, dataFileHeader(), linesOver(1000)));
    const long long before = sizeOf(path);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(before + 3000), static_cast<rlim_t>(before + 3000)};
        setrlimit(RLIMIT_FSIZE, &limit);
        const WriteOutcome outcome = appendLines(path, dataFileHeader(), linesOver(20000));
        _exit(!outcome && outcome.error.find("File too large") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the append did not fail with EFBIG: " << status;
    EXPECT_EQ(sizeOf(path), before);
    // The file still takes appends, after the lines it held.
    ASSERT_TRUE(appendLines(path, dataFileHeader(), linesOver(10)));
    std::vector<std::string> lines;
    EXPECT_TRUE(splitLines(dir.read("limited.dat"), lines));

    SmallFileSystem disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << "a full disk needs root to mount a small tmpfs";
    const std::string full = disk.file("full.dat");
    ASSERT_TRUE(appendLines(full, dataFileHeader(), linesOver(1000)));
    const long long kept = sizeOf(full);
    const WriteOutcome outcome = appendLines(full, dataFileHeader(), linesOver(200000));
    EXPECT_FALSE(outcome);
    EXPECT_NE(outcome.error.find("No space left on device"), std::string::npos) << outcome.error;
    EXPECT_EQ(sizeOf(full), kept);
    // A file the append created and could not fill is not left behind empty.
    EXPECT_FALSE(appendLines(disk.file("new.dat"), dataFileHeader(), linesOver(200000)));
    EXPECT_FALSE(std::filesystem::exists(disk.file("new.dat")));
}

TEST(OutputFiles, RescueFilesAreNamedAfterTheOutputFileTheRunAndTheProcess)
{
    const LocalDateTime start{2026, 12, 7, 9, 4, 5};
    const struct {
        const char* output;
        const char* rescue;
    } cases[] = {
        {"/lab/study/run1.dat", "/r/run1.2026-12-07_09-04-05.pid4711.dat"},
        {"/lab/study/run1.slg", "/r/run1.2026-12-07_09-04-05.pid4711.slg"},
        {"/lab/a.b.dat", "/r/a.b.2026-12-07_09-04-05.pid4711.dat"},
        {"/lab/noextension", "/r/noextension.2026-12-07_09-04-05.pid4711"},
        {"/lab/.dat", "/r/.dat.2026-12-07_09-04-05.pid4711"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rescuePathFor(c.output, start, 4711, "/r"), c.rescue) << c.output;

    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const std::string data = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    setenv("HOME", "/home/lab", 1);
    setenv("XDG_DATA_HOME", "/data/lab", 1);
    EXPECT_EQ(rescueDirectory(), "/data/lab/truv/rescue");
    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    EXPECT_EQ(rescueDirectory(), "/home/lab/.local/share/truv/rescue");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(rescueDirectory(), "/home/lab/.local/share/truv/rescue");
    setenv("HOME", home.c_str(), 1);
    if (!data.empty())
        setenv("XDG_DATA_HOME", data.c_str(), 1);

    TempDirectory dir;
    EXPECT_EQ(makeDirectories(dir.file("a/b/c")), 0);
    EXPECT_EQ(makeDirectories(dir.file("a/b/c")), 0);
    dir.write("plain", "");
    EXPECT_EQ(makeDirectories(dir.file("plain/d")), ENOTDIR);
}
