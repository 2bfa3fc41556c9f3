#pragma once
// The tidy exports: UTF-8 CSV without byte order mark, LF line ends, a header row in
// English, ISO dates, fields quoted where they hold a comma, a quote or a line break,
// no trailing separator. They load in pandas' read_csv and R's read.csv as they are.

#include <string>

#include "results/study_results.h"

// One row per trial: run, subject, sex, other, input file, session, half, block
// number, block role, trial, pair and category labels, word, correct side, latency,
// wrong responses, key, unrun flag, excluded flag.
std::string trialsCsv(const StudyResults& study);

// One row per run and session: the subject log's figures, the score and its two
// parts, and the exclusion reasons.
std::string summaryCsv(const StudyResults& study);
