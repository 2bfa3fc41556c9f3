#pragma once
// The report of truv-results: one self-contained HTML5 file, UTF-8, with its style
// sheet and its charts inline and nothing to load: no script, no image file, no font,
// no address on the network. It opens the same on a lab computer without a network
// as in a mail attachment.
//
// The charts are drawn by the Qt side (ui/results_charts.h) and handed over as
// SVG documents; the report only places them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "results/results_scores.h"
#include "results/study_results.h"

// The two charts of one session, as SVG documents; an empty one is left out.
struct SessionCharts {
    std::string latencyByTrial;
    std::string latencyDistribution;
};

struct ReportCharts {
    std::string scores;      // the participants' scores, a row per session number with its mean and interval
    std::string errorRates;  // every session's error rate by half
    // runs[r][s]: the charts of session s of study.runs[r]; missing ones are left out.
    // Only the runs with a section of their own (runsWithSections) need theirs.
    std::vector<std::vector<SessionCharts>> runs;
};

// The most runs the report gives a section of their own, with their charts: drawing
// them is most of the report's time and size, so a study of thousands of runs shows
// them for these, and every run in the table of runs and the CSV exports.
inline constexpr std::size_t maxRunSections = 200;

// Whether the run needs a look: it has a problem, is incomplete, has no session, or a
// session of it is excluded, has no score or differs from the subject log.
bool runIsFlagged(const RunRecord& run);

// The runs (indexes into study.runs) that have a section of their own, in the order of
// the report: the flagged ones, then the others, each in study order; at most
// maxRunSections of them.
std::vector<std::size_t> runsWithSections(const StudyResults& study);

// The whole report: the summary of the study (per session number), its study charts,
// the problems found, the table of every run (those left out by the user last, with
// leftOutReason), and a section (id "run-N", N the run's id) with its figures
// and charts for each of runsWithSections, after a note on the runs left without one.
std::string htmlReport(const StudyResults& study, const StudySummary& summary, const ReportCharts& charts);

// A number with decimals as the report and the window show it: a point before the
// decimals whatever the locale, a tie rounded to even, no sign on a zero.
std::string fixedNumber(double value, int decimals);

// Text for HTML: &, <, >, " and ' as character references, valid in content and in
// quoted attribute values alike.
std::string escapeHtml(std::string_view text);

// An SVG document made fit to stand inside HTML: the XML declaration, any doctype and
// comment before the root element and the root's namespace declarations (which the
// HTML parser supplies) are dropped. What is not an SVG document gives "".
std::string inlineSvg(std::string_view svg);
