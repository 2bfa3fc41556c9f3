#pragma once
// The flags of a run in the CSV exports (the summary's flags column, the trials'
// run_flags): words without spaces, each naming something about the run to look at.
//   missed_frames  its timing record says frames were missed

#include <string>
#include <vector>

#include "results/study_results.h"

std::vector<std::string> runFlags(const RunRecord& run);

// The flags joined with ";"; "" for none.
std::string runFlagsText(const RunRecord& run);
