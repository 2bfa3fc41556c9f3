#include "results/timing_record.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <unordered_map>

#include "common/file_io.h"
#include "results/block_assembly.h"
#include "results/html_report.h"
#include "run/data_format.h"

namespace {

std::string keyOf(const std::string& inputFile, int subject, const std::string& sex, const std::string& other)
{
    return inputFile + '\t' + std::to_string(subject) + '\t' + sex + '\t' + other;
}

// A run's blocks in one data file.
struct FileRun {
    RunRecord* run = nullptr;
    int firstLine = INT_MAX;
    std::vector<BlockRecord*> blocks;
    std::string record;  // the timing record its first row came from; "" none
};

// The rows of one key in one data file, put into runs.
struct KeyRows {
    KeyRuns placement;
    int runs = 0;
};

// A run of rows that no run of the data file takes.
struct Unmatched {
    const TimingRowRead* first = nullptr;
    int lastLine = 0;
    int rows = 0;
    std::size_t runsOfKey = 0;
};

void addDistinct(std::vector<std::string>& texts, const std::string& text)
{
    if (std::find(texts.begin(), texts.end(), text) == texts.end())
        texts.push_back(text);
}

std::string joinedWith(const std::vector<std::string>& texts, const char* separator)
{
    std::string all;
    for (const std::string& text : texts)
        all += (all.empty() ? "" : separator) + text;
    return all;
}

// Milliseconds from microseconds, with a tenth of a millisecond, finer below that.
std::string milliseconds(std::int64_t microseconds)
{
    if (microseconds == 0)
        return "0";
    return fixedNumber(static_cast<double>(microseconds) / 1000.0, microseconds < 100 ? 3 : 1);
}

std::string blockList(const std::vector<int>& numbers)
{
    std::vector<std::string> texts;
    for (const int n : numbers)
        texts.push_back(std::to_string(n));
    return (numbers.size() == 1 ? "block " : "blocks ") + joinedWith(texts, ", ");
}

}  // namespace

void matchTimingRows(std::vector<RunRecord>& runs, std::vector<TimingRowRead>& rows,
                     const std::vector<std::string>& withRecord, std::vector<std::string>& studyProblems)
{
    if (rows.empty())
        return;  // no block has a row: nothing to give, miss or report
    // Each data file's runs of each key, in the order they start there.
    std::unordered_map<std::string, std::unordered_map<std::string, std::vector<FileRun>>> fileRuns;
    for (RunRecord& run : runs) {
        std::map<std::string, FileRun> inFiles;
        for (SessionRecord& session : run.sessions) {
            for (BlockRecord& block : session.blocks) {
                FileRun& part = inFiles[block.dataFile];
                part.run = &run;
                part.blocks.push_back(&block);
                if (!block.trials.empty())
                    part.firstLine = std::min(part.firstLine, block.trials.front().lineNumber);
            }
        }
        const std::string key = keyOf(run.inputFile, run.subject, run.sex, run.other);
        for (auto& [file, part] : inFiles)
            fileRuns[file][key].push_back(std::move(part));
    }
    for (auto& [file, keys] : fileRuns)
        for (auto& [key, parts] : keys)
            std::stable_sort(parts.begin(), parts.end(),
                             [](const FileRun& a, const FileRun& b) { return a.firstLine < b.firstLine; });

    std::unordered_map<std::string, std::unordered_map<std::string, KeyRows>> keyRows;
    std::vector<Unmatched> unmatched;
    std::map<std::pair<const KeyRows*, int>, std::size_t> unmatchedOf;
    for (const TimingRowRead& read : rows) {
        const TimingRow& row = read.row;
        const std::string key = keyOf(row.inputFile, row.subject, row.sex, row.other);
        KeyRows& of = keyRows[read.dataFile][key];
        int k = of.placement.runFor(row.block);
        if (k < 0)
            k = of.runs++;
        of.placement.take(k, row.block);

        const auto ofFile = fileRuns.find(read.dataFile);
        std::vector<FileRun>* parts = nullptr;
        if (ofFile != fileRuns.end()) {
            const auto ofKey = ofFile->second.find(key);
            if (ofKey != ofFile->second.end())
                parts = &ofKey->second;
        }
        if (parts == nullptr || static_cast<std::size_t>(k) >= parts->size()) {
            const auto [at, added] = unmatchedOf.try_emplace({&of, k}, unmatched.size());
            if (added)
                unmatched.push_back({&read, 0, 0, parts == nullptr ? 0 : parts->size()});
            Unmatched& u = unmatched[at->second];
            u.lastLine = row.timing.lineNumber;
            ++u.rows;
            continue;
        }
        FileRun& part = (*parts)[static_cast<std::size_t>(k)];
        if (part.record.empty())
            part.record = row.timing.file;
        const std::string where = fileNameOf(row.timing.file) + ":" + std::to_string(row.timing.lineNumber) + ": ";
        const auto block = std::find_if(part.blocks.begin(), part.blocks.end(),
                                        [&](const BlockRecord* b) { return b->number == row.block; });
        if (block == part.blocks.end()) {
            part.run->problems.push_back(where + "the row of block " + std::to_string(row.block) +
                                         " goes with no block of the run in " + fileNameOf(read.dataFile));
        } else if ((*block)->timing) {
            part.run->problems.push_back(where + "block " + std::to_string(row.block) + " has a row already (" +
                                         fileNameOf((*block)->timing->file) + " line " +
                                         std::to_string((*block)->timing->lineNumber) + "); this one is left out");
        } else {
            (*block)->timing = row.timing;
        }
    }
    for (const Unmatched& u : unmatched) {
        const TimingRow& row = u.first->row;
        const std::string who = runSubjectText(row.subject, row.sex, row.other, row.inputFile);
        const std::string data = fileNameOf(u.first->dataFile);
        const std::string rowsText = u.rows == 1 ? "the row of " + who + " goes"
                                                 : "the rows of a run of " + who + " (" + std::to_string(u.rows) +
                                                       " rows, to line " + std::to_string(u.lastLine) + ") go";
        studyProblems.push_back(fileNameOf(row.timing.file) + ":" + std::to_string(row.timing.lineNumber) + ": " +
                                rowsText + " with no run: " + data +
                                (u.runsOfKey == 0 ? " has no run of theirs"
                                                  : " has only " + countedText(u.runsOfKey, "run", "runs") +
                                                        " of theirs, which earlier rows went with"));
    }

    // A run's blocks without rows, in a data file whose record has rows of the run or
    // of a run that started before it.
    for (const std::string& file : withRecord) {
        const auto ofFile = fileRuns.find(file);
        if (ofFile == fileRuns.end())
            continue;
        int firstWithRows = INT_MAX;
        for (const auto& [key, parts] : ofFile->second)
            for (const FileRun& part : parts)
                if (!part.record.empty())
                    firstWithRows = std::min(firstWithRows, part.firstLine);
        for (const auto& [key, parts] : ofFile->second) {
            for (const FileRun& part : parts) {
                std::vector<int> missing;
                for (const BlockRecord* block : part.blocks)
                    if (!block->timing)
                        missing.push_back(block->number);
                const std::string data = fileNameOf(file) + " from line " + std::to_string(part.firstLine);
                if (!part.record.empty() && !missing.empty())
                    part.run->problems.push_back(blockList(missing) + " (" + data +
                                                 (missing.size() == 1 ? ") has no row in " : ") have no row in ") +
                                                 fileNameOf(part.record));
                else if (part.record.empty() && part.firstLine > firstWithRows)
                    part.run->problems.push_back("the timing record beside " + fileNameOf(file) +
                                                 " has no row for the run's blocks there (" + data +
                                                 "), though it has rows of a run that started before it");
            }
        }
    }

    for (RunRecord& run : runs) {
        std::vector<int> missed;
        std::string record;
        std::int64_t frames = 0;
        for (const SessionRecord& session : run.sessions) {
            for (const BlockRecord& block : session.blocks) {
                if (block.timing && block.timing->framesMissed > 0) {
                    missed.push_back(block.number);
                    frames += block.timing->framesMissed;
                    record = block.timing->file;
                }
            }
        }
        if (frames > 0)
            run.problems.push_back(countedText(static_cast<std::size_t>(frames), "frame", "frames") + " missed in " +
                                   blockList(missed) + " (" + fileNameOf(record) +
                                   "): those words were timed when drawn");
    }
    rows.clear();
}

