#include "results/run_flags.h"

#include <algorithm>

#include "common/file_io.h"
#include "results/timing_record.h"
#include "run/subject_record.h"

std::vector<std::string> runFlags(const RunRecord& run)
{
    const auto anySession = [&](auto test) { return std::any_of(run.sessions.begin(), run.sessions.end(), test); };
    std::vector<std::string> flags;
    if (run.linesMissing)
        flags.push_back("incomplete");
    if (!run.log)
        flags.push_back("no_log_line");
    if (anySession([](const SessionRecord& session) { return !session.logDifferences.empty(); }))
        flags.push_back("log_differs");
    if (run.sameSubjectAtOnce)
        flags.push_back("same_subject_at_once");
    if (!run.subjectNumberReuse.empty())
        flags.push_back("subject_number_reused");
    if (anySession([](const SessionRecord& session) {
            return std::any_of(session.blocks.begin(), session.blocks.end(),
                               [](const BlockRecord& block) { return block.role == BlockRole::Unknown; });
        }))
        flags.push_back("unknown_block");
    if (run.settingsChanged)
        flags.push_back("settings_changed");
    if (const std::optional<RunTiming> timing = runTiming(run); timing && timing->framesMissed > 0)
        flags.push_back("missed_frames");
    return flags;
}

namespace {

const std::pair<const char*, const char*> flagTexts[] = {
    {"incomplete", "blocks missing"},
    {"no_log_line", "no subject log line"},
    {"log_differs", "differs from the subject log"},
    {"same_subject_at_once", "same subject at once"},
    {"subject_number_reused", "subject number reused"},
    {"unknown_block", "block of unknown role"},
    {"settings_changed", "settings changed"},
    {"missed_frames", "frames missed"},
};

}  // namespace

std::vector<std::string> runFlagWords()
{
    std::vector<std::string> words;
    for (const auto& entry : flagTexts)
        words.emplace_back(entry.first);
    return words;
}

std::string runFlagText(const std::string& flag)
{
    for (const auto& [word, text] : flagTexts)
        if (flag == word)
            return text;
    return flag;
}

std::string runFlagsText(const RunRecord& run)
{
    std::string text;
    for (const std::string& flag : runFlags(run))
        text += (text.empty() ? "" : ";") + flag;
    return text;
}

std::vector<std::string> runWarnings(const RunRecord& run)
{
    std::vector<std::string> warnings = run.problems;
    if (!run.log)
        warnings.push_back("no subject log line: " + fileNameOf(subjectLogPathFor(run.dataFile)) +
                           " has none for this run (it stopped before its exit code, or its line is missing)");
    warnings.insert(warnings.end(), run.subjectNumberReuse.begin(), run.subjectNumberReuse.end());
    return warnings;
}
