#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "results/html_report.h"
#include "results/timing_record.h"

namespace {

std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Text the data could hold that is markup, in every text field of a study.
const std::string hostile = "<b id='x'>A&B \"q\"</b>";
const std::string hostileEscaped = "&lt;b id=&#39;x&#39;&gt;A&amp;B &quot;q&quot;&lt;/b&gt;";

// What QSvgGenerator writes at the head of a chart, then a marker to find it by.
std::string chartLike(const std::string& marker)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<svg width=\"190.5mm\" height=\"95.25mm\"\n"
           " viewBox=\"0 0 720 360\"\n xmlns=\"http://www.w3.org/2000/svg\" "
           "xmlns:xlink=\"http://www.w3.org/1999/xlink\"  version=\"1.2\" baseProfile=\"tiny\">\n<title>" +
           marker + "</title>\n<g fill=\"#e69f00\"><circle cx=\"3\" cy=\"3\" r=\"3\"/></g>\n</svg>\n";
}

SessionRecord session(int number, std::optional<double> score, bool excluded)
{
    SessionRecord s;
    s.settings.session = number;
    s.labels = {{{hostile, "Clothing"}, {"Summer", "Winter"}}};
    s.halves[0] = HalfFigures{
        .meanLatency = 612, .errorRate = 5, .n = 18, .leftCombination = hostile, .rightCombination = "Clothing+Winter"};
    s.halves[1] = HalfFigures{.meanLatency = 688,
                              .errorRate = 11,
                              .n = 18,
                              .leftCombination = "Vehicles+Winter",
                              .rightCombination = "Clothing+Summer"};
    s.difference.practice = 0.25;
    s.difference.recorded = -0.126;
    s.difference.score = score;
    s.difference.trialsUsed = 60;
    s.difference.excluded = excluded;
    if (excluded || !score)
        s.difference.exclusionReasons.push_back("reason " + hostile);
    s.logDifferences.push_back("difference " + hostile);
    return s;
}

// Three runs: one complete with two sessions, one stopped (no subject log line, no
// session), one excluded.
StudyResults study()
{
    StudyResults st;
    st.dataFiles = {"/lab/" + hostile + ".dat"};
    st.linesRead = 321;
    st.problems = {"line 17: " + hostile};
    for (int id = 1; id <= 3; ++id) {
        RunRecord run;
        run.id = id;
        run.dataFile = st.dataFiles.front();
        run.firstLine = 2 + 100 * (id - 1);
        run.inputFile = hostile + ".inp";
        run.subject = 10 + id;
        run.sex = "f";
        run.other = "Müller " + hostile;
        run.complete = id != 2;
        if (id == 1)
            run.sessions = {session(1, 0.5, false), session(2, std::nullopt, false)};
        if (id == 3)
            run.sessions = {session(1, -0.75, true)};
        if (id == 2)
            run.problems = {"problem " + hostile};
        if (run.complete) {
            run.log.emplace();
            run.log->file = "/lab/" + hostile + ".slg";
            run.log->lineNumber = id;
        }
        st.runs.push_back(run);
    }
    return st;
}

StudySummary summary()
{
    StudySummary s;
    s.runs = 3;
    s.incompleteRuns = 1;
    s.participants = 2;
    s.runsNotCounted = 1;
    SessionSummary one;
    one.session = 1;
    one.categories = {hostile + " / Clothing, Summer / Winter"};
    one.participants = 2;
    one.scored = 1;
    one.excluded = 1;
    one.meanScore = 0.5;
    one.scoreSd = 0.0004;
    one.confidenceLow = -0.0001;  // rounds to zero, which has no sign
    one.confidenceHigh = 1.236;
    one.meanErrorRate[0] = 5;
    SessionSummary two;
    two.session = 2;
    two.participants = 1;
    two.unscored = 1;
    s.sessions = {one, two};
    return s;
}

ReportCharts charts()
{
    ReportCharts c;
    c.scores = chartLike("scores-chart");
    c.errorRates = chartLike("error-chart");
    c.runs = {{{chartLike("r1s1-trials"), chartLike("r1s1-halves")}, {chartLike("r1s2-trials"), ""}},
              {},
              {{chartLike("r3s1-trials"), chartLike("r3s1-halves")}}};
    return c;
}

