#pragma once
// The flags of a run in the CSV exports (the summary's flags column, the trials'
// run_flags): words without spaces, each naming something about the run to look at.
//   incomplete             its data lines lack blocks of its sequence or lines of a
//                          block (it stopped early, or lines are in no data file read)
//   no_log_line            no subject log line went to it (the run stopped, or its line
//                          is missing)
//   log_differs            its subject log line's figures differ from those of its data
//                          lines
//   same_subject_at_once   its blocks alternate with those of a run of the same subject,
//                          sex, other code and input file: the two may be mixed up
//   subject_number_reused  its subject number is also another run's (participants.h)
//   unknown_block          a block's number does not fit the run's sequence of blocks
//   settings_changed       its lines of one session differ in any of Cat1 to nReal
//   missed_frames          its timing record says frames were missed

#include <string>
#include <vector>

#include "results/study_results.h"

std::vector<std::string> runFlags(const RunRecord& run);

// Every flag word, in the order a run's flags are listed.
std::vector<std::string> runFlagWords();

// What a flag word says, as the report and the window show it: "no subject log line"
// for no_log_line. A word it does not know is its own text.
std::string runFlagText(const std::string& flag);

// What the report, the window and the warnings list for a run: its problems, that it
// has no subject log line when it has none, and where its subject number is reused.
std::vector<std::string> runWarnings(const RunRecord& run);

// The flags joined with ";"; "" for none.
std::string runFlagsText(const RunRecord& run);
