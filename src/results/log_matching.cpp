#include "results/log_matching.h"

#include <algorithm>
#include <optional>
#include <set>
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

// All of a line that a copy of it repeats: its key, date, time and figures.
std::string linePrint(const SubjectLogRecord& line, const std::string& key)
{
    return key + "\n" + std::to_string(line.year) + "-" + std::to_string(line.month) + "-" + std::to_string(line.day) +
           " " + std::to_string(line.hour) + ":" + std::to_string(line.minute) + "\n" + figuresPrint(line);
}

struct Candidate {
    std::size_t run = 0;
    std::string figures;
    std::set<std::string> dataFiles;  // where its lines are
};

// The names of the data files, "a.dat" or "a.dat, b.dat".
std::string fileList(const std::set<std::string>& files)
{
    std::string list;
    for (const std::string& file : files)
        list += (list.empty() ? "" : ", ") + fileNameOf(file);
    return list;
}

}  // namespace

void matchLogLines(std::vector<RunRecord>& runs, std::vector<SubjectLogRecord>& lines, bool pooled,
                   std::vector<std::string>& studyProblems)
{
    // The runs of each key, in order.
    std::unordered_map<std::string, std::vector<Candidate>> byKey;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const RunRecord& run = runs[r];
        Candidate candidate{r, figuresPrint(run), {run.dataFile}};
        for (const SessionRecord& session : run.sessions)
            for (const BlockRecord& block : session.blocks)
                candidate.dataFiles.insert(block.dataFile);
        byKey[matchKey(run.subject, run.sex, run.other, run.inputFile)].push_back(std::move(candidate));
    }

    std::vector<std::string> keys(lines.size());
    std::vector<std::optional<std::size_t>> given(lines.size());
    std::vector<bool> taken(runs.size(), false);
    const auto mayTake = [&](const Candidate& candidate, const SubjectLogRecord& line) {
        return !taken[candidate.run] && (pooled || line.dataFile.empty() || candidate.dataFiles.count(line.dataFile));
    };
    const auto give = [&](std::size_t l, bool figuresAgree) {
        const auto ofKey = byKey.find(keys[l]);
        if (ofKey == byKey.end())
            return;
        const std::string figures = figuresAgree ? figuresPrint(lines[l]) : std::string();
        for (const Candidate& candidate : ofKey->second) {
            if (mayTake(candidate, lines[l]) && (!figuresAgree || candidate.figures == figures)) {
                taken[candidate.run] = true;
                given[l] = candidate.run;
                return;
            }
        }
    };
    for (std::size_t l = 0; l < lines.size(); ++l) {
        keys[l] = matchKey(lines[l].subject, lines[l].sex, lines[l].other, lines[l].inputPath);
        give(l, true);
    }
    for (std::size_t l = 0; l < lines.size(); ++l)
        if (!given[l])
            give(l, false);

    // Why each line left over goes to no run.
    std::unordered_map<std::string, std::size_t> firstOfPrint;
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const SubjectLogRecord& line = lines[l];
        const auto [first, isFirst] = firstOfPrint.try_emplace(linePrint(line, keys[l]), l);
        if (given[l])
            continue;
        const std::string who = runSubjectText(line.subject, line.sex, line.other, inputFileNameOf(line.inputPath));
        std::string why;
        const auto ofKey = byKey.find(keys[l]);
        if (!isFirst) {
            const SubjectLogRecord& original = lines[first->second];
            why = "a copy of line " + std::to_string(original.lineNumber) +
                  (original.file == line.file ? std::string() : " of " + fileNameOf(original.file)) + " (" + who +
                  "): a line written twice goes to no run";
        } else if (ofKey == byKey.end()) {
            why = "no run of " + who + " is in the data files read";
        } else if (std::none_of(ofKey->second.begin(), ofKey->second.end(),
                                [&](const Candidate& c) { return c.dataFiles.count(line.dataFile) != 0; })) {
            std::set<std::string> elsewhere;
            for (const Candidate& c : ofKey->second)
                elsewhere.insert(c.dataFiles.begin(), c.dataFiles.end());
            why = "the runs of " + who + " are only in other data files (" + fileList(elsewhere) +
                  "): a line goes to a run of the data file beside its subject log, " + fileNameOf(line.dataFile) +
                  " (--pool-logs lets it go to a run of any data file)";
        } else {
            why = "every run of " + who + (pooled ? std::string() : " in " + fileNameOf(line.dataFile)) +
                  " has a subject log line of its own: this line is spare";
        }
        studyProblems.push_back(fileNameOf(line.file) + ":" + std::to_string(line.lineNumber) + ": " + why);
    }

    for (std::size_t l = 0; l < lines.size(); ++l) {
        if (!given[l])
            continue;
        RunRecord& run = runs[*given[l]];
        run.log = std::move(lines[l]);
        run.complete = true;
    }
    lines.clear();
}
