#pragma once
// The flags of a run in the CSV exports (the summary's flags column, the trials'
// run_flags): words without spaces, each naming something about the run to look at.
//   no_log_line    no subject log line went to it (the run stopped, or its line is missing)
//   log_differs    its subject log line's figures differ from those of its data lines
//   missed_frames  its timing record says frames were missed
//   subject_number_reused  its subject number is also another run's (participants.h)

#include <string>
#include <vector>

#include "results/study_results.h"

std::vector<std::string> runFlags(const RunRecord& run);

// What the report, the window and the warnings list for a run: its problems, that it
// has no subject log line when it has none, and where its subject number is reused.
std::vector<std::string> runWarnings(const RunRecord& run);

// The flags joined with ";"; "" for none.
std::string runFlagsText(const RunRecord& run);
