// truv-results' charts and window on the offscreen platform, with studies made here.
#include <QAction>
#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChartView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTabWidget>
#include <QLabel>
#include <QTableWidget>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "common/temp_directory.h"
#include "results/ui/results_charts.h"
#include "results/ui/results_window.h"

namespace {

// A block of count trials of one role and half, latencies base, base + 10, ...; the
// slots from unrunFrom on are unrun.
BlockRecord block(int number, BlockRole role, int half, int count, int base, int unrunFrom = 1000)
{
    BlockRecord b;
    b.number = number;
    b.role = role;
    b.half = half;
    for (int t = 1; t <= count; ++t) {
        TrialRecord trial;
        trial.trial = t;
        trial.latency = base + 10 * (t - 1);
        trial.unrun = t >= unrunFrom;
        if (trial.unrun) {
            trial.trial = 99;
            trial.latency = 0;
        }
        b.trials.push_back(trial);
    }
    return b;
}

// Half 1: pair 1 and pair 2 practice, combined practice and recorded; half 2: pair 2
// practice again, combined practice and recorded, the last one stopped after 6 trials;
// and a block whose role could not be worked out.
SessionRecord session(int number, std::optional<double> score, bool excluded)
{
    SessionRecord s;
    s.settings.session = number;
    s.blocks = {block(1, BlockRole::PairOnePractice, 1, 10, 500),
                block(2, BlockRole::PairTwoPractice, 1, 10, 500),
                block(3, BlockRole::CombinedPractice, 1, 10, 600),
                block(4, BlockRole::CombinedRecorded, 1, 20, 700),
                block(5, BlockRole::PairTwoPractice, 2, 10, 500),
                block(6, BlockRole::CombinedPractice, 2, 10, 2950),  // 5 of 10 from 3000 ms on
                block(7, BlockRole::CombinedRecorded, 2, 20, 800, 7),
                block(8, BlockRole::Unknown, 0, 4, 400)};
    s.halves[0] = HalfFigures{
        .meanLatency = 700, .errorRate = 5, .n = 18, .leftCombination = "A+C", .rightCombination = "B+D"};
    s.halves[1] = HalfFigures{
        .meanLatency = 800, .errorRate = 10, .n = 4, .leftCombination = "A+D", .rightCombination = "B+C"};
    s.difference.score = score;
    s.difference.excluded = excluded;
    if (excluded)
        s.difference.exclusionReasons = {"too many fast responses"};
    return s;
}

// Run 1 two sessions, run 2 none (stopped early), run 3 one session, excluded.
StudyResults study(const std::string& dataFile = "/lab/study.dat")
{
    StudyResults st;
    st.dataFiles = {dataFile};
    st.problems = {"study.dat:5: the line has 3 fields, 22 are expected"};
    for (int id = 1; id <= 3; ++id) {
        RunRecord run;
        run.id = id;
        run.dataFile = dataFile;
        run.subject = id;
        run.complete = id != 2;
        if (run.complete)
            run.log = SubjectLogRecord{};
        if (id == 1)
            run.sessions = {session(1, 0.4, false), session(2, 0.2, false)};
        if (id == 3)
            run.sessions = {session(1, 1.5, true)};
        st.runs.push_back(run);
    }
    return st;
}

StudySummary summary()
{
    StudySummary s;
    s.runs = 3;
    s.sessions.resize(2);
    s.sessions[0].session = 1;
    s.sessions[0].meanScore = 0.3;
    s.sessions[0].confidenceLow = -0.97;
    s.sessions[0].confidenceHigh = 1.57;
    s.sessions[1].session = 2;
    s.sessions[1].meanScore = 0.2;
    return s;
}

template <typename Series>
std::map<QString, Series*> seriesByName(QChart& chart)
{
    std::map<QString, Series*> found;
    for (QAbstractSeries* s : chart.series()) {
        if (auto* typed = qobject_cast<Series*>(s))
            found[typed->name()] = typed;
    }
    return found;
}

bool inLegend(QChart& chart, QAbstractSeries* series)
{
    const auto markers = chart.legend()->markers(series);
    return !markers.isEmpty() && markers.front()->isVisible();
}

}  // namespace

