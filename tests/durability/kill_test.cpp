// A run killed at random moments loses nothing it had recorded: truv-sim runs a study
// paced in real time, announcing each block once its lines are in the data file and
// again when its feedback screen is shown, and is killed with SIGKILL, many times
// over, all runs appending to one data file: half of the runs at a random moment, the
// other half while a block's feedback screen is up. After every kill the file holds
// only whole lines under one header, first; every announced block is there
// completely, and so is any other block that reached the file; the next run appends
// after it. The timing record likewise holds whole rows under one header, a row for
// every announced block. A final run goes to its end.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/temp_directory.h"

namespace {

constexpr int dataColumnCount = 22;
constexpr int otherColumn = 12;
constexpr int blockColumn = 13;
constexpr int trialColumn = 14;
constexpr std::size_t timingColumnCount = 13;
constexpr std::size_t timingOtherColumn = 4;
constexpr int timingBlockColumn = 5;

std::string wordList(const std::string& labelA, const std::string& labelB)
{
    std::string bytes = "9\r\n9\r\n" + labelA + "\r\n";
    for (int i = 1; i <= 8; ++i)
        bytes += labelA + std::to_string(i) + "\r\n";
    bytes += labelB + "\r\n";
    for (int i = 1; i <= 8; ++i)
        bytes += labelB + std::to_string(i) + "\r\n";
    return bytes;
}

// Two sessions of four-trial practice and eight-trial recorded blocks, no tutorial,
// no list review.
void writeStudy(const TempDirectory& dir)
{
    dir.write("intro.bgi", "1\r\nWelcome.#\r\n");
    dir.write("one.wls", wordList("fruit", "tools"));
    dir.write("two.wls", wordList("birds", "metals"));
    dir.write("study.inp", "intro.bgi\t2\tone.wls\ttwo.wls\t0\t1\t1\t0\t4\t8"
                           "\ttwo.wls\tone.wls\t1\t0\t0\t0\t4\t8\t0\t0\r\n");
}

struct Child {
    pid_t pid = -1;
    int output = -1;  // the read end of its standard output
};

Child startSim(const TempDirectory& dir, const std::string& other, double pace)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    const std::string paceText = std::to_string(pace);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execl(TRUV_SIM_PATH, TRUV_SIM_PATH, dir.file("study.inp").c_str(), "--data", dir.file("study.dat").c_str(),
              "--subject", "7", "--seed", "11", "--other", other.c_str(), "--pace", paceText.c_str(), "--progress",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    return {pid, pipeEnds[0]};
}

// Everything the child printed, once it has ended.
std::string drain(int fd)
{
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    close(fd);
    return text;
}

// Reads the child's output up to the line "block N feedback" and returns what it
// read; everything, when the child ends first.
std::string readUntilFeedback(int fd, int block)
{
    const std::string awaited = "block " + std::to_string(block) + " feedback\n";
    std::string text;
    char c;
    while (read(fd, &c, 1) == 1) {
        text += c;
        if (text.ends_with(awaited))
            break;
    }
    return text;
}

std::set<int> announcedBlocks(const std::string& output)
{
    std::set<int> blocks;
    std::istringstream in(output);
    std::string word;
    int block = 0;
    std::string rest;
    while (in >> word >> block >> rest)
        if (word == "block" && rest == "recorded")
            blocks.insert(block);
    return blocks;
}

std::vector<std::string> fieldsOf(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));  // after the trailing tab: empty
    return fields;
}