TEST(HtmlReport, EscapesEveryCharacterThatIsMarkup)
{
    EXPECT_EQ(escapeHtml("a<b>&\"c\"'d'"), "a&lt;b&gt;&amp;&quot;c&quot;&#39;d&#39;");
    EXPECT_EQ(escapeHtml("Müller, 3 > 2"), "Müller, 3 &gt; 2");  // UTF-8 passes unchanged
    EXPECT_EQ(escapeHtml(""), "");
}

TEST(HtmlReport, EveryTextFromTheDataIsEscaped)
{
    const std::string html = htmlReport(study(), summary(), charts());
    EXPECT_EQ(html.find("<b id"), std::string::npos);
    // The data file, subject log, input file, problems, labels, combinations, other
    // codes, reasons and differences all appear, escaped.
    EXPECT_GE(count(html, hostileEscaped), 15u);
    EXPECT_NE(html.find("Müller"), std::string::npos);
}

TEST(HtmlReport, IsOneSelfContainedDocument)
{
    const std::string html = htmlReport(study(), summary(), charts());
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\n<html lang=\"en\">", 0), 0u);
    EXPECT_EQ(count(html, "<meta charset=\"utf-8\">"), 1u);
    EXPECT_EQ(count(html, "</html>"), 1u);
    EXPECT_EQ(count(html, "<style>"), 1u);
    // Nothing runs, nothing is fetched: not even the charts' namespace names stay.
    for (const char* outside :
         {"<script", "http://", "https://", "<link", "<img", "<iframe", "src=", "url(", "@import", "<?xml", "xmlns"})
        EXPECT_EQ(html.find(outside), std::string::npos) << outside;
    // Links go only to the report's own sections.
    for (auto at = html.find("href=\""); at != std::string::npos; at = html.find("href=\"", at + 1))
        EXPECT_EQ(html[at + 6], '#') << html.substr(at, 40);
}

TEST(HtmlReport, EveryRunHasItsSectionWithItsOwnCharts)
{
    const std::string html = htmlReport(study(), summary(), charts());
    std::size_t previous = 0;
    for (int id = 1; id <= 3; ++id) {
        const std::string anchor = "id=\"run-" + std::to_string(id) + "\"";
        ASSERT_EQ(count(html, anchor), 1u) << anchor;
        EXPECT_GT(html.find(anchor), previous) << "runs in order";
        previous = html.find(anchor);
        EXPECT_NE(html.find("href=\"#run-" + std::to_string(id) + "\""), std::string::npos);
    }
    const auto run1 = html.find("id=\"run-1\""), run2 = html.find("id=\"run-2\""), run3 = html.find("id=\"run-3\"");
    const auto at = [&](const char* marker) { return html.find(std::string("<title>") + marker + "</title>"); };
    for (const char* marker : {"r1s1-trials", "r1s1-halves", "r1s2-trials"}) {
        EXPECT_GT(at(marker), run1) << marker;
        EXPECT_LT(at(marker), run2) << marker;
    }
    EXPECT_GT(at("r3s1-trials"), run3);
    EXPECT_LT(at("scores-chart"), run1);
    EXPECT_LT(at("error-chart"), run1);
    // The empty chart is left out, not an empty frame.
    EXPECT_EQ(count(html, "<div class=\"chart\">"), 7u);
    EXPECT_NE(html.find("No session was read."), std::string::npos);  // run 2
    EXPECT_EQ(html.find("runs-left-out"), std::string::npos);         // no run is left out
}

