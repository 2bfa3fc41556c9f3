#include "results/html_report.h"

#include <algorithm>
#include <set>
#include <charconv>

#include "common/file_io.h"
#include "results/participants.h"
#include "results/run_flags.h"
#include "results/timing_record.h"

namespace {

// The style sheet: the fonts a Debian desktop has, tables that fit a page, rows of
// excluded sessions tinted, charts that shrink with the window.
constexpr const char* styleSheet = R"(
body { font-family: "Liberation Sans", "DejaVu Sans", Arial, sans-serif; color: #222222;
       background: #ffffff; margin: 1.5em auto; max-width: 1500px; padding: 0 1em; line-height: 1.4; }
h1 { font-size: 1.7em; margin-bottom: 0.2em; }
h2 { font-size: 1.3em; margin-top: 1.8em; border-bottom: 1px solid #cccccc; }
h3 { font-size: 1.1em; margin-bottom: 0.3em; }
table { border-collapse: collapse; margin: 0.5em 0 1em; }
th, td { border: 1px solid #cccccc; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }
th { background: #f2f2f2; }
td.num { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
table.facts th { background: none; border: none; padding-left: 0; font-weight: bold; }
table.facts td { border: none; }
tr.excluded td { background: #fbeeee; }
.flag { display: inline-block; padding: 0 0.4em; border-radius: 0.3em; font-size: 0.9em; margin: 0.1em 0; }
.flag.excluded { background: #f4cccc; }
.flag.incomplete { background: #fde9c4; }
.flag.differs { background: #dde8f6; }
.flag.timing { background: #e6def3; }
.flag.problem { background: #f6e0cc; }
.note { color: #555555; }
.charts { display: flex; flex-wrap: wrap; gap: 1em; }
.chart svg { display: block; max-width: 100%; height: auto; border: 1px solid #e4e4e4; }
ul.problems li { margin: 0.15em 0; }
)";

std::string optionalNumber(const std::optional<double>& value, int decimals)
{
    return value ? fixedNumber(*value, decimals) : std::string("&ndash;");
}

std::string cell(const std::string& html, bool numeric = false)
{
    return (numeric ? "<td class=\"num\">" : "<td>") + html + "</td>";
}

std::string factRow(const std::string& name, const std::string& html)
{
    return "<tr><th>" + escapeHtml(name) + "</th><td>" + html + "</td></tr>\n";
}

std::string listItems(const std::vector<std::string>& lines, const std::string& prefix = {})
{
    std::string html;
    for (const std::string& line : lines)
        html += "<li>" + escapeHtml(prefix + line) + "</li>\n";
    return html;
}

// A flag's badge; word: the flag's word in the CSV exports, shown when pointed at.
std::string flag(const char* kind, const std::string& text, const std::string& word = {})
{
    return std::string("<span class=\"flag ") + kind + "\"" +
           (word.empty() ? std::string() : " title=\"" + escapeHtml(word) + "\"") + ">" + escapeHtml(text) + "</span> ";
}

std::string chartHtml(const std::string& svg)
{
    const std::string inlined = inlineSvg(svg);
    return inlined.empty() ? std::string() : "<div class=\"chart\">" + inlined + "</div>\n";
}

std::string runHeading(const RunRecord& run)
{
    std::string heading = "Run " + std::to_string(run.id) + ": subject " + std::to_string(run.subject);
    if (!run.sex.empty())
        heading += ", " + run.sex;
    if (!run.other.empty())
        heading += ", other code " + run.other;
    return heading;
}

std::string sessionHeading(const SessionRecord& session)
{
    std::string heading = "Session " + std::to_string(session.settings.session);
    const auto& l = session.labels;
    if (!l[0][0].empty() || !l[1][0].empty())
        heading += ": " + l[0][0] + " / " + l[0][1] + ", " + l[1][0] + " / " + l[1][1];
    return heading;
}

// The flags of a session in the table of runs and in its run's section.
std::string sessionFlags(const RunRecord& run, const SessionRecord* session)
{
    // The run's flags, each as its text; the subject log's differences are shown per
    // session below.
    std::string html;
    for (const std::string& word : runFlags(run)) {
        if (word == "log_differs")
            continue;
        const char* kind = word == "missed_frames" ? "timing" : word == "no_log_line" ? "incomplete" : "problem";
        html += flag(kind, runFlagText(word), word);
    }
    if (session != nullptr) {
        const DifferenceScore& d = session->difference;
        if (d.excluded)
            html += flag("excluded", "excluded");
        if (!d.score && !d.excluded)
            html += flag("excluded", "no score");
        for (const std::string& reason : d.exclusionReasons)
            html += "<div>" + escapeHtml(reason) + "</div>";
        if (!session->logDifferences.empty())
            html += flag("differs", "differs from the subject log");
    }
    return html;
}

std::string halfCells(const std::optional<HalfFigures>& half)
{
    if (!half)
        return cell("&ndash;", true) + cell("&ndash;", true) + cell("&ndash;", true);
    return cell(std::to_string(half->meanLatency), true) + cell(std::to_string(half->errorRate), true) +
           cell(std::to_string(half->n), true);
}

std::string sessionSummaryRow(const SessionSummary& s)
{
    std::string categories;
    for (const std::string& pairs : s.categories)
        categories += (categories.empty() ? "" : "<br>") + escapeHtml(pairs);
    std::string score = optionalNumber(s.meanScore, 2);
    if (s.confidenceLow && s.confidenceHigh)
        score += " (95 % interval " + fixedNumber(*s.confidenceLow, 2) + " to " + fixedNumber(*s.confidenceHigh, 2) +
                 ")";
    if (s.scoreSd)
        score += ", SD " + fixedNumber(*s.scoreSd, 2);
    const auto rate = [](const std::optional<double>& r) { return r ? fixedNumber(*r, 1) + " %" : "&ndash;"; };
    return "<tr>" + cell(std::to_string(s.session), true) + cell(categories.empty() ? "unknown" : categories) +
           cell(std::to_string(s.participants), true) + cell(std::to_string(s.scored), true) +
           cell(std::to_string(s.excluded), true) + cell(std::to_string(s.unscored), true) + cell(score) +
           cell("half 1: " + rate(s.meanErrorRate[0]) + ", half 2: " + rate(s.meanErrorRate[1])) + "</tr>\n";
}

std::string summarySection(const StudyResults& study, const StudySummary& summary)
{
    std::string files;
    for (const std::string& file : study.dataFiles)
        files += (files.empty() ? "" : "<br>") + escapeHtml(file);
    std::string html = "<section id=\"summary\">\n<h2>Summary</h2>\n<table class=\"facts\">\n";
    html += factRow("Data files read", files.empty() ? "none" : files);
    html += factRow("Lines read", std::to_string(study.linesRead));
    html += factRow("Runs", std::to_string(summary.runs) + " (" +
                                std::to_string(summary.runs - summary.incompleteRuns) + " complete, " +
                                std::to_string(summary.incompleteRuns) + " incomplete)");
    std::string participants = std::to_string(summary.participants);
    if (summary.runsNotCounted > 0)
        participants += " (" +
                        countedText(static_cast<std::size_t>(summary.runsNotCounted), "further run", "further runs") +
                        " of a participant " + (summary.runsNotCounted == 1 ? "does" : "do") + " not count)";
    html += factRow("Participants", participants);
    if (!study.leftOut.empty()) {
        std::vector<int> subjects;
        for (const RunRecord& run : study.leftOut)
            if (std::find(subjects.begin(), subjects.end(), run.subject) == subjects.end())
                subjects.push_back(run.subject);
        std::string numbers;
        for (const int subject : subjects)
            numbers += (numbers.empty() ? "" : ", ") + std::to_string(subject);
        html += factRow("Left out by the user", countedText(study.leftOut.size(), "run", "runs") + " of " +
                                                    (subjects.size() == 1 ? "subject " : "subjects ") + numbers);
    }
    html += "</table>\n";
    if (summary.sessions.empty()) {
        html += "<p>No session was read.</p>\n";
    } else {
        html += "<table class=\"sessions\">\n<tr><th>Session</th><th>Categories</th><th>Participants</th>"
                "<th>Scored</th><th>Excluded</th><th>No score</th><th>Mean score</th><th>Mean error rate</th></tr>\n";
        for (const SessionSummary& session : summary.sessions)
            html += sessionSummaryRow(session);
        html += "</table>\n";
    }
    html += "<p class=\"note\">A participant is a subject number, sex, other code and input file; of its runs the "
            "first complete one counts, and the others are listed in the table of runs. The score of a session is "
            "the standardized difference of its mean latencies after and before the switch, in the combined "
            "practice and the combined recorded blocks, averaged: positive when the subject was slower after the "
            "switch. Each session number has its own categories and its own mean, 95 % interval and SD, over the "
            "participants whose session is scored and not excluded; the error rates are over every participant's "
            "session with half figures.</p>\n";
    return html + "</section>\n";
}

std::string problemsSection(const StudyResults& study)
{
    std::string items = listItems(study.problems);
    for (const RunRecord& run : study.runs)
        items += listItems(runWarnings(run), "Run " + std::to_string(run.id) + ": ");
    std::string html = "<section id=\"problems\">\n<h2>Problems found</h2>\n";
    if (items.empty())
        html += "<p>None: every line was read and every run has its subject log line.</p>\n";
    else
        html += "<ul class=\"problems\">\n" + items + "</ul>\n";
    return html + "</section>\n";
}

// hasSection[r]: whether study.runs[r] has a section its row links to.
std::string runsTable(const StudyResults& study, const std::vector<bool>& hasSection, std::size_t sections)
{
    std::string html = "<section id=\"runs\">\n<h2>Runs</h2>\n";
    if (study.runs.empty() && study.leftOut.empty())
        return html + "<p>No run was found in the data files.</p>\n</section>\n";
    if (sections < study.runs.size()) {
        const std::size_t left = study.runs.size() - sections;
        html += "<p class=\"note\" id=\"runs-left-out\">" + std::to_string(left) +
                (left == 1 ? " run has no section of its own" : " runs have no section of their own") +
                ": the report gives one, with its figures and charts, to at most " + std::to_string(maxRunSections) +
                " runs, those with flags first. The table below lists every run, and the CSV exports of the trials "
                "and of the summary hold them all.</p>\n";
    }
    html += "<table>\n<thead>\n<tr><th rowspan=\"2\">Run</th><th rowspan=\"2\">Subject</th><th rowspan=\"2\">Sex</th>"
            "<th rowspan=\"2\">Other</th><th rowspan=\"2\">Input file</th><th rowspan=\"2\">Session</th>"
            "<th colspan=\"3\">Half 1</th><th colspan=\"3\">Half 2</th><th colspan=\"3\">Difference score</th>"
            "<th rowspan=\"2\">Flags</th></tr>\n"
            "<tr><th>ms</th><th>errors %</th><th>n</th><th>ms</th><th>errors %</th><th>n</th>"
            "<th>practice</th><th>recorded</th><th>score</th></tr>\n</thead>\n<tbody>\n";
    for (std::size_t r = 0; r < study.runs.size(); ++r) {
        const RunRecord& run = study.runs[r];
        const std::string id = std::to_string(run.id);
        const std::string runCells = cell(hasSection[r] ? "<a href=\"#run-" + id + "\">" + id + "</a>" : id) +
                                     cell(std::to_string(run.subject), true) + cell(escapeHtml(run.sex)) +
                                     cell(escapeHtml(run.other)) + cell(escapeHtml(run.inputFile));
        if (run.sessions.empty()) {
            html += "<tr>" + runCells + cell("&ndash;") + halfCells({}) + halfCells({}) + cell("&ndash;", true) +
                    cell("&ndash;", true) + cell("&ndash;", true) + cell(sessionFlags(run, nullptr)) + "</tr>\n";
            continue;
        }
        for (const SessionRecord& session : run.sessions) {
            const DifferenceScore& d = session.difference;
            html += d.excluded ? "<tr class=\"excluded\">" : "<tr>";
            html += runCells + cell(std::to_string(session.settings.session), true) + halfCells(session.halves[0]) +
                    halfCells(session.halves[1]) + cell(optionalNumber(d.practice, 2), true) +
                    cell(optionalNumber(d.recorded, 2), true) + cell(optionalNumber(d.score, 2), true) +
                    cell(sessionFlags(run, &session)) + "</tr>\n";
        }
    }
    for (const RunRecord& run : study.leftOut)
        html += "<tr class=\"excluded\">" + cell(std::to_string(run.id)) + cell(std::to_string(run.subject), true) +
                cell(escapeHtml(run.sex)) + cell(escapeHtml(run.other)) + cell(escapeHtml(run.inputFile)) +
                cell("&ndash;") + halfCells({}) + halfCells({}) + cell("&ndash;", true) + cell("&ndash;", true) +
                cell("&ndash;", true) + cell(flag("excluded", "excluded") + "<div>" + leftOutReason + "</div>") +
                "</tr>\n";
    html += "</tbody>\n</table>\n";
    // The key to the flags shown, by their words in the CSV exports' flags column.
    std::set<std::string> shown;
    for (const RunRecord& run : study.runs)
        for (std::string& word : runFlags(run))
            shown.insert(std::move(word));
    std::string key;
    for (const std::string& word : runFlagWords())
        if (shown.count(word) != 0)
            key += std::string(key.empty() ? "" : ", ") + "&ldquo;" + escapeHtml(runFlagText(word)) + "&rdquo; <code>" +
                   word + "</code>";
    if (!key.empty())
        html += "<p class=\"note\" id=\"flags-key\">The flags are those of the CSV exports&rsquo; <code>flags</code> "
                "column: " +
                key + ".</p>\n";
    return html + "</section>\n";
}

std::string sessionPart(const RunRecord& run, const SessionRecord& session, const SessionCharts* charts)
{
    std::string html = "<h3>" + escapeHtml(sessionHeading(session)) + "</h3>\n";
    if (session.halves[0] || session.halves[1]) {
        html += "<table>\n<tr><th>Half</th><th>Left</th><th>Right</th><th>Mean latency (ms)</th><th>Error rate (%)</th>"
                "<th>n</th></tr>\n";
        for (int h = 0; h < 2; ++h) {
            const auto& half = session.halves[h];
            if (!half)
                continue;
            html += "<tr>" + cell(std::to_string(h + 1)) + cell(escapeHtml(half->leftCombination)) +
                    cell(escapeHtml(half->rightCombination)) + cell(std::to_string(half->meanLatency), true) +
                    cell(std::to_string(half->errorRate), true) + cell(std::to_string(half->n), true) + "</tr>\n";
        }
        html += "</table>\n";
    } else {
        html += "<p>No recorded block: no half figures.</p>\n";
    }
    const DifferenceScore& d = session.difference;
    html += "<p>Difference score: practice " + optionalNumber(d.practice, 2) + ", recorded " +
            optionalNumber(d.recorded, 2) + ", score <strong>" + optionalNumber(d.score, 2) + "</strong> (" +
            std::to_string(d.trialsUsed) + " trials used, " + std::to_string(d.trialsDropped) + " over " +
            std::to_string(longestScoredLatency) + " ms dropped, " + std::to_string(d.trialsFast) + " under " +
            std::to_string(fastLatency) + " ms).</p>\n";
    const std::string flags = sessionFlags(run, &session);
    if (!flags.empty())
        html += "<div>" + flags + "</div>\n";
    if (!session.logDifferences.empty())
        html += "<p>Where the data lines differ from the subject log:</p>\n<ul>\n" + listItems(session.logDifferences) +
                "</ul>\n";
    if (charts != nullptr) {
        const std::string figures = chartHtml(charts->latencyByTrial) + chartHtml(charts->latencyDistribution);
        if (!figures.empty())
            html += "<div class=\"charts\">\n" + figures + "</div>\n";
    }
    return html;
}

std::string runSection(const RunRecord& run, const std::vector<SessionCharts>* charts)
{
    std::string html = "<section class=\"run\" id=\"run-" + std::to_string(run.id) + "\">\n<h2>" +
                       escapeHtml(runHeading(run)) + "</h2>\n<table class=\"facts\">\n";
    html += factRow("Data file", escapeHtml(run.dataFile) + ", from line " + std::to_string(run.firstLine));
    html += factRow("Input file", escapeHtml(run.inputFile));
    if (run.log)
        html += factRow("Subject log", escapeHtml(run.log->file) + ", line " + std::to_string(run.log->lineNumber));
    else
        html += factRow("Subject log", "none: the run stopped or was ended before its subject log line was written");
    html += "</table>\n<p class=\"timing\">" + escapeHtml(timingLine(run)) + "</p>\n";
    if (const std::vector<std::string> warnings = runWarnings(run); !warnings.empty())
        html += "<ul class=\"problems\">\n" + listItems(warnings) + "</ul>\n";
    if (run.sessions.empty())
        html += "<p>No session was read.</p>\n";
    for (std::size_t s = 0; s < run.sessions.size(); ++s) {
        const SessionCharts* sessionCharts = charts != nullptr && s < charts->size() ? &(*charts)[s] : nullptr;
        html += sessionPart(run, run.sessions[s], sessionCharts);
    }
    return html + "</section>\n";
}

std::string reportTitle(const StudyResults& study)
{
    std::string title = "TRUV Results";
    if (!study.dataFiles.empty()) {
        title += ": " + fileNameOf(study.dataFiles.front());
        if (study.dataFiles.size() > 1)
            title += " and " + std::to_string(study.dataFiles.size() - 1) + " more";
    }
    return title;
}

}  // namespace

bool runIsFlagged(const RunRecord& run)
{
    if (!run.problems.empty() || !runFlags(run).empty() || run.sessions.empty())
        return true;
    for (const SessionRecord& session : run.sessions) {
        const DifferenceScore& d = session.difference;
        if (d.excluded || !d.score || !session.logDifferences.empty())
            return true;
    }
    return false;
}

std::vector<std::size_t> runsWithSections(const StudyResults& study)
{
    std::vector<std::size_t> chosen;
    for (const bool flagged : {true, false}) {
        for (std::size_t r = 0; r < study.runs.size() && chosen.size() < maxRunSections; ++r) {
            if (runIsFlagged(study.runs[r]) == flagged)
                chosen.push_back(r);
        }
    }
    return chosen;
}

std::string fixedNumber(double value, int decimals)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    // -0.00 reads as a sign where there is none.
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string escapeHtml(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string inlineSvg(std::string_view svg)
{
    const auto start = svg.find("<svg");
    if (start == std::string_view::npos)
        return {};
    const auto tagEnd = svg.find('>', start);
    if (tagEnd == std::string_view::npos)
        return {};
    // The root's attributes without its namespace declarations.
    std::string root = "<svg";
    std::string_view attributes = svg.substr(start + 4, tagEnd - start - 4);
    while (!attributes.empty()) {
        const auto nameStart = attributes.find_first_not_of(" \t\r\n");
        if (nameStart == std::string_view::npos) {
            break;
        }
        const auto quoteOpen = attributes.find_first_of("\"'", nameStart);
        if (quoteOpen == std::string_view::npos) {
            root += ' ';
            root += attributes.substr(nameStart);  // a "/" of a self-closing root
            break;
        }
        const auto quoteClose = attributes.find(attributes[quoteOpen], quoteOpen + 1);
        if (quoteClose == std::string_view::npos)
            return {};
        const std::string_view attribute = attributes.substr(nameStart, quoteClose + 1 - nameStart);
        if (attribute.substr(0, 5) != "xmlns") {
            root += ' ';
            root += attribute;
        }
        attributes.remove_prefix(quoteClose + 1);
    }
    root += '>';
    std::string_view rest = svg.substr(tagEnd + 1);
    while (!rest.empty() && (rest.back() == '\n' || rest.back() == '\r' || rest.back() == ' '))
        rest.remove_suffix(1);
    return root + std::string(rest);
}

std::string htmlReport(const StudyResults& study, const StudySummary& summary, const ReportCharts& charts)
{
    const std::string title = reportTitle(study);
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                       escapeHtml(title) + "</title>\n<style>" + styleSheet + "</style>\n</head>\n<body>\n";
    html += "<h1>" + escapeHtml(title) + "</h1>\n";
    html += summarySection(study, summary);

    const std::string studyCharts = chartHtml(charts.scores) + chartHtml(charts.errorRates);
    if (!studyCharts.empty())
        html += "<section id=\"study-charts\">\n<h2>Scores and error rates</h2>\n<div class=\"charts\">\n" +
                studyCharts + "</div>\n</section>\n";
    html += problemsSection(study);
    const std::vector<std::size_t> sections = runsWithSections(study);
    std::vector<bool> hasSection(study.runs.size(), false);
    for (const std::size_t r : sections)
        hasSection[r] = true;
    html += runsTable(study, hasSection, sections.size());
    for (const std::size_t r : sections)
        html += runSection(study.runs[r], r < charts.runs.size() ? &charts.runs[r] : nullptr);
    return html + "</body>\n</html>\n";
}