// The whole lines, as fields, that one run appended to a file from offset on, each
// checked to have columns fields and the run's other code; and whether the bytes end
// inside a line (a write the kernel stopped at a page boundary: never seen, but
// possible).
struct Appended {
    std::vector<std::vector<std::string>> lines;
    bool endsInsideALine = false;
};
Appended appendedLines(const std::string& file, std::size_t offset, bool afterCutLine, const std::string& header,
                       std::size_t columns, std::size_t otherField, const std::string& other)
{
    Appended appended;
    std::string bytes = file.substr(offset);
    if (afterCutLine && !bytes.empty()) {
        // The append after a cut line starts on a line of its own.
        EXPECT_EQ(bytes.substr(0, 2), "\r\n");
        bytes = bytes.substr(2);
    }
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = bytes.substr(start, end - start);
        if (offset == 0 && start == 0) {
            EXPECT_EQ(line + "\r\n", header) << "the header comes first";
            continue;
        }
        EXPECT_NE(line + "\r\n", header) << "a second header";
        std::vector<std::string> fields = fieldsOf(line);
        if (fields.size() != columns + 1 || !fields.back().empty()) {
            ADD_FAILURE() << "not a whole line: [" << line << "]";
            continue;
        }
        EXPECT_EQ(fields[otherField], other);
        appended.lines.push_back(std::move(fields));
    }
    appended.endsInsideALine = start != bytes.size();
    return appended;
}

// Checks the data file's bytes from offset on, which one run wrote; returns the
// number of lines of each block that run left.
struct RunPart {
    std::map<int, int> linesOfBlock;
    bool endsInsideALine = false;
};
RunPart checkPart(const std::string& file, std::size_t offset, bool afterCutLine, const std::string& header,
                  const std::string& other)
{
    const Appended appended = appendedLines(file, offset, afterCutLine, header, dataColumnCount, otherColumn, other);
    RunPart part;
    for (const std::vector<std::string>& fields : appended.lines) {
        const int block = std::stoi(fields[blockColumn]);
        const int trial = std::stoi(fields[trialColumn]);
        EXPECT_EQ(trial, ++part.linesOfBlock[block]) << "block " << block << " out of order";
    }
    part.endsInsideALine = appended.endsInsideALine;
    return part;
}

// The blocks of the timing record's rows that one run wrote from offset on, each
// once and in order.
struct TimingPart {
    std::vector<int> blocks;
    bool endsInsideALine = false;
};
TimingPart checkTimingPart(const std::string& file, std::size_t offset, bool afterCutLine, const std::string& header,
                           const std::string& other)
{
    const Appended appended = appendedLines(file, offset, afterCutLine, header, timingColumnCount, timingOtherColumn,
                                            other);
    TimingPart part;
    for (const std::vector<std::string>& fields : appended.lines) {
        const int block = std::stoi(fields[timingBlockColumn]);
        EXPECT_EQ(block, static_cast<int>(part.blocks.size()) + 1)
            << "timing row of block " << block << " out of order";
        part.blocks.push_back(block);
    }
    part.endsInsideALine = appended.endsInsideALine;
    return part;
}

// Blocks 1 to n.
std::vector<int> firstBlocks(std::size_t n)
{
    std::vector<int> blocks(n);
    for (std::size_t i = 0; i < n; ++i)
        blocks[i] = static_cast<int>(i) + 1;
    return blocks;
}

