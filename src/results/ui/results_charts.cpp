#include "results/ui/results_charts.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsScene>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>

#include "results/participants.h"

#include "results/chart_scale.h"

namespace {

constexpr QRgb separatorGrey = 0xC8C8C8;
// The triangles of the trials beyond a latency axis sit this share of it below its
// top, where the plot area's edge does not cut them in half (a chart of 300 px or
// more, as in the window and the report).
constexpr double beyondInset = 0.03;

const char* roleLabel(BlockRole role)
{
    switch (role) {
    case BlockRole::PairOnePractice:
        return "Pair 1 practice";
    case BlockRole::PairTwoPractice:
        return "Pair 2 practice";
    case BlockRole::CombinedPractice:
        return "Combined practice";
    case BlockRole::CombinedRecorded:
        return "Combined recorded";
    case BlockRole::Unknown:
        break;
    }
    return "Unknown role";
}

std::unique_ptr<QChart> newChart(const QString& title)
{
    auto chart = std::make_unique<QChart>();
    chart->setTitle(title);
    QFont titleFont = chart->titleFont();
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setBackgroundRoundness(0);
    // A plain brush, not the theme's gradient: the SVG of a gradient is a definition
    // with an id, and the report holds many charts whose ids would clash.
    chart->setBackgroundBrush(Qt::white);
    chart->setMargins(QMargins(6, 6, 6, 6));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);
    return chart;
}

QScatterSeries* pointSeries(const QString& name, QColor colour, qreal size = 7)
{
    auto* series = new QScatterSeries;
    series->setName(name);
    series->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    series->setMarkerSize(size);
    series->setColor(colour);
    series->setBorderColor(colour);
    return series;
}

// Outlined triangles in the colour: the trials beyond a latency axis, at its top.
QScatterSeries* beyondSeries(const QString& name, QColor colour)
{
    auto* series = new QScatterSeries;
    series->setName(name);
    series->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
    series->setMarkerSize(9);
    series->setBrush(Qt::white);
    series->setPen(QPen(colour, 1.5));
    return series;
}

QValueAxis* valueAxis(const QString& title, qreal low, qreal high, const QString& format)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setRange(low, high);
    axis->setLabelFormat(format);
    return axis;
}

// Adds the series to the chart on both axes.
void attach(QChart& chart, QAbstractSeries* series, QValueAxis* x, QValueAxis* y)
{
    chart.addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

void hideFromLegend(QChart& chart, QAbstractSeries* series)
{
    for (QLegendMarker* marker : chart.legend()->markers(series))
        marker->setVisible(false);
}

// Ticks at round values (1, 2 or 5 times a power of ten apart), about count of them
// from low, and the range's upper end raised to the next tick.
void roundTicks(QValueAxis* axis, double low, double high, int count)
{
    const double rough = std::max((high - low) / count, 1e-9);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * power;
        if (step >= rough)
            break;
    }
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(low);
    axis->setTickInterval(step);
    axis->setMinorTickCount(0);
    axis->setRange(low, low + std::ceil((high - low) / step - 1e-9) * step);
}

// A latency axis from 0 to the scale's top, with round ticks that do not raise it: the
// trials beyond it are drawn at that top.
QValueAxis* latencyAxis(const LatencyScale& scale, int ticks)
{
    auto* axis = valueAxis(QStringLiteral("Latency (ms)"), 0, scale.top, QStringLiteral("%d"));
    roundTicks(axis, 0, scale.top, ticks);
    axis->setRange(0, scale.top);
    return axis;
}

// An axis range's upper end: the value rounded up to a multiple of step, at least minimum.
double roundedUp(double value, double step, double minimum)
{
    return std::max(minimum, std::ceil(value / step) * step);
}

}  // namespace

QColor roleColour(BlockRole role)
{
    switch (role) {
    case BlockRole::PairOnePractice:
        return QColor(chartColours::pairOnePractice);
    case BlockRole::PairTwoPractice:
        return QColor(chartColours::pairTwoPractice);
    case BlockRole::CombinedPractice:
        return QColor(chartColours::combinedPractice);
    case BlockRole::CombinedRecorded:
        return QColor(chartColours::combinedRecorded);
    case BlockRole::Unknown:
        break;
    }
    return QColor(chartColours::unknownRole);
}