TEST(ResultsCharts, LatencyByTrialPlotsEveryRunTrialInItsRolesColourAtItsSlot)
{
    const auto chart = latencyByTrialChart(session(1, 0.4, false));
    chartSvg(*chart);  // lays the legend out
    const auto points = seriesByName<QScatterSeries>(*chart);
    const std::pair<const char*, BlockRole> roles[] = {{"Pair 1 practice", BlockRole::PairOnePractice},
                                                       {"Pair 2 practice", BlockRole::PairTwoPractice},
                                                       {"Combined practice", BlockRole::CombinedPractice},
                                                       {"Combined recorded", BlockRole::CombinedRecorded},
                                                       {"Unknown role", BlockRole::Unknown}};
    const std::map<QString, int> expected{{"Pair 1 practice", 10},
                                          {"Pair 2 practice", 20},
                                          {"Combined practice", 20},
                                          {"Combined recorded", 26},  // 6 unrun slots left out
                                          {"Unknown role", 4}};
    ASSERT_EQ(points.size(), expected.size());
    for (const auto& [name, role] : roles) {
        QScatterSeries* series = points.at(name);
        EXPECT_EQ(series->count(), expected.at(name)) << name;
        EXPECT_EQ(series->color(), roleColour(role)) << name;
        EXPECT_TRUE(inLegend(*chart, series)) << name;
    }
    // Block 7 takes slots 71 to 90, from 77 on unrun; block 8 starts at 91.
    const QList<QPointF> recorded = points.at("Combined recorded")->points();
    EXPECT_EQ(recorded.back(), QPointF(76, 850));
    EXPECT_EQ(points.at("Unknown role")->points().front(), QPointF(91, 400));
    // Seven grey lines between eight blocks, none of them in the legend.
    int separators = 0;
    for (QAbstractSeries* s : chart->series()) {
        if (s->type() == QAbstractSeries::SeriesTypeLine) {
            ++separators;
            EXPECT_FALSE(inLegend(*chart, s));
        }
    }
    EXPECT_EQ(separators, 7);
    EXPECT_EQ(QSet<QRgb>({roleColour(BlockRole::PairOnePractice).rgb(), roleColour(BlockRole::PairTwoPractice).rgb(),
                          roleColour(BlockRole::CombinedPractice).rgb(), roleColour(BlockRole::CombinedRecorded).rgb(),
                          roleColour(BlockRole::Unknown).rgb(), halfColour(1).rgb(), halfColour(2).rgb()})
                  .size(),
              7);
}

TEST(ResultsCharts, DistributionCountsTheCombinedBlocksOfEachHalf)
{
    const auto chart = latencyDistributionChart(session(1, 0.4, false));
    const auto areas = seriesByName<QAreaSeries>(*chart);
    ASSERT_EQ(areas.size(), 2u);
    // Half 1: blocks 3 and 4, 30 trials; half 2: blocks 6 and 7, 10 + 6 run trials, up
    // to 3040 ms: an axis to 3500 ms.
    const QString one = "Half 1 (n = 30)", two = "Half 2 (n = 16)";
    ASSERT_TRUE(areas.count(one) && areas.count(two)) << areas.begin()->first.toStdString();
    for (const auto& [name, half] : {std::pair(one, 1), std::pair(two, 2)}) {
        QAreaSeries* area = areas.at(name);
        EXPECT_EQ(area->pen().color(), halfColour(half));
        // Each bin is a step of two points; their heights add up to the trials drawn.
        const QList<QPointF> outline = area->upperSeries()->points();
        ASSERT_EQ(outline.size(), 2 + 2 * 70);
        double drawn = 0;
        for (int i = 1; i < outline.size() - 1; i += 2)
            drawn += outline[i].y();
        EXPECT_EQ(drawn, half == 1 ? 30 : 16) << name.toStdString();
    }
}