TEST(CrashDurability, KilledRunsLeaveWholeLinesAndWholeBlocks)
{
    TempDirectory dir;
    writeStudy(dir);

    // A reference run to its end: every block's line count, and how long a run takes.
    const auto began = std::chrono::steady_clock::now();
    Child reference = startSim(dir, "ref", 0.004);
    ASSERT_GT(reference.pid, 0);
    const std::string referenceOutput = drain(reference.output);
    int status = 0;
    waitpid(reference.pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the reference run failed: " << status;
    const auto runTime = std::chrono::steady_clock::now() - began;

    const std::string referenceFile = dir.read("study.dat");
    const std::string header = referenceFile.substr(0, referenceFile.find("\r\n") + 2);
    const RunPart complete = checkPart(referenceFile, 0, false, header, "ref");
    ASSERT_FALSE(complete.endsInsideALine);
    ASSERT_EQ(announcedBlocks(referenceOutput).size(), complete.linesOfBlock.size());
    ASSERT_GE(complete.linesOfBlock.size(), 12u);
    const std::string timingFile = dir.read("study.timing.tsv");
    const std::string timingHeader = timingFile.substr(0, timingFile.find("\r\n") + 2);
    ASSERT_EQ(checkTimingPart(timingFile, 0, false, timingHeader, "ref").blocks,
              firstBlocks(complete.linesOfBlock.size()));
    for (const char* name : {"study.dat", "study.slg", "study.timing.tsv"})
        ASSERT_EQ(unlink(dir.file(name).c_str()), 0);

    std::mt19937 random(std::random_device{}());
    const auto longest = std::chrono::duration_cast<std::chrono::microseconds>(runTime).count();
    std::uniform_int_distribution<long long> moment(0, longest);
    std::uniform_int_distribution<int> blockOf(1, static_cast<int>(complete.linesOfBlock.size()));
    int kills = 0;
    int feedbackKills = 0;
    int cutLines = 0;
    bool afterCutLine = false;
    bool afterCutRow = false;
    std::size_t checked = 0;
    std::size_t timingChecked = 0;
    for (int attempt = 0; (kills < 60 || feedbackKills < 30) && attempt < 200; ++attempt) {
        const std::string other = "k" + std::to_string(attempt);
        Child child = startSim(dir, other, 0.004);
        ASSERT_GT(child.pid, 0);
        std::string output;
        int feedbackBlock = 0;
        if (attempt % 2 == 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        } else {
            feedbackBlock = blockOf(random);
            output = readUntilFeedback(child.output, feedbackBlock);
        }
        kill(child.pid, SIGKILL);
        waitpid(child.pid, &status, 0);
        output += drain(child.output);
        const std::set<int> announced = announcedBlocks(output);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
            ++kills;
            if (feedbackBlock != 0) {
                ++feedbackKills;
                EXPECT_EQ(announced.count(feedbackBlock), 1u)
                    << "block " << feedbackBlock << " was not recorded before its feedback";
            }
        } else {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "run " << attempt << ": " << status;
        }

        const std::string file = dir.read("study.dat");
        SCOPED_TRACE("run " + other);
        const RunPart part = checkPart(file, checked, afterCutLine, header, other);
        for (int block : announced)
            EXPECT_EQ(part.linesOfBlock.count(block), 1u) << "announced block " << block << " is missing";
        for (const auto& [block, lines] : part.linesOfBlock) {
            const bool lastAndCut = part.endsInsideALine && block == part.linesOfBlock.rbegin()->first;
            if (!lastAndCut) {
                EXPECT_EQ(lines, complete.linesOfBlock.at(block)) << "block " << block << " is not whole";
            }
        }
        // The timing row of a block goes in after its data lines: every announced block
        // has its row, and a row's block has its data lines.
        const std::string timing = dir.read("study.timing.tsv");
        const TimingPart rows = checkTimingPart(timing, timingChecked, afterCutRow, timingHeader, other);
        for (int block : announced)
            EXPECT_NE(std::find(rows.blocks.begin(), rows.blocks.end(), block), rows.blocks.end())
                << "announced block " << block << " has no timing row";
        for (int block : rows.blocks)
            EXPECT_EQ(part.linesOfBlock.count(block), 1u) << "timing row of block " << block << " without its lines";
        cutLines += part.endsInsideALine + rows.endsInsideALine;
        afterCutLine = part.endsInsideALine;
        afterCutRow = rows.endsInsideALine;
        checked = file.size();
        timingChecked = timing.size();
        if (::testing::Test::HasFailure())
            break;
    }
    EXPECT_GE(kills, 50);
    EXPECT_GE(feedbackKills, 25);

    // A last run to its end appends after everything the killed runs left.
    Child last = startSim(dir, "last", 0);
    const std::set<int> announced = announcedBlocks(drain(last.output));
    waitpid(last.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const RunPart final = checkPart(dir.read("study.dat"), checked, afterCutLine, header, "last");
    EXPECT_EQ(final.linesOfBlock, complete.linesOfBlock);
    EXPECT_EQ(announced.size(), complete.linesOfBlock.size());
    EXPECT_EQ(checkTimingPart(dir.read("study.timing.tsv"), timingChecked, afterCutRow, timingHeader, "last").blocks,
              firstBlocks(complete.linesOfBlock.size()));
    std::printf("runs killed: %d (%d of them during a block's feedback screen), each leaving whole lines and "
                "whole blocks; lines cut by a kill: %d\n",
                kills, feedbackKills, cutLines);
    RecordProperty("kills", kills);
}

}  // namespace