QColor halfColour(int half) { return QColor(half == 2 ? chartColours::halfTwo : chartColours::halfOne); }

std::unique_ptr<QChart> latencyByTrialChart(const SessionRecord& session)
{
    auto chart = newChart(QStringLiteral("Session %1: latency by trial").arg(session.settings.session));
    constexpr std::array roles{BlockRole::PairOnePractice, BlockRole::PairTwoPractice, BlockRole::CombinedPractice,
                               BlockRole::CombinedRecorded, BlockRole::Unknown};
    std::vector<int> latencies;
    for (const BlockRecord& block : session.blocks)
        for (const TrialRecord& trial : block.trials)
            if (!trial.unrun)
                latencies.push_back(trial.latency);
    const LatencyScale scale = latencyScale(std::move(latencies));
    // Per role the trials within the axis, and those beyond it as outlined triangles at
    // its top.
    std::map<BlockRole, QScatterSeries*> series;
    std::map<BlockRole, QScatterSeries*> beyond;
    std::vector<double> separators;
    int slot = 0;
    int beyondCount = 0;
    for (const BlockRecord& block : session.blocks) {
        if (slot > 0)
            separators.push_back(slot + 0.5);
        QScatterSeries*& points = series[block.role];
        if (points == nullptr)
            points = pointSeries(roleLabel(block.role), roleColour(block.role), 6);
        for (const TrialRecord& trial : block.trials) {
            ++slot;
            if (trial.unrun)
                continue;
            if (!scale.beyond(trial.latency)) {
                points->append(slot, trial.latency);
                continue;
            }
            QScatterSeries*& marks = beyond[block.role];
            if (marks == nullptr)
                marks = beyondSeries(QString(), roleColour(block.role));
            marks->append(slot, scale.top * (1 - beyondInset));
            ++beyondCount;
        }
    }
    auto* x = valueAxis(QStringLiteral("Trial, in block order"), 0, std::max(slot, 1) + 1, QStringLiteral("%d"));
    roundTicks(x, 0, std::max(slot, 1) + 1, 8);
    auto* y = latencyAxis(scale, 5);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (double at : separators) {
        auto* line = new QLineSeries;
        line->setPen(QPen(QColor(separatorGrey), 1));
        line->append(at, 0);
        line->append(at, y->max());
        attach(*chart, line, x, y);
        hideFromLegend(*chart, line);
    }
    // In role order, so that the legend reads the same for every session.
    for (BlockRole role : roles) {
        if (const auto found = series.find(role); found != series.end())
            attach(*chart, found->second, x, y);
    }
    for (BlockRole role : roles) {
        if (const auto found = beyond.find(role); found != beyond.end()) {
            attach(*chart, found->second, x, y);
            hideFromLegend(*chart, found->second);
        }
    }
    if (beyondCount > 0) {
        // The legend's one entry for the triangles of every role: a series of no points.
        auto* key = beyondSeries(QStringLiteral("%1 beyond the axis").arg(beyondCount), QColor(chartColours::mean));
        attach(*chart, key, x, y);
    }
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    return chart;
}

