#pragma once
// Giving each subject log line to its run. A run's line is one with the same subject,
// sex, other code and input file name; the lines are taken in order of appearance,
// each going to the earliest run of its key without a line whose figures (Catsw and
// both halves' mean latency, error rate and N in every session) agree with it, else
// to the earliest run of its key without a line.
#include <string>
#include <vector>

#include "results/study_results.h"

// Matches the lines to the runs, whose figures are scored (scoreFigures): a run that
// gets a line holds it and is complete. A line no run can take is a problem of the
// study. The lines are moved from.
void matchLogLines(std::vector<RunRecord>& runs, std::vector<SubjectLogRecord>& lines,
                   std::vector<std::string>& studyProblems);