std::optional<RunTiming> runTiming(const RunRecord& run)
{
    RunTiming t;
    std::vector<int> refreshes;
    for (const SessionRecord& session : run.sessions) {
        for (const BlockRecord& block : session.blocks) {
            ++t.blocks;
            if (!block.timing)
                continue;
            const BlockTimingRecord& row = *block.timing;
            ++t.blocksWithRows;
            addDistinct(t.onsets, row.onset);
            if (row.refreshMicroseconds > 0)
                refreshes.push_back(row.refreshMicroseconds);
            t.wordsShown += row.wordsShown;
            t.framesMissed += row.framesMissed;
            t.mostLateMicroseconds = std::max(t.mostLateMicroseconds, row.mostLateMicroseconds);
            addDistinct(t.keyClocks, row.keyClock);
            if (row.keyCalibrationMicroseconds)
                t.keyCalibrationMicroseconds = std::max(t.keyCalibrationMicroseconds.value_or(0),
                                                        *row.keyCalibrationMicroseconds);
        }
    }
    if (t.blocksWithRows == 0)
        return std::nullopt;
    if (!refreshes.empty()) {
        std::sort(refreshes.begin(), refreshes.end());
        const std::size_t mid = refreshes.size() / 2;
        const double median = refreshes.size() % 2 == 1
                                  ? refreshes[mid]
                                  : (static_cast<double>(refreshes[mid - 1]) + refreshes[mid]) / 2.0;
        t.refreshMicroseconds = static_cast<int>(std::llround(median));
    }
    return t;
}

std::string timingLine(const RunRecord& run)
{
    const std::optional<RunTiming> t = runTiming(run);
    if (!t)
        return "Timing: no timing record.";
    std::string line = "Timing";
    if (t->blocksWithRows < t->blocks)
        line += " (" + std::to_string(t->blocksWithRows) + " of the run's " + std::to_string(t->blocks) + " blocks)";
    line += ": " + joinedWith(t->onsets, " and ");
    if (t->refreshMicroseconds)
        line += " every " + fixedNumber(*t->refreshMicroseconds / 1000.0, 3) + " ms";
    line += "; " + countedText(static_cast<std::size_t>(t->wordsShown), "word", "words") + ", ";
    line += t->framesMissed == 0
                ? std::string("no frame missed")
                : countedText(static_cast<std::size_t>(t->framesMissed), "frame missed", "frames missed");
    line += " (largest delay " + milliseconds(t->mostLateMicroseconds) + " ms); keys ";
    std::vector<std::string> clocks;
    for (const std::string& clock : t->keyClocks)
        clocks.push_back(clock == keyHandledClock ? "timed when handled" : "on " + clock + " stamps");
    line += joinedWith(clocks, " and ");
    if (t->keyCalibrationMicroseconds)
        line += " (calibrated within " + milliseconds(*t->keyCalibrationMicroseconds) + " ms)";
    return line + ".";
}