// Of 230 runs, every tenth flagged in one of the ways a run can be, the 23 flagged ones
// and the first 177 others have sections, in that order; the table holds all 230,
// linking only to sections there are, and a note says how many runs have none.
TEST(HtmlReport, AStudyOfManyRunsHasSectionsForTheFlaggedFirstAndEveryRunInItsTable)
{
    const std::function<void(RunRecord&)> flags[] = {
        [](RunRecord& r) { r.problems = {"a problem"}; },
        [](RunRecord& r) { r.complete = false, r.log.reset(); },
        [](RunRecord& r) { r.sessions.clear(); },
        [](RunRecord& r) { r.sessions[0].difference.excluded = true; },
        [](RunRecord& r) { r.sessions[0].difference.score.reset(); },
        [](RunRecord& r) { r.sessions[0].logDifferences = {"N differs"}; },
    };
    StudyResults st;
    std::vector<int> flagged, others;
    for (int id = 1; id <= 230; ++id) {
        RunRecord run;
        run.id = id;
        run.complete = true;
        run.log = SubjectLogRecord{};
        run.sessions.resize(1);
        run.sessions[0].difference.score = 0.5;
        if (id % 10 == 7)
            flags[static_cast<std::size_t>(id / 10) % std::size(flags)](run);
        (id % 10 == 7 ? flagged : others).push_back(id);
        st.runs.push_back(run);
    }
    std::vector<int> expected = flagged;
    expected.insert(expected.end(), others.begin(), others.begin() + 177);

    const std::string html = htmlReport(st, StudySummary{}, ReportCharts{});
    std::vector<int> sections;
    const std::string opening = "<section class=\"run\" id=\"run-";
    for (auto at = html.find(opening); at != std::string::npos; at = html.find(opening, at + 1))
        sections.push_back(std::stoi(html.substr(at + opening.size())));
    EXPECT_EQ(sections, expected);

    const auto table = html.substr(html.find("<section id=\"runs\">"));
    const auto body = table.substr(0, table.find("</section>"));
    EXPECT_EQ(count(body, "<tr>") + count(body, "<tr class=\"excluded\">"), 2u + 230u);
    for (int id = 1; id <= 230; ++id) {
        const bool linked = count(body, "<a href=\"#run-" + std::to_string(id) + "\">") == 1;
        EXPECT_EQ(linked, count(html, "id=\"run-" + std::to_string(id) + "\"") == 1) << id;
        EXPECT_TRUE(linked || count(body, "<td>" + std::to_string(id) + "</td>") == 1) << id;
    }
    EXPECT_NE(body.find("30 runs have no section of their own"), std::string::npos);
    EXPECT_NE(body.find("CSV exports"), std::string::npos);
}

TEST(HtmlReport, TableAndSummaryShowTheFiguresAndFlags)
{
    const std::string html = htmlReport(study(), summary(), charts());
    // One row per session; a run without sessions still has one.
    const auto table = html.substr(html.find("<section id=\"runs\">"));
    const auto body = table.substr(0, table.find("</section>"));
    EXPECT_EQ(count(body, "<tr>") + count(body, "<tr class=\"excluded\">"), 2u + 4u);  // 2 header rows
    EXPECT_EQ(count(body, "<tr class=\"excluded\">"), 1u);
    EXPECT_NE(body.find("<td class=\"num\">-0.75</td>"), std::string::npos);
    EXPECT_NE(body.find("<td class=\"num\">-0.13</td>"), std::string::npos);  // -0.126 to two decimals
    EXPECT_NE(body.find("<td class=\"num\">612</td>"), std::string::npos);
    EXPECT_NE(body.find("<span class=\"flag incomplete\" title=\"no_log_line\">no subject log line</span>"),
              std::string::npos);
    EXPECT_NE(body.find("column: &ldquo;no subject log line&rdquo; <code>no_log_line</code>, "), std::string::npos);
    EXPECT_NE(body.find(">no score<"), std::string::npos);
    EXPECT_NE(body.find("differs from the subject log"), std::string::npos);

    // The summary: a row per session number, each with its own mean and interval.
    EXPECT_NE(html.find("3 (2 complete, 1 incomplete)"), std::string::npos);
    EXPECT_NE(html.find("<tr><th>Participants</th><td>2 (1 further run of a participant does not count)</td></tr>"),
              std::string::npos);
    EXPECT_EQ(html.find("Left out by the user"), std::string::npos);
    const auto sessions = html.substr(html.find("<table class=\"sessions\">"));
    EXPECT_EQ(sessions.substr(0, sessions.find("</table>")).substr(sessions.find("</tr>") + 6),
              "<tr><td class=\"num\">1</td><td>" + hostileEscaped +
                  " / Clothing, Summer / Winter</td><td class=\"num\">2</td><td class=\"num\">1</td>"
                  "<td class=\"num\">1</td><td class=\"num\">0</td><td>0.50 (95 % interval 0.00 to 1.24), SD "
                  "0.00</td><td>half 1: 5.0 %, half 2: &ndash;</td></tr>\n"
                  "<tr><td class=\"num\">2</td><td>unknown</td><td class=\"num\">1</td><td class=\"num\">0</td>"
                  "<td class=\"num\">0</td><td class=\"num\">1</td><td>&ndash;</td><td>half 1: &ndash;, half 2: "
                  "&ndash;</td></tr>\n");

    // The stopped run is listed among the problems, which are then not "None".
    const auto problems = html.substr(html.find("<section id=\"problems\">"));
    EXPECT_NE(problems.find("Run 2: no subject log line: "), std::string::npos) << problems;
    EXPECT_EQ(problems.substr(0, problems.find("</section>")).find("None:"), std::string::npos);
}