// A first trial of 45,340 ms and a combined practice trial of 12,000 ms, both dropped
// by the score: the latency axes stay at the other trials' scale, and the two are
// drawn at the top and counted.
TEST(ResultsCharts, SessionChartsKeepTheirScaleWithAnOutlier)
{
    SessionRecord s = session(1, 0.4, false);
    s.blocks[0].trials[0].latency = 45'340;
    s.blocks[2].trials[0].latency = 12'000;
    const auto byTrial = latencyByTrialChart(s);
    auto* y = qobject_cast<QValueAxis*>(byTrial->axes(Qt::Vertical).front());
    EXPECT_EQ(y->max(), 3500);  // the longest other trial is 3040 ms
    std::vector<double> atTop;  // the slots of the points at the axis' top (just under it) or past it
    for (QAbstractSeries* series : byTrial->series()) {
        if (auto* scatter = qobject_cast<QScatterSeries*>(series))
            for (const QPointF& p : scatter->points())
                if (p.y() > 0.95 * y->max()) {
                    atTop.push_back(p.x());
                    EXPECT_EQ(scatter->markerShape(), QScatterSeries::MarkerShapeTriangle);
                }
    }
    EXPECT_EQ(atTop, (std::vector<double>{1, 21}));
    const auto points = seriesByName<QScatterSeries>(*byTrial);
    ASSERT_TRUE(points.count("2 beyond the axis"));
    EXPECT_EQ(points.at("Pair 1 practice")->count(), 9);

    const auto histogram = latencyDistributionChart(s);
    EXPECT_EQ(qobject_cast<QValueAxis*>(histogram->axes(Qt::Horizontal).front())->max(), 3500);
    const auto areas = seriesByName<QAreaSeries>(*histogram);
    EXPECT_TRUE(areas.count("Half 1 (n = 29; 1 beyond 3500 ms not drawn)")) << areas.begin()->first.toStdString();
    EXPECT_TRUE(areas.count("Half 2 (n = 16)"));
}

// A row per session number, session 1 on top, each with its own points, mean and
// interval.
TEST(ResultsCharts, ScoresSetExcludedSessionsApartAndDrawEachSessionsMeanAndItsInterval)
{
    const auto chart = scoresChart(study(), summary());
    chartSvg(*chart);  // lays the legend out
    const auto points = seriesByName<QScatterSeries>(*chart);
    ASSERT_EQ(points.size(), 2u);
    const auto rowOf = [](const QPointF& point) { return static_cast<int>(std::floor(point.y())); };
    const QList<QPointF> kept = points.at("Session score")->points();
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept[0].x(), 0.4);  // run 1, session 1
    EXPECT_EQ(rowOf(kept[0]), 1);
    EXPECT_EQ(kept[1].x(), 0.2);  // session 2
    EXPECT_EQ(rowOf(kept[1]), 0);
    const QList<QPointF> excluded = points.at("Excluded session")->points();
    ASSERT_EQ(excluded.size(), 1);
    EXPECT_EQ(excluded.front().x(), 1.5);
    EXPECT_EQ(rowOf(excluded.front()), 1);
    auto* rows = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Vertical).front());
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->categoriesLabels(), QStringList({"Session 2", "Session 1"}));
    const auto means = seriesByName<QLineSeries>(*chart);
    for (const auto& [name, x, row] :
         {std::tuple("Session 1: mean 0.30", 0.3, 1), std::tuple("Session 2: mean 0.20", 0.2, 0)}) {
        ASSERT_TRUE(means.count(name)) << name;
        EXPECT_EQ(means.at(name)->points().front().x(), x);
        EXPECT_EQ(rowOf(means.at(name)->points().front()), row);
        EXPECT_EQ(rowOf(means.at(name)->points().back()), row);
    }
    const auto bands = seriesByName<QAreaSeries>(*chart);
    ASSERT_EQ(bands.size(), 1u);  // session 2 has no interval
    QAreaSeries* interval = bands.at("Session 1: 95 % interval of the mean");
    const auto band = interval->upperSeries()->points();
    EXPECT_EQ(band.front().x(), -0.97);
    EXPECT_EQ(band.back().x(), 1.57);
    EXPECT_EQ(chart->legend()->markers(interval).front()->label(), "95 % interval");
    // The axis holds every point and the interval.
    auto* axis = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).front());
    EXPECT_LE(axis->min(), -1);
    EXPECT_GE(axis->max(), 1.57);

    const auto rates = errorRatesChart(study());
    const auto halves = seriesByName<QScatterSeries>(*rates);
    EXPECT_EQ(halves.at("Half 1")->count(), 3);  // every session with half figures
    EXPECT_EQ(halves.at("Half 2")->points().back(), QPointF(3.15, 10));
}

