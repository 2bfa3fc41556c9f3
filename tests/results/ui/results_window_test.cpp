// truv-results' charts and window on the offscreen platform, with studies made here.
#include <QAction>
#include <QAreaSeries>
#include <QChartView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QValueAxis>

#include <gtest/gtest.h>

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
    s.meanScore = 0.3;
    s.confidenceLow = -0.97;
    s.confidenceHigh = 1.57;
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
    // Half 1: blocks 3 and 4, 30 trials; half 2: blocks 6 and 7, 10 + 6 run trials, of
    // which five of block 6 are 3000 ms or longer.
    const QString one = "Half 1 (n = 30)", two = "Half 2 (n = 16, 5 over 3000 ms)";
    ASSERT_TRUE(areas.count(one) && areas.count(two)) << areas.begin()->first.toStdString();
    for (const auto& [name, half] : {std::pair(one, 1), std::pair(two, 2)}) {
        QAreaSeries* area = areas.at(name);
        EXPECT_EQ(area->pen().color(), halfColour(half));
        // Each bin is a step of two points; their heights add up to the trials drawn.
        const QList<QPointF> outline = area->upperSeries()->points();
        ASSERT_EQ(outline.size(), 2 + 2 * 60);
        double drawn = 0;
        for (int i = 1; i < outline.size() - 1; i += 2)
            drawn += outline[i].y();
        EXPECT_EQ(drawn, half == 1 ? 30 : 11) << name.toStdString();
    }
}

TEST(ResultsCharts, ScoresSetExcludedSessionsApartAndDrawTheMeanAndItsInterval)
{
    const auto chart = scoresChart(study(), summary());
    const auto points = seriesByName<QScatterSeries>(*chart);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points.at("Session score")->count(), 2);
    EXPECT_EQ(points.at("Excluded session")->count(), 1);
    EXPECT_EQ(points.at("Excluded session")->points().front().x(), 1.5);
    const auto means = seriesByName<QLineSeries>(*chart);
    ASSERT_TRUE(means.count("Mean 0.30"));
    EXPECT_EQ(means.at("Mean 0.30")->points().front().x(), 0.3);
    const auto bands = seriesByName<QAreaSeries>(*chart);
    ASSERT_TRUE(bands.count("95 % interval of the mean"));
    const auto band = bands.at("95 % interval of the mean")->upperSeries()->points();
    EXPECT_EQ(band.front().x(), -0.97);
    EXPECT_EQ(band.back().x(), 1.57);
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
        {1000, 990, 10, 1000, "Difference scores (1000 sessions)", "Error rates by half"},
        {5000, 990, 10, 1000, "Difference scores (5000 sessions, 1 in 5 drawn)",
         "Error rates by half (each point the mean of 5 runs)"},
    };
    for (const Case& c : cases) {
        StudyResults st;
        for (int id = 1; id <= c.runs; ++id) {
            RunRecord run;
            run.id = id;
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
        EXPECT_TRUE(seriesByName<QLineSeries>(*scores).count("Mean 0.30")) << c.runs;

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