std::unique_ptr<QChart> latencyDistributionChart(const SessionRecord& session)
{
    auto chart =
        newChart(QStringLiteral("Session %1: latencies of the combined blocks by half").arg(session.settings.session));
    std::array<std::vector<int>, 2> halves;
    for (const BlockRecord& block : session.blocks) {
        if (block.half < 1 || block.half > 2 ||
            (block.role != BlockRole::CombinedPractice && block.role != BlockRole::CombinedRecorded))
            continue;
        for (const TrialRecord& trial : block.trials)
            if (!trial.unrun)
                halves[static_cast<std::size_t>(block.half - 1)].push_back(trial.latency);
    }
    // One scale for both halves, so that their bins line up.
    std::vector<int> both = halves[0];
    both.insert(both.end(), halves[1].begin(), halves[1].end());
    const LatencyScale scale = latencyScale(std::move(both));
    const int bins = scale.bins();
    std::array<std::vector<int>, 2> counts{std::vector<int>(bins), std::vector<int>(bins)};
    std::array<int, 2> shown{};
    std::array<int, 2> beyond{};
    int highest = 0;
    for (std::size_t h = 0; h < 2; ++h) {
        for (int latency : halves[h]) {
            if (const std::optional<int> bin = scale.bin(latency)) {
                highest = std::max(highest, ++counts[h][static_cast<std::size_t>(*bin)]);
                ++shown[h];
            } else {
                ++beyond[h];
            }
        }
    }
    auto* x = latencyAxis(scale, 7);
    auto* y = valueAxis(QStringLiteral("Trials"), 0, roundedUp(highest, 5, 5), QStringLiteral("%d"));
    roundTicks(y, 0, std::max(highest, 5), 5);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (std::size_t h = 0; h < 2; ++h) {
        // The outline of the bars as one step line, filled down to the axis.
        auto* outline = new QLineSeries;
        outline->append(0, 0);
        for (int b = 0; b < bins; ++b) {
            const int count = counts[h][static_cast<std::size_t>(b)];
            outline->append(b * scale.binWidth, count);
            outline->append((b + 1) * scale.binWidth, count);
        }
        outline->append(scale.top, 0);
        auto* area = new QAreaSeries(outline);
        outline->setParent(area);  // an area series does not own its lines
        const int half = static_cast<int>(h) + 1;
        // n is the trials drawn; those beyond the axis are counted apart.
        QString name = QStringLiteral("Half %1 (n = %2").arg(half).arg(shown[h]);
        if (beyond[h] > 0)
            name += QStringLiteral("; %1 beyond %2 ms not drawn").arg(beyond[h]).arg(scale.top);
        area->setName(name + ')');
        QColor fill = halfColour(half);
        fill.setAlpha(70);
        area->setBrush(fill);
        area->setPen(QPen(halfColour(half), 2));
        attach(*chart, area, x, y);
    }
    return chart;
}

