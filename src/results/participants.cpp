#include "results/participants.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "common/file_io.h"
#include "results/results_lines.h"
#include "run/subject_record.h"

namespace {

std::string participantKey(const RunRecord& run)
{
    return std::to_string(run.subject) + '\t' + run.sex + '\t' + run.other + '\t' +
           std::string(inputFileNameOf(run.inputFile));
}

// The subject number and input file name: what two runs of a reused number share.
std::string numberKey(const RunRecord& run)
{
    return std::to_string(run.subject) + '\t' + std::string(inputFileNameOf(run.inputFile));
}

bool loggedAtTheSameTime(const SubjectLogRecord& a, const SubjectLogRecord& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute;
}

std::string loggedText(const SubjectLogRecord& log)
{
    char text[64];
    std::snprintf(text, sizeof text, "logged on %04d-%02d-%02d at %02d:%02d", log.year + 1900, log.month, log.day,
                  log.hour, log.minute);
    return text;
}

// "run 5 (run1.dat, from line 40), logged on 2026-03-02 at 10:15"
std::string runText(const RunRecord& run)
{
    std::string text = "run " + std::to_string(run.id) + " (" + fileNameOf(run.dataFile) + ", from line " +
                       std::to_string(run.firstLine) + ")";
    if (run.log)
        text += ", " + loggedText(*run.log);
    return text;
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") + 1 - first));
}

// A subject number of the list, or nothing with the reason.
std::optional<int> subjectNumber(const std::string& digits, const std::string& entry, std::string& error)
{
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
        error = "\"" + entry + "\" is not a subject number or a range of them such as 1-5";
        return std::nullopt;
    }
    const std::size_t significant = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    if (digits.size() - significant > 4 || std::stoi(digits.substr(significant)) > maxSubjectNumber) {
        error = digits + " is above the highest subject number, " + std::to_string(maxSubjectNumber);
        return std::nullopt;
    }
    return std::stoi(digits.substr(significant));
}

}  // namespace

std::vector<Participant> participantsOf(const StudyResults& study)
{
    std::vector<Participant> participants;
    std::unordered_map<std::string, std::size_t> byKey;
    for (std::size_t r = 0; r < study.runs.size(); ++r) {
        const RunRecord& run = study.runs[r];
        const auto [found, added] = byKey.try_emplace(participantKey(run), participants.size());
        if (added)
            participants.push_back(
                {run.subject, run.sex, run.other, std::string(inputFileNameOf(run.inputFile)), {}, r});
        Participant& p = participants[found->second];
        p.runs.push_back(r);
        if (run.complete && !study.runs[p.counted].complete)
            p.counted = r;
    }
    return participants;
}

void settleParticipants(StudyResults& study)
{
    std::vector<RunRecord>& runs = study.runs;
    // The run that counts instead of a further complete run of its participant.
    std::vector<std::optional<std::size_t>> countsInstead(runs.size());
    for (const Participant& p : participantsOf(study)) {
        for (const std::size_t r : p.runs) {
            if (r != p.counted && runs[r].complete)
                countsInstead[r] = p.counted;
        }
    }
    std::unordered_map<std::string, std::vector<std::size_t>> logged;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        if (runs[r].log)
            logged[numberKey(runs[r])].push_back(r);
    }
    for (std::size_t r = 0; r < runs.size(); ++r) {
        RunRecord& run = runs[r];
        run.subjectNumberReuse.clear();
        const std::string number = "subject number " + std::to_string(run.subject);
        if (const std::optional<std::size_t> counted = countsInstead[r])
            run.subjectNumberReuse.push_back(number +
                                             " is used again by the same participant: " + runText(runs[*counted]) +
                                             ", is its first complete run and counts; this run does not count");
        if (!run.log)
            continue;
        for (const std::size_t other : logged[numberKey(run)]) {
            if (other == r || other == countsInstead[r] || loggedAtTheSameTime(*run.log, *runs[other].log))
                continue;
            run.subjectNumberReuse.push_back(number + " is also used by " + runText(runs[other]) +
                                             " with the same input file; this run was " + loggedText(*run.log));
        }
    }
}

bool SubjectList::contains(int subject) const
{
    return std::any_of(ranges.begin(), ranges.end(),
                       [subject](const auto& range) { return range.first <= subject && subject <= range.second; });
}

std::optional<SubjectList> parseSubjectList(std::string_view text, std::string& error)
{
    SubjectList list;
    if (trimmed(text).empty()) {
        error = "the list names no subject";
        return std::nullopt;
    }
    for (std::size_t from = 0; from <= text.size();) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string entry = trimmed(text.substr(from, comma - from));
        from = comma + 1;
        if (entry.empty()) {
            error = "\"" + std::string(text) + "\" has an empty entry";
            return std::nullopt;
        }
        const std::size_t dash = entry.find('-');
        const std::optional<int> first =
            subjectNumber(dash == std::string::npos ? entry : trimmed(entry.substr(0, dash)), entry, error);
        const std::optional<int> last = first && dash != std::string::npos
                                            ? subjectNumber(trimmed(entry.substr(dash + 1)), entry, error)
                                            : first;
        if (!first || !last)
            return std::nullopt;
        if (*first > *last) {
            error = "the range " + entry + " runs backwards";
            return std::nullopt;
        }
        list.ranges.emplace_back(*first, *last);
    }
    return list;
}

void leaveOutSubjects(StudyResults& study, const SubjectList& subjects)
{
    if (!study.leftOut.empty()) {
        for (RunRecord& run : study.leftOut)
            study.runs.push_back(std::move(run));
        study.leftOut.clear();
        std::stable_sort(study.runs.begin(), study.runs.end(),
                         [](const RunRecord& a, const RunRecord& b) { return a.id < b.id; });
    }
    if (!subjects.empty()) {
        std::vector<RunRecord> kept;
        for (RunRecord& run : study.runs) {
            if (subjects.contains(run.subject)) {
                run.subjectNumberReuse.clear();
                study.leftOut.push_back(std::move(run));
            } else {
                kept.push_back(std::move(run));
            }
        }
        study.runs = std::move(kept);
    }
    settleParticipants(study);
}