// The study's charts draw at most about maxStudyChartPoints points a series, however
// many runs there are, and say in their titles how they were thinned.
TEST(ResultsCharts, StudyChartsThinOutManyRunsAndSaySo)
{
    struct Case {
        int runs;
        int scores, excludedScores, ratesPerHalf;  // points drawn
        QString scoresTitle, ratesTitle;
    };
    const Case cases[] = {
        {1000, 990, 10, 1000, "Difference scores by session (1000 scores)", "Error rates by half"},
        {5000, 990, 10, 1000, "Difference scores by session (5000 scores, 1 in 5 drawn)",
         "Error rates by half (each point the mean of 5 runs)"},
    };
    for (const Case& c : cases) {
        StudyResults st;
        for (int id = 1; id <= c.runs; ++id) {
            RunRecord run;
            run.id = id;
            run.subject = id;  // a participant each
            run.sessions.resize(1);
            SessionRecord& s = run.sessions[0];
            s.difference.score = 0.25;
            s.difference.excluded = id % 100 == 0;
            s.halves[0].emplace().errorRate = id % 2 ? 10 : 20;
            s.halves[1].emplace().errorRate = 5;
            st.runs.push_back(run);
        }
        const auto scores = scoresChart(st, summary());
        const auto points = seriesByName<QScatterSeries>(*scores);
        EXPECT_EQ(points.at("Session score")->count(), c.scores) << c.runs;
        EXPECT_EQ(points.at("Excluded session")->count(), c.excludedScores) << c.runs;
        EXPECT_EQ(scores->title(), c.scoresTitle);
        EXPECT_TRUE(seriesByName<QLineSeries>(*scores).count("Session 1: mean 0.30")) << c.runs;

        const auto rates = errorRatesChart(st);
        const auto halves = seriesByName<QScatterSeries>(*rates);
        EXPECT_EQ(halves.at("Half 1")->count(), c.ratesPerHalf) << c.runs;
        EXPECT_EQ(halves.at("Half 2")->count(), c.ratesPerHalf) << c.runs;
        EXPECT_EQ(rates->title(), c.ratesTitle);
        if (c.runs > 1000) {
            EXPECT_EQ(halves.at("Half 1")->points().front(), QPointF(3 - 0.75, 14));  // runs 1 to 5: 10, 20, 10, 20, 10
        }
    }
}

TEST(ResultsCharts, SvgIsTheChartWithItsColoursAndTheChartStaysInItsView)
{
    QChartView view(latencyByTrialChart(session(1, 0.4, false)).release());
    view.resize(600, 300);
    view.show();
    QChart* chart = view.chart();
    const QSizeF size = chart->size();
    const std::string svg = chartSvg(*chart);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("viewBox=\"0 0 720 360\""), std::string::npos);
    for (const char* colour : {"#e69f00", "#56b4e9", "#009e73", "#cc79a7", "#999999"})
        EXPECT_NE(svg.find(colour), std::string::npos) << colour;
    EXPECT_NE(svg.find(">Session 1: latency by trial</text>"), std::string::npos);
    EXPECT_EQ(svg.find("font-family=\"Sans Serif\""), std::string::npos);
    EXPECT_EQ(svg.find(" id=\""), std::string::npos);  // would clash between the report's charts
    EXPECT_EQ(chart->scene(), view.scene());
    EXPECT_EQ(chart->size(), size);

    const std::string html = reportHtml(study(), summary());
    for (const char* colour : {"#e69f00", "#56b4e9", "#009e73", "#cc79a7", "#0072b2", "#d55e00"})
        EXPECT_NE(html.find(colour), std::string::npos) << colour;
    EXPECT_EQ(html.find("http://"), std::string::npos);
}

TEST(ResultsWindow, ShowsTheRunsAndTheSelectedRunsCharts)
{
    ResultsWindow window;
    EXPECT_EQ(window.windowTitle(), "TRUV Results");
    EXPECT_EQ(window.shownRun(), -1);
    auto* table = window.findChild<QTableWidget*>();
    ASSERT_NE(table, nullptr);
    for (QAction* action : window.findChildren<QAction*>()) {
        const bool isExport = action->text().contains("CSV") || action->text().contains("HTML") ||
                              action->text().contains("Psych-DS");
        EXPECT_EQ(action->isEnabled(), !isExport) << action->text().toStdString();
    }

    int shown = 0;
    QObject::connect(&window, &ResultsWindow::studyShown, [&] { ++shown; });
    window.showStudy(study());
    EXPECT_EQ(shown, 1);
    // One row per session, one for the run without any.
    ASSERT_EQ(table->rowCount(), 4);
    EXPECT_EQ(table->item(2, 0)->text(), "2");
    EXPECT_EQ(table->item(2, 8)->text(), "no");  // not complete
    EXPECT_TRUE(table->item(2, 9)->text().startsWith("no subject log line: study.slg has none"));
    EXPECT_EQ(table->item(3, 6)->text(), "1.50");
    EXPECT_EQ(table->item(3, 7)->text(), "yes: too many fast responses");
    EXPECT_EQ(window.shownRun(), 0);  // the first row is selected

    auto* area = window.findChild<QScrollArea*>("runCharts");
    ASSERT_NE(area, nullptr);
    const auto chartsShown = [&] { return area->widget()->findChildren<QChartView*>().size(); };
    EXPECT_EQ(chartsShown(), 4);  // two sessions, two charts each
    table->selectRow(3);
    EXPECT_EQ(window.shownRun(), 2);
    EXPECT_EQ(chartsShown(), 2);
    table->selectRow(2);
    EXPECT_EQ(window.shownRun(), 1);
    EXPECT_EQ(chartsShown(), 0);
    const auto pageSays = [&](const QString& text) {
        for (QLabel* label : area->widget()->findChildren<QLabel*>())
            if (label->text().contains(text))
                return true;
        return false;
    };
    EXPECT_TRUE(pageSays("Flags: no subject log line (<code>no_log_line</code>)."));

    auto* tabs = window.findChild<QTabWidget*>();
    EXPECT_EQ(tabs->tabText(2), "Problems (3)");  // the file's, run 2's, run 3's exclusion
    for (QAction* action : window.findChildren<QAction*>())
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
}