std::unique_ptr<QChart> scoresChart(const StudyResults& study, const StudySummary& summary)
{
    auto* included = pointSeries(QStringLiteral("Session score"), QColor(chartColours::score), 9);
    auto* excluded = pointSeries(QStringLiteral("Excluded session"), QColor(chartColours::excludedScore), 9);
    const std::vector<Participant> participants = participantsOf(study);
    // A row per session number, the first at the top: those of the summary and any
    // other a participant has a score in.
    std::set<int> numbers;
    for (const SessionSummary& session : summary.sessions)
        numbers.insert(session.session);
    int scored = 0;
    for (const Participant& p : participants) {
        for (const SessionRecord& session : study.runs[p.counted].sessions) {
            if (session.difference.score) {
                ++scored;
                numbers.insert(session.settings.session);
            }
        }
    }
    std::map<int, int> rowOf;
    int row = static_cast<int>(numbers.size());
    for (const int number : numbers)
        rowOf[number] = --row;
    const int rows = std::max(1, static_cast<int>(numbers.size()));
    // Of many scores, every step-th of each kind (kept and excluded) is drawn; the
    // axis still spans every score.
    const int step = std::max(1, (scored + maxStudyChartPoints - 1) / maxStudyChartPoints);
    std::array<int, 2> ofKind{};
    double low = -1, high = 1;
    int index = 0;
    for (const Participant& p : participants) {
        for (const SessionRecord& session : study.runs[p.counted].sessions) {
            const auto& score = session.difference.score;
            if (!score)
                continue;
            low = std::min(low, *score);
            high = std::max(high, *score);
            const bool out = session.difference.excluded;
            if (ofKind[out]++ % step != 0)
                continue;
            // The points spread up and down their row by the golden ratio's steps, so
            // that equal scores stay apart and every chart of the same study looks the
            // same.
            const double spread = 0.15 + 0.7 * std::fmod(index++ * 0.6180339887, 1.0);
            (out ? excluded : included)->append(*score, rowOf.at(session.settings.session) + spread);
        }
    }
    auto chart =
        newChart(step > 1
                     ? QStringLiteral("Difference scores by session (%1 scores, 1 in %2 drawn)").arg(scored).arg(step)
                     : QStringLiteral("Difference scores by session (%1 scores)").arg(scored));
    for (const SessionSummary& session : summary.sessions) {
        for (const auto& end : {session.confidenceLow, session.confidenceHigh}) {
            if (end) {
                low = std::min(low, *end);
                high = std::max(high, *end);
            }
        }
    }
    low = -roundedUp(-low, 0.5, 0);
    high = roundedUp(high, 0.5, 0);
    auto* x = valueAxis(QStringLiteral("Score (positive: slower after the switch)"), low, high, QStringLiteral("%.1f"));
    roundTicks(x, low, high, 6);
    auto* y = new QCategoryAxis;
    y->setStartValue(0);
    y->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    for (auto number = numbers.rbegin(); number != numbers.rend(); ++number)
        y->append(QStringLiteral("Session %1").arg(*number), rowOf.at(*number) + 1);
    y->setRange(0, rows);
    y->setVisible(!numbers.empty());
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    auto* zero = new QLineSeries;
    zero->setPen(QPen(QColor(separatorGrey), 1, Qt::DashLine));
    zero->append(0, 0);
    zero->append(0, rows);
    attach(*chart, zero, x, y);
    hideFromLegend(*chart, zero);
    std::vector<QAreaSeries*> bands;
    std::vector<QLineSeries*> means;
    for (const SessionSummary& session : summary.sessions) {
        const double bottom = rowOf.at(session.session) + 0.05, top = bottom + 0.9;
        if (session.confidenceLow && session.confidenceHigh) {
            auto* upper = new QLineSeries;
            upper->append(*session.confidenceLow, top);
            upper->append(*session.confidenceHigh, top);
            auto* lower = new QLineSeries;
            lower->append(*session.confidenceLow, bottom);
            lower->append(*session.confidenceHigh, bottom);
            auto* band = new QAreaSeries(upper, lower);
            upper->setParent(band);  // an area series does not own its lines
            lower->setParent(band);
            band->setName(QStringLiteral("Session %1: 95 % interval of the mean").arg(session.session));
            QColor fill(chartColours::mean);
            fill.setAlphaF(0.2);
            band->setBrush(fill);
            band->setPen(Qt::NoPen);
            attach(*chart, band, x, y);
            bands.push_back(band);
        }
        if (session.meanScore) {
            auto* mean = new QLineSeries;
            mean->setName(QStringLiteral("Session %1: mean %2")
                              .arg(session.session)
                              .arg(QString::fromStdString(fixedNumber(*session.meanScore, 2))));
            mean->setPen(QPen(QColor(chartColours::mean), 2));
            mean->append(*session.meanScore, bottom);
            mean->append(*session.meanScore, top);
            attach(*chart, mean, x, y);
            means.push_back(mean);
        }
    }
    attach(*chart, included, x, y);
    if (excluded->count() > 0)
        attach(*chart, excluded, x, y);
    else
        delete excluded;
    // The bands look alike, and so do the means: the legend names one of each for all,
    // short enough for the legend to show whole (each session's figures are in the
    // summary beside the chart).
    const auto nameOnce = [&](const auto& series, const QString& label) {
        for (std::size_t i = 0; i < series.size(); ++i) {
            if (i > 0) {
                hideFromLegend(*chart, series[i]);
                continue;
            }
            for (QLegendMarker* marker : chart->legend()->markers(series[i]))
                marker->setLabel(label);
        }
    };
    nameOnce(bands, QStringLiteral("95 % interval"));
    nameOnce(means, QStringLiteral("Session mean"));
    return chart;
}

