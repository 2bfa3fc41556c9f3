#pragma once
// Giving each subject log line to its run. A run and its line share the subject, sex,
// other code and input file name (their key); data lines carry no date, so the order
// of the lines stands for the order of the runs. The lines are given in two passes
// over all lines of all subject logs read: first each line to the earliest run of its
// key without a line whose figures (Catsw and both halves' mean latency, error rate
// and N in every session) agree with it, then each line left to the earliest run of
// its key still without one. A line goes only to a run of the data file its subject
// log is beside (or that the run goes on in, a rescue file), unless the logs are
// pooled.
#include <string>
#include <vector>

#include "results/study_results.h"

// Matches the lines to the runs, whose figures are scored (scoreFigures): a run that
// gets a line holds it and is complete. A line no run can take (a spare line, a line
// written twice) is a problem of the study, with its file and line. pooled: a line
// may go to a run of any data file. The lines are moved from.
void matchLogLines(std::vector<RunRecord>& runs, std::vector<SubjectLogRecord>& lines, bool pooled,
                   std::vector<std::string>& studyProblems);
