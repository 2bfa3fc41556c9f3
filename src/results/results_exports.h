#pragma once
// The tidy exports: UTF-8 CSV without byte order mark, LF line ends, a header row in
// English, ISO dates, fields quoted where they hold a comma, a quote or a line break,
// no trailing separator. They load in pandas' read_csv and R's read.csv as they are.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "results/study_results.h"

// How the cells of text columns are written. A spreadsheet takes a cell that begins
// with =, +, - or @ for a formula (and one that begins with a tab or a carriage return
// can hide one), and a word, a label, an other code or a typed answer may begin so:
// SpreadsheetSafe writes such a cell quoted with an apostrophe first ("'=A1"), which a
// spreadsheet shows as text and never runs. Raw writes every cell as it is, for
// analysis scripts. The cells of numeric columns are never changed, negative ones
// included.
enum class CsvTexts { SpreadsheetSafe, Raw };

// One row per trial slot: run, data_file, line (in the data file), subject, sex,
// other, input_file, session, half (1 or 2; empty for a block of unknown role), block
// (its number in the run), block_role (blockRoleName), slot (1 to the block's lines),
// trial, pair and category (1 or 2: the data line's Icat and Iscat + 1),
// category_label, item, word, correct_side (left or right), latency, errors, key (l or
// r), unrun (TRUE: the slot holds no response), excluded (TRUE: the trial does not
// count in the session's difference score: its block is not a combined one, it has no
// response, it is over 10,000 ms, or its session is excluded), run_flags (the run's
// flags, run_flags.h). A slot the block never reached leaves trial to correct_side
// empty; one without a response leaves latency, errors and key empty.
std::string trialsCsv(const StudyResults& study, CsvTexts texts = CsvTexts::SpreadsheetSafe);
// The trials CSV's header, in order.
inline constexpr std::array<const char*, 25> trialsCsvColumns = {
    "run",          "data_file",  "line",   "subject", "sex",   "other",    "input_file",     "session", "half",
    "block",        "block_role", "slot",   "trial",   "pair",  "category", "category_label", "item",    "word",
    "correct_side", "latency",    "errors", "key",     "unrun", "excluded", "run_flags"};
// The header and the rows of one session of a run: the trials CSV's rows of that
// session, cell for cell.
std::string sessionTrialsCsv(const RunRecord& run, const SessionRecord& session,
                             CsvTexts texts = CsvTexts::SpreadsheetSafe);
// The same written to path as it is made, a chunk at a time, and put in place
// atomically: a study's trials run to hundreds of megabytes, which need not be held.
WriteOutcome writeTrialsCsv(const std::string& path, const StudyResults& study,
                            CsvTexts texts = CsvTexts::SpreadsheetSafe);

// One row per run and session: run, data_file, subject, sex, other, input_file,
// date and time (the subject log's: YYYY-MM-DD and HH:MM), complete, session,
// label_source, cats_left and cats_right (the first half's combinations, as the
// subject log's CatsL and CatsR), catsw (the lines' Catsw), half1_mean_latency,
// half1_error_rate, half1_n and the same for half 2 (recomputed from the data lines),
// log_agrees (empty without a log line), log_differences, score, score_practice,
// score_recorded, trials_used, trials_dropped, trials_fast, fast_share (0 to 1),
// excluded, exclusion_reasons, then the run's timing record (timing_record.h's
// RunTiming; all empty for a run without rows): onset_source and key_clock (each
// distinct one, joined with "+"), refresh_us (the median; empty without one),
// words_shown, frames_missed, most_late_us; and flags (the run's flags, run_flags.h,
// joined with ";"). Texts of several items are joined with "; ".
std::string summaryCsv(const StudyResults& study, CsvTexts texts = CsvTexts::SpreadsheetSafe);

// One row per participant (participants.h), wide: subject, sex, other, input_file
// (the input file's name), then for every session number k that a participant's
// counted run has, in order, the scores of that run's session k: session<k>_score,
// session<k>_score_practice, session<k>_score_recorded, session<k>_half1_mean_latency,
// session<k>_half1_error_rate, session<k>_half1_n, the same three for half 2 (the
// subject log's figures, recomputed from the data lines) and session<k>_excluded
// (TRUE: the session is left out of the study's mean); all empty for a participant
// without that session. Then flags (the flags of all the participant's runs, each
// once, joined with ";"), runs (how many runs the participant has) and counted_run
// (the run the scores come from, as the other exports' run).
std::string participantsCsv(const StudyResults& study, CsvTexts texts = CsvTexts::SpreadsheetSafe);

// The files truv-results writes, from the command line or the window.
// PsychDs is a folder (results/psych_ds.h).
enum class ResultsExport { TrialsCsv, SummaryCsv, Html, ParticipantsCsv, PsychDs };

struct ExportRequest {
    ResultsExport kind = ResultsExport::TrialsCsv;
    std::string path;
    CsvTexts texts = CsvTexts::SpreadsheetSafe;  // of the CSV exports
    // Where the Psych-DS dataset looks for the input files first (before the data and
    // list files' folders and the subject log's path); empty: not there.
    std::string studyDirectory = {};
};

struct ExportOutcome {
    // Why the export would overwrite a file the study is read from (outputOverwritesInput),
    // or, for the Psych-DS dataset, why its folder is refused (psychDsRefusal); "" when
    // it would not.
    std::string refused;
    WriteOutcome written;  // not ok, without an error, when nothing was written
    // What an export written all the same lacks (an input file of the Psych-DS dataset
    // not found).
    std::vector<std::string> warnings = {};
};

// Each export, in order, with why it would overwrite a file the study is read from;
// nothing is written. truv-results checks so before it reads the list files too.
std::vector<ExportOutcome> checkExports(const std::vector<ExportRequest>& exports, const StudyResults& study);

// Writes the exports in order, or none when any would overwrite a file the study is read
// from: every export is checked before any is written. A write that fails does not stop
// the others. report makes the HTML report; it is called only when one is written (its
// charts are drawn on the Qt side).
std::vector<ExportOutcome> writeExports(const std::vector<ExportRequest>& exports, const StudyResults& study,
                                        const std::function<std::string()>& report);
