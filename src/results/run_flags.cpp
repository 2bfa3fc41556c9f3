#include "results/run_flags.h"

#include <algorithm>

#include "common/file_io.h"
#include "results/timing_record.h"
#include "run/subject_record.h"

std::vector<std::string> runFlags(const RunRecord& run)
{
    std::vector<std::string> flags;
    if (!run.log)
        flags.push_back("no_log_line");
    if (std::any_of(run.sessions.begin(), run.sessions.end(),
                    [](const SessionRecord& session) { return !session.logDifferences.empty(); }))
        flags.push_back("log_differs");
    if (const std::optional<RunTiming> timing = runTiming(run); timing && timing->framesMissed > 0)
        flags.push_back("missed_frames");
    if (!run.subjectNumberReuse.empty())
        flags.push_back("subject_number_reused");
    return flags;
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