std::unique_ptr<QChart> errorRatesChart(const StudyResults& study)
{
    // Of many runs, each point is the mean of a group of step runs following each other.
    const int runs = static_cast<int>(study.runs.size());
    const int step = std::max(1, (runs + maxStudyChartPoints - 1) / maxStudyChartPoints);
    auto chart = newChart(step > 1 ? QStringLiteral("Error rates by half (each point the mean of %1 runs)").arg(step)
                                   : QStringLiteral("Error rates by half"));
    std::array<QScatterSeries*, 2> halves{pointSeries(QStringLiteral("Half 1"), halfColour(1)),
                                          pointSeries(QStringLiteral("Half 2"), halfColour(2))};
    int lastRun = 1;
    double highest = 0;
    for (int first = 0; first < runs; first += step) {
        const int end = std::min(runs, first + step);
        double ids = 0;
        std::array<double, 2> sums{};
        std::array<int, 2> counts{};
        for (int r = first; r < end; ++r) {
            const RunRecord& run = study.runs[static_cast<std::size_t>(r)];
            lastRun = std::max(lastRun, run.id);
            ids += run.id;
            for (const SessionRecord& session : run.sessions) {
                for (int h = 0; h < 2; ++h) {
                    if (const auto& figures = session.halves[h]) {
                        if (step == 1) {
                            // Half 1 a little left of the run, half 2 a little right.
                            halves[h]->append(run.id + (h == 0 ? -0.15 : 0.15), figures->errorRate);
                            highest = std::max<double>(highest, figures->errorRate);
                        }
                        sums[h] += figures->errorRate;
                        ++counts[h];
                    }
                }
            }
        }
        if (step == 1)
            continue;
        const double at = ids / (end - first);
        for (int h = 0; h < 2; ++h) {
            if (counts[h] == 0)
                continue;
            const double mean = sums[h] / counts[h];
            halves[h]->append(at + (h == 0 ? -0.15 : 0.15) * step, mean);
            highest = std::max(highest, mean);
        }
    }
    auto* x = valueAxis(QStringLiteral("Run"), 0.5, lastRun + 0.5, QStringLiteral("%d"));
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(1);
    x->setTickInterval(std::max(1.0, std::ceil(lastRun / 10.0)));
    x->setMinorTickCount(0);
    auto* y = valueAxis(QStringLiteral("Error rate (%)"), 0, roundedUp(highest, 10, 10), QStringLiteral("%d"));
    roundTicks(y, 0, roundedUp(highest, 10, 10), 5);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QScatterSeries* series : halves)
        attach(*chart, series, x, y);
    return chart;
}

std::string chartSvg(QChart& chart, QSize size)
{
    // The chart is lent to a scene of its own for the drawing and given back after.
    QGraphicsScene scene;
    QGraphicsScene* formerScene = chart.scene();
    const QSizeF formerSize = chart.size();
    if (formerScene != nullptr)
        formerScene->removeItem(&chart);
    scene.addItem(&chart);
    chart.resize(size);
    scene.setSceneRect(QRectF(QPointF(0, 0), size));

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(96);
    generator.setTitle(chart.title());
    {
        QPainter painter(&generator);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, QRectF(QPointF(0, 0), size), scene.sceneRect());
    }
    scene.removeItem(&chart);
    if (formerScene != nullptr) {
        formerScene->addItem(&chart);
        chart.resize(formerSize);
    }

    QString svg = QString::fromUtf8(buffer.data());
    // The generator leaves an empty group for every state change that drew nothing:
    // most of its output, and nothing to see.
    static const QRegularExpression emptyGroup(QStringLiteral("<g [^>]*>\\s*</g>\\s*"));
    svg.remove(emptyGroup);
    // Every group repeats the painter's font, which only text uses, and every text
    // element names its own; and the identity transform does nothing. Dropping both
    // makes a report with many runs a third smaller.
    static const QRegularExpression groupFont(QStringLiteral(
        "(<g [^>]*?)\\s*font-family=\"[^\"]*\" font-size=\"[^\"]*\" font-weight=\"[^\"]*\" font-style=\"[^\"]*\"\\s*"));
    svg.replace(groupFont, QStringLiteral("\\1 "));
    svg.remove(QStringLiteral(" transform=\"matrix(1,0,0,1,0,0)\""));
    // "Sans Serif" is fontconfig's name, not CSS's: a browser gets the fonts Qt most
    // likely used, and its own sans-serif font after them.
    svg.replace(QStringLiteral("font-family=\"Sans Serif\""),
                QStringLiteral("font-family=\"DejaVu Sans, Liberation Sans, Arial, sans-serif\""));
    return svg.toStdString();
}

ReportCharts reportCharts(const StudyResults& study, const StudySummary& summary)
{
    ReportCharts charts;
    charts.scores = chartSvg(*scoresChart(study, summary));
    charts.errorRates = chartSvg(*errorRatesChart(study));
    // Only the runs with a section of their own are drawn: the others would be thrown away.
    charts.runs.resize(study.runs.size());
    for (const std::size_t r : runsWithSections(study)) {
        for (const SessionRecord& session : study.runs[r].sessions)
            charts.runs[r].push_back({chartSvg(*latencyByTrialChart(session)),
                                      chartSvg(*latencyDistributionChart(session))});
    }
    return charts;
}

std::string reportHtml(const StudyResults& study, const StudySummary& summary)
{
    return htmlReport(study, summary, reportCharts(study, summary));
}