TEST(ResultsWindow, ExportsWriteTheirFilesAndNeverOverwriteTheData)
{
    TempDirectory dir;
    dir.write("study.dat", "the data");
    ResultsWindow window;
    window.showStudy(study(dir.file("study.dat")));
    QString error;
    ASSERT_TRUE(window.exportTo(ResultsWindow::Export::Html, QString::fromStdString(dir.file("r.html")), error))
        << error.toStdString();
    EXPECT_EQ(dir.read("r.html").rfind("<!DOCTYPE html>", 0), 0u);
    ASSERT_TRUE(window.exportTo(ResultsWindow::Export::SummaryCsv, QString::fromStdString(dir.file("s.csv")), error));
    EXPECT_FALSE(dir.read("s.csv").empty());
    // The Psych-DS dataset goes to a folder of its own, not to one that holds other files.
    QStringList warnings;
    ASSERT_TRUE(window.exportTo(ResultsWindow::Export::PsychDs, QString::fromStdString(dir.file("ds")), error,
                                &warnings))
        << error.toStdString();
    EXPECT_TRUE(std::filesystem::exists(dir.file("ds/dataset_description.json")));
    EXPECT_EQ(warnings.size(), 1) << warnings.join('\n').toStdString();  // the runs name no input file
    EXPECT_FALSE(window.exportTo(ResultsWindow::Export::PsychDs, QString::fromStdString(dir.path()), error));
    EXPECT_TRUE(error.contains("choose another folder")) << error.toStdString();

    // The data file under another spelling of its path.
    EXPECT_FALSE(window.exportTo(ResultsWindow::Export::TrialsCsv, QString::fromStdString(dir.path() + "/./study.dat"),
                                 error));
    EXPECT_TRUE(error.contains("is a data file")) << error.toStdString();
    EXPECT_EQ(dir.read("study.dat"), "the data");

    EXPECT_FALSE(window.exportTo(ResultsWindow::Export::TrialsCsv, QString::fromStdString(dir.file("gone/t.csv")),
                                 error));
    EXPECT_TRUE(error.contains("gone/t.csv")) << error.toStdString();
}

TEST(ResultsWindow, ExportsNeverOverwriteAFileTheStudyIsReadFrom)
{
    TempDirectory dir;
    for (const char* name : {"study.dat", "study.slg", "fruit.wls"})
        dir.write(name, name);
    std::filesystem::create_hard_link(dir.file("study.slg"), dir.file("hard.csv"));
    std::filesystem::create_symlink("study.slg", dir.file("soft.csv"));
    StudyResults read = study(dir.file("study.dat"));
    read.listFiles = {dir.file("fruit.wls")};
    ResultsWindow window;
    window.showStudy(read);
    // Output, the file it is.
    const std::pair<const char*, const char*> cases[] = {
        {"study.slg", "study.slg"}, {"hard.csv", "study.slg"}, {"soft.csv", "study.slg"}, {"fruit.wls", "fruit.wls"}};
    for (const auto& [output, input] : cases) {
        SCOPED_TRACE(output);
        QString error;
        EXPECT_FALSE(window.exportTo(ResultsWindow::Export::SummaryCsv, QString::fromStdString(dir.file(output)),
                                     error));
        EXPECT_TRUE(error.contains(QString::fromStdString(dir.file(input)))) << error.toStdString();
        EXPECT_EQ(dir.read(output), input);
    }
}

