#pragma once
// The charts of truv-results, drawn with Qt Charts: shown live in the window
// (QChartView) and written as SVG into the report (QSvgGenerator), the same charts
// both ways.
//
// The colours are fixed, from Okabe and Ito's set, which readers with any common
// colour vision deficiency tell apart:
//   block roles  pair 1 practice #E69F00 (orange), pair 2 practice #56B4E9 (sky blue),
//                combined practice #009E73 (bluish green), combined recorded #CC79A7
//                (reddish purple), a block of unknown role #999999 (grey)
//   halves       half 1 #0072B2 (blue), half 2 #D55E00 (vermilion)
//   scores       a session's score #0072B2, an excluded session's #999999, the mean
//                #000000 (black), its 95 % interval #000000 at a fifth of full opacity

#include <QChart>
#include <QColor>
#include <QSize>

#include <memory>
#include <string>

#include "results/html_report.h"
#include "results/results_scores.h"
#include "results/study_results.h"

namespace chartColours {
inline constexpr QRgb pairOnePractice = 0xE69F00;
inline constexpr QRgb pairTwoPractice = 0x56B4E9;
inline constexpr QRgb combinedPractice = 0x009E73;
inline constexpr QRgb combinedRecorded = 0xCC79A7;
inline constexpr QRgb unknownRole = 0x999999;
inline constexpr QRgb halfOne = 0x0072B2;
inline constexpr QRgb halfTwo = 0xD55E00;
inline constexpr QRgb score = 0x0072B2;
inline constexpr QRgb excludedScore = 0x999999;
inline constexpr QRgb mean = 0x000000;
}  // namespace chartColours

QColor roleColour(BlockRole role);
QColor halfColour(int half);  // 1 or 2

// The size the report's charts are drawn at, in pixels.
inline constexpr QSize reportChartSize{720, 360};

// Both session charts scale their latency axis by latencyScale (chart_scale.h) of the
// latencies they show: from 0 to the 99th percentile of those up to the difference
// score's longest (10,000 ms), rounded up to a multiple of 500 ms and at least 1000 ms.

// A session's latencies trial by trial across its blocks: x the trial slot in block
// order (an unrun slot keeps its place but has no point), y the latency in ms, one
// series and colour per block role; thin grey lines between the blocks. A trial beyond
// the axis is an outlined triangle in its role's colour at the axis' top, and the
// legend says how many there are ("2 beyond the axis", by a black triangle).
std::unique_ptr<QChart> latencyByTrialChart(const SessionRecord& session);

// The latencies of a session's combined blocks, practice and recorded, as a histogram
// per half on one axis for both: 50 ms bins from 0 to the axis' top (100 ms where that
// would make more than 100 bins). Each half's n in the legend is the trials drawn, and
// those beyond the axis are counted after it ("Half 1 (n = 29; 1 beyond 3500 ms not
// drawn)").
std::unique_ptr<QChart> latencyDistributionChart(const SessionRecord& session);

// The charts of the study as a whole draw at most about this many points a series, so
// that they take the same time and size for any number of runs; where there are more,
// they say in their title how they were thinned.
inline constexpr int maxStudyChartPoints = 1000;

// The participants' scores (participants.h: those of each one's counted run), a row
// per session number (a strip plot; excluded sessions in grey), each row with the
// summary's mean of its session as a line and its 95 % interval as a band. Of more
// than maxStudyChartPoints scores, 1 in n of each kind is drawn (n in the title); the
// means, the intervals and the axis are those of every score.
std::unique_ptr<QChart> scoresChart(const StudyResults& study, const StudySummary& summary);

// The error rate of each half of every session with half figures, by run. Of more
// than maxStudyChartPoints runs, each point is the mean error rate of the sessions of n
// runs following each other (n in the title), at their mean run id.
std::unique_ptr<QChart> errorRatesChart(const StudyResults& study);

// The chart drawn at size as an SVG document (UTF-8).
std::string chartSvg(QChart& chart, QSize size = reportChartSize);

// Every chart of the report, drawn as SVG.
ReportCharts reportCharts(const StudyResults& study, const StudySummary& summary);

// The report (html_report.h) with its charts.
std::string reportHtml(const StudyResults& study, const StudySummary& summary);
