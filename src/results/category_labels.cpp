#include "results/category_labels.h"

#include "common/file_io.h"
#include "common/text_codec.h"
#include "files/list_catalogue.h"
#include "files/word_list.h"
#include "results/results_lines.h"

namespace {

// Splits a subject log combination "pair 1 label+pair 2 label". A label already known
// for one pair settles where the other starts; else the text must hold one "+" only.
bool splitCombination(const std::string& text, const std::string& first, const std::string& second,
                      std::array<std::string, 2>& parts)
{
    if (!first.empty() && text.size() > first.size() && text.starts_with(first + "+")) {
        parts = {first, text.substr(first.size() + 1)};
        return true;
    }
    if (!second.empty() && text.size() > second.size() && text.ends_with("+" + second)) {
        parts = {text.substr(0, text.size() - second.size() - 1), second};
        return true;
    }
    const std::size_t plus = text.find('+');
    if (plus == std::string::npos || text.find('+', plus + 1) != std::string::npos)
        return false;
    parts = {text.substr(0, plus), text.substr(plus + 1)};
    return true;
}

}  // namespace

CategoryLabels::CategoryLabels(const std::string& studyDirectory, const FileSource& files,
                               std::vector<std::string>& listFilesRead)
    : studyDirectory_(studyDirectory), files_(files), listFilesRead_(listFilesRead)
{
}

const CategoryLabels::Lookup& CategoryLabels::listLabels(const std::string& directory, const std::string& name)
{
    const std::string path = joinPath(directory, utf8ToWindows1252(name).value_or(name));
    const auto cached = cache_.find(path);
    if (cached != cache_.end())
        return cached->second;
    Lookup& lookup = cache_[path];
    if (kindOfListFile(name) == ListFileKind::Questionnaire) {
        lookup.why = name + " is a questionnaire file";
        return lookup;
    }
    // Its type is checked before it is read: what is not a regular file is not opened
    // for reading at all.
    const StreamOutcome opened = files_.openStream(path);
    if (opened.missing) {
        lookup.why = name + " is not in " + directory;
    } else if (!opened.stream) {
        lookup.why = opened.error;
    } else {
        WordList list;
        readWordListFile(path, list, files_);
        listFilesRead_.push_back(path);
        if (list.entriesA[0].empty() || list.entriesB[0].empty())
            lookup.why = name + " cannot be read" + (list.problems.empty() ? "" : ": " + list.problems.front());
        else
            lookup.labels = std::array<std::string, 2>{decodedText(list.entriesA[0].view()),
                                                       decodedText(list.entriesB[0].view())};
    }
    return lookup;
}

std::string CategoryLabels::listDirectoryOf(const RunRecord& run) const
{
    return !studyDirectory_.empty() ? studyDirectory_ : directoryOf(run.dataFile);
}

void CategoryLabels::fromLists(RunRecord& run)
{
    const std::string directory = listDirectoryOf(run);
    for (SessionRecord& session : run.sessions) {
        int found = 0;
        for (int p = 0; p < 2; ++p) {
            const Lookup& lookup = listLabels(directory, p == 0 ? session.settings.Cat1 : session.settings.Cat2);
            if (lookup.labels) {
                session.labels[static_cast<std::size_t>(p)] = *lookup.labels;
                ++found;
            }
        }
        session.labelSource = found > 0 ? "list file" : "";
    }
}

// Labels the list files did not give, from the subject log's first-half combinations:
// CatsL is pair 1's left label "+" pair 2's left label, CatsR the right ones.
void CategoryLabels::fromLog(RunRecord& run)
{
    const SubjectLogRecord& log = *run.log;
    for (SessionRecord& session : run.sessions) {
        const int s = session.settings.session;
        auto& labels = session.labels;
        const bool known[2] = {!labels[0][0].empty(), !labels[1][0].empty()};
        if ((known[0] && known[1]) || s < 1 || s > static_cast<int>(log.sessions.size()))
            continue;
        const SubjectLogSession& logged = log.sessions[static_cast<std::size_t>(s - 1)];
        const std::array<int, 2> left{session.settings.Cat1p, session.settings.Cat2p};
        std::array<std::string, 2> leftParts;
        std::array<std::string, 2> rightParts;
        const bool split = splitCombination(logged.CatsL, labels[0][static_cast<std::size_t>(left[0])],
                                            labels[1][static_cast<std::size_t>(left[1])], leftParts) &&
                           splitCombination(logged.CatsR, labels[0][static_cast<std::size_t>(1 - left[0])],
                                            labels[1][static_cast<std::size_t>(1 - left[1])], rightParts);
        if (!split) {
            run.problems.push_back("session " + std::to_string(s) + ": the subject log's CatsL \"" + logged.CatsL +
                                   "\" and CatsR \"" + logged.CatsR +
                                   "\" do not show where pair 1's label ends (a label holds \"+\")");
            continue;
        }
        bool fromLog = false;
        for (std::size_t p = 0; p < 2; ++p) {
            if (known[p] || leftParts[p].empty() || rightParts[p].empty())
                continue;
            labels[p][static_cast<std::size_t>(left[p])] = leftParts[p];
            labels[p][static_cast<std::size_t>(1 - left[p])] = rightParts[p];
            fromLog = true;
        }
        if (fromLog)
            session.labelSource = session.labelSource.empty() ? "subject log" : "list file and subject log";
    }
}

void CategoryLabels::reportUnknown(RunRecord& run)
{
    const std::string directory = listDirectoryOf(run);
    for (const SessionRecord& session : run.sessions) {
        for (std::size_t p = 0; p < 2; ++p) {
            if (!session.labels[p][0].empty() && !session.labels[p][1].empty())
                continue;
            const std::string& name = p == 0 ? session.settings.Cat1 : session.settings.Cat2;
            run.problems.push_back("session " + std::to_string(session.settings.session) +
                                   ": the category labels of pair " + std::to_string(p + 1) + " are unknown (" +
                                   listLabels(directory, name).why +
                                   (run.log ? ", and the subject log line does not give them)"
                                            : ", and the run has no subject log line)"));
        }
    }
}