TEST(ResultsWindow, ReadsOnAWorkerThreadAndThenShowsWhatItRead)
{
    TempDirectory dir;
    ResultsWindow window;
    window.showStudy(study());
    QSignalSpy shown(&window, &ResultsWindow::studyShown);
    const std::string missing = dir.file("missing.dat");
    window.openDataFiles({missing});
    // Until the event loop hears from the reader, the former study stays, and nothing
    // can be opened or exported.
    EXPECT_TRUE(window.isReading());
    EXPECT_EQ(window.study().runs.size(), 3u);
    for (QAction* action : window.findChildren<QAction*>()) {
        const QString text = action->text();
        if (text.contains("Open") || text.contains("CSV") || text.contains("HTML")) {
            EXPECT_FALSE(action->isEnabled()) << text.toStdString();
        }
    }
    ASSERT_TRUE(shown.wait(60'000));
    EXPECT_FALSE(window.isReading());
    EXPECT_EQ(window.study().dataFiles, std::vector<std::string>{missing});
    EXPECT_TRUE(window.study().runs.empty());
    ASSERT_FALSE(window.study().problems.empty());  // the file that is not there
    EXPECT_EQ(window.findChild<QTableWidget*>()->rowCount(), 0);
    EXPECT_EQ(window.shownRun(), -1);
}

// The subjects listed go out of the summary, the charts and every export without
// reading the files again; their runs are listed last in the table, with the reason.
TEST(ResultsWindow, LeavesTheSubjectsListedOutAndListsTheirRuns)
{
    TempDirectory dir;
    dir.write("study.dat", "the data");
    ResultsWindow window;
    window.showStudy(study(dir.file("study.dat")));
    auto* table = window.findChild<QTableWidget*>();
    auto* edit = window.findChild<QLineEdit*>("leaveOutSubjects");
    ASSERT_NE(edit, nullptr);
    QString error;
    EXPECT_FALSE(window.leaveOutSubjects("3-1", error));
    EXPECT_EQ(error, "Leave out subjects: the range 3-1 runs backwards.");
    EXPECT_EQ(window.study().runs.size(), 3u);

    ASSERT_TRUE(window.leaveOutSubjects(" 1, 3 ", error)) << error.toStdString();
    EXPECT_EQ(edit->text(), "1, 3");
    ASSERT_EQ(window.study().runs.size(), 1u);
    EXPECT_EQ(window.study().runs[0].subject, 2);
    ASSERT_EQ(table->rowCount(), 3);  // run 2, then runs 1 and 3 left out
    for (const auto& [row, run] : {std::pair(1, "1"), std::pair(2, "3")}) {
        EXPECT_EQ(table->item(row, 0)->text(), run);
        EXPECT_EQ(table->item(row, 7)->text(), "yes: left out by the user");
    }
    table->selectRow(2);
    EXPECT_EQ(window.shownRun(), -1);
    bool said = false;
    for (const QLabel* label : window.findChildren<QLabel*>())
        said = said || label->text().contains("2 runs left out by the user");
    EXPECT_TRUE(said);
    for (const auto kind : {ResultsWindow::Export::TrialsCsv, ResultsWindow::Export::SummaryCsv,
                            ResultsWindow::Export::ParticipantsCsv}) {
        const std::string path = dir.file("out.csv");
        ASSERT_TRUE(window.exportTo(kind, QString::fromStdString(path), error)) << error.toStdString();
        const std::string csv = dir.read("out.csv");
        EXPECT_EQ(csv, kind == ResultsWindow::Export::ParticipantsCsv ? participantsCsv(window.study())
                       : kind == ResultsWindow::Export::SummaryCsv    ? summaryCsv(window.study())
                                                                      : trialsCsv(window.study()));
        EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), kind == ResultsWindow::Export::ParticipantsCsv ? 2 : 1);
    }

    // A study shown after keeps the list; the field's Apply with nothing in it puts
    // every run back.
    window.showStudy(study(dir.file("study.dat")));
    EXPECT_EQ(window.study().runs.size(), 1u);
    edit->setText("");
    window.findChild<QPushButton*>("applyLeaveOut")->click();
    EXPECT_EQ(window.study().runs.size(), 3u);
    EXPECT_TRUE(window.study().leftOut.empty());
    EXPECT_EQ(table->rowCount(), 4);
}