// The line on a run's timing names what its rows say; a run with missed frames is
// flagged with its sessions.
TEST(HtmlReport, EachRunSaysHowItWasTimed)
{
    const auto row = [](const char* onset, int refresh, int missed, std::int64_t late, const char* clock,
                        std::optional<std::int64_t> calibration) {
        return BlockTimingRecord{"run.timing.tsv", 2, onset, refresh, 120, missed, late, clock, calibration};
    };
    const struct {
        const char* name;
        std::vector<BlockTimingRecord> rows;  // of the session's first blocks
        int blocks;
        std::string line;
    } cases[] = {
        {"none", {}, 2, "Timing: no timing record."},
        {"stamped keys",
         {row("X11 Present", 16667, 2, 1400, "X server", 300), row("X11 Present", 16667, 0, 200, "X server", 40)},
         2,
         "Timing: X11 Present every 16.667 ms; 240 words, 2 frames missed (largest delay 1.4 ms); keys on X server "
         "stamps (calibrated within 0.3 ms)."},
        {"keys when handled, some blocks without rows",
         {row("after drawing", 0, 0, 0, "handled", std::nullopt)},
         3,
         "Timing (1 of the run's 3 blocks): after drawing; 120 words, no frame missed (largest delay 0 ms); keys "
         "timed when handled."},
        {"two sources and two clocks",
         {row("after drawing", 0, 1, 50, "handled", std::nullopt), row("X11 Present", 16670, 0, 80, "X server", 60)},
         2,
         "Timing: after drawing and X11 Present every 16.670 ms; 240 words, 1 frame missed (largest delay 0.080 ms); "
         "keys timed when handled and on X server stamps (calibrated within 0.060 ms)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StudyResults st = study();
        RunRecord& run = st.runs[0];
        run.sessions[0].blocks.resize(static_cast<std::size_t>(c.blocks));
        for (std::size_t b = 0; b < c.rows.size(); ++b)
            run.sessions[0].blocks[b].timing = c.rows[b];
        EXPECT_EQ(timingLine(run), c.line);
        const std::string html = htmlReport(st, summary(), charts());
        // Each of the three runs' sections has its line; the other two have no rows.
        EXPECT_EQ(count(html, "<p class=\"timing\">" + escapeHtml(c.line) + "</p>"), c.rows.empty() ? 3u : 1u);
        const bool missed = c.line.find(" missed (") != std::string::npos &&
                            c.line.find("no frame") == std::string::npos;
        // In the table's row and the section's part of each of the run's two sessions.
        EXPECT_EQ(count(html, "frames missed</span>"), missed ? 4u : 0u);
    }
}

TEST(HtmlReport, AnEmptyStudyStillMakesAReport)
{
    const std::string html = htmlReport(StudyResults{}, StudySummary{}, ReportCharts{});
    EXPECT_NE(html.find("No run was found"), std::string::npos);
    EXPECT_NE(html.find("<h1>TRUV Results</h1>"), std::string::npos);
    EXPECT_NE(html.find("None: every line was read"), std::string::npos);
    EXPECT_EQ(html.find("<div class=\"chart\">"), std::string::npos);
}

TEST(HtmlReport, InlineSvgDropsWhatHtmlSuppliesAndKeepsTheRest)
{
    EXPECT_EQ(inlineSvg(chartLike("t")),
              "<svg width=\"190.5mm\" height=\"95.25mm\" viewBox=\"0 0 720 360\" version=\"1.2\" "
              "baseProfile=\"tiny\">\n<title>t</title>\n<g fill=\"#e69f00\"><circle cx=\"3\" cy=\"3\" r=\"3\"/></g>\n"
              "</svg>");
    EXPECT_EQ(inlineSvg("<svg viewBox='0 0 1 1'/>"), "<svg viewBox='0 0 1 1' />");
    EXPECT_EQ(inlineSvg(""), "");
    EXPECT_EQ(inlineSvg("<p>not a chart</p>"), "");
    EXPECT_EQ(inlineSvg("<svg width=\"1"), "");  // cut short
}

}  // namespace
