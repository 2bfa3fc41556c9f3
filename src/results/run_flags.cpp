#include "results/run_flags.h"

#include "results/timing_record.h"

std::vector<std::string> runFlags(const RunRecord& run)
{
    std::vector<std::string> flags;
    if (const std::optional<RunTiming> timing = runTiming(run); timing && timing->framesMissed > 0)
        flags.push_back("missed_frames");
    return flags;
}

std::string runFlagsText(const RunRecord& run)
{
    std::string text;
    for (const std::string& flag : runFlags(run))
        text += (text.empty() ? "" : ";") + flag;
    return text;
}
