#include "results/log_matching.h"

#include <optional>
#include <unordered_map>

#include "common/file_io.h"
#include "results/results_lines.h"

namespace {

// Subject, sex, other code and the input file's name: what a run and its subject log
// line have in common.
std::string matchKey(int subject, const std::string& sex, const std::string& other, std::string_view inputPath)
{
    std::string key = std::to_string(subject);
    key += '\t';
    key += sex;
    key += '\t';
    key += other;
    key += '\t';
    key += inputFileNameOf(inputPath);
    return key;
}

// The figures a run and its subject log line share: per session its number, CatSw
// and both halves' mean latency, error rate and N. The combinations are left out: the
// labels may come from the log line itself.
std::string figuresPrint(const RunRecord& run)
{
    std::string print;
    for (const SessionRecord& session : run.sessions) {
        print += std::to_string(session.settings.session) + ":" +
                 std::to_string(static_cast<long long>(session.settings.Catsw) + 1);
        for (const auto& half : session.halves)
            print += half ? ":" + std::to_string(half->meanLatency) + "," + std::to_string(half->errorRate) + "," +
                                std::to_string(half->n)
                          : std::string(":-");
        print += ";";
    }
    return print;
}

std::string figuresPrint(const SubjectLogRecord& log)
{
    std::string print;
    for (std::size_t s = 0; s < log.sessions.size(); ++s) {
        print += std::to_string(s + 1) + ":" + std::to_string(log.sessions[s].CatSw);
        for (const SubjectLogHalf& half : log.sessions[s].halves)
            print += ":" + std::to_string(half.meanLatency) + "," + std::to_string(half.errorRate) + "," +
                     std::to_string(half.n);
        print += ";";
    }
    return print;
}

}  // namespace

// Each log line, in order, goes to the earliest run of its key without a line whose
// figures agree with it, else to the earliest run of its key without a line.
void matchLogLines(std::vector<RunRecord>& runs, std::vector<SubjectLogRecord>& lines,
                   std::vector<std::string>& studyProblems)
{
    // Runs in order, and how far the front ones are taken.
    struct Queue {
        std::vector<std::size_t> runs;
        std::size_t next = 0;
    };
    std::vector<bool> matched(runs.size(), false);
    const auto firstUnmatched = [&](Queue& queue) -> std::optional<std::size_t> {
        while (queue.next < queue.runs.size() && matched[queue.runs[queue.next]])
            ++queue.next;
        if (queue.next == queue.runs.size())
            return std::nullopt;
        return queue.runs[queue.next];
    };
    std::unordered_map<std::string, Queue> byKey;
    std::unordered_map<std::string, Queue> byKeyAndFigures;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const RunRecord& run = runs[r];
        const std::string key = matchKey(run.subject, run.sex, run.other, run.inputFile);
        byKey[key].runs.push_back(r);
        byKeyAndFigures[key + "\n" + figuresPrint(run)].runs.push_back(r);
    }
    for (SubjectLogRecord& line : lines) {
        const std::string key = matchKey(line.subject, line.sex, line.other, line.inputPath);
        const auto ofKey = byKey.find(key);
        std::optional<std::size_t> chosen;
        if (ofKey != byKey.end()) {
            const auto agreeing = byKeyAndFigures.find(key + "\n" + figuresPrint(line));
            if (agreeing != byKeyAndFigures.end())
                chosen = firstUnmatched(agreeing->second);
            if (!chosen)
                chosen = firstUnmatched(ofKey->second);
        }
        if (!chosen) {
            const std::string who = runSubjectText(line.subject, line.sex, line.other, inputFileNameOf(line.inputPath));
            studyProblems.push_back(fileNameOf(line.file) + ":" + std::to_string(line.lineNumber) + ": " +
                                    (ofKey == byKey.end()
                                         ? "no run of " + who + " is in the data files read"
                                         : "every run of " + who + " has an earlier subject log line"));
            continue;
        }
        matched[*chosen] = true;
        RunRecord& run = runs[*chosen];
        run.log = std::move(line);
        run.complete = true;
    }
    lines.clear();
}
