#include "results/results_options.h"

#include <iterator>

const char* resultsUsageText()
{
    return R"(Usage: truv-results [options] DATAFILE...

Reads the data files (.dat) a study's runs wrote, with the subject log (.slg)
beside each, rebuilds the runs, scores their sessions and shows the scores and
plots. With --csv-trials, --csv-summary or --html it writes those files and ends;
without any of them it opens its window, with the data files given already open.

Options:
  --study DIR         the study folder, where the list files (.wls) named on the
                      data lines are looked for (default: each data file's own
                      folder)
  --csv-trials FILE   writes one CSV row per trial slot
  --csv-summary FILE  writes one CSV row per run and session: the subject log's
                      figures, the score and the reasons for an exclusion
  --csv-raw           writes the CSV texts exactly as they are, for analysis
                      scripts (R, pandas). Without it a text that begins with =, +,
                      -, @, a tab or a carriage return is written with an apostrophe
                      before it ('=A1), so that a spreadsheet shows it and never runs
                      it as a formula; numbers are never changed
  --html FILE         writes the report: one HTML file with the summary, the
                      problems found, the table of runs and the plots of the study
                      and of up to 200 runs (those with flags first); it needs no
                      network and no other file
  --help              shows this text

Problems found in the data (a malformed line, a run without its subject log
line) are printed to standard error as warnings; the files are still written.
Without a display (DISPLAY and WAYLAND_DISPLAY empty) the files are written all
the same; only the window needs one.

Exit status:
  0  the files were written, or the window was closed
  1  a data file could not be read or a file could not be written, with the
     reason on standard error; or an output would overwrite a file the study is
     read from (a data file, a subject log, a list file), and nothing was written;
     or no display for the window
  2  usage error: an unknown option, a missing value, no data file to write from
)";
}

std::vector<ExportRequest> ResultsCommandLine::exports() const
{
    std::vector<ExportRequest> requests;
    const CsvTexts texts = csvRaw ? CsvTexts::Raw : CsvTexts::SpreadsheetSafe;
    for (const auto& [kind, path] :
         {std::pair(ResultsExport::TrialsCsv, &trialsCsvPath), std::pair(ResultsExport::SummaryCsv, &summaryCsvPath),
          std::pair(ResultsExport::Html, &htmlPath)}) {
        if (!path->empty())
            requests.push_back({kind, *path, texts});
    }
    return requests;
}

std::optional<ResultsCommandLine> parseResultsCommandLine(const std::vector<std::string>& args, std::string& error)
{
    ResultsCommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg.front() != '-') {
            line.dataFiles.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            continue;
        }
        if (arg == "--csv-raw") {
            line.csvRaw = true;
            continue;
        }

        // --name=value or --name value
        std::string name = arg;
        std::optional<std::string> value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        std::string* target = name == "--study"         ? &line.studyDirectory
                              : name == "--csv-trials"  ? &line.trialsCsvPath
                              : name == "--csv-summary" ? &line.summaryCsvPath
                              : name == "--html"        ? &line.htmlPath
                                                        : nullptr;
        if (target == nullptr) {
            error = name == "--help" || name == "--csv-raw" ? name + " takes no value" : "unknown option " + name;
            return std::nullopt;
        }
        if (!value) {
            if (i + 1 == args.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        if (value->empty()) {
            error = name + " needs a value, not an empty one";
            return std::nullopt;
        }
        if (!target->empty()) {
            error = name + " is given twice";
            return std::nullopt;
        }
        *target = *value;
    }
    if (line.help)
        return line;
    if (line.csvRaw && line.trialsCsvPath.empty() && line.summaryCsvPath.empty()) {
        error = "--csv-raw needs --csv-trials or --csv-summary";
        return std::nullopt;
    }
    if (line.writesFiles() && line.dataFiles.empty()) {
        error = "no data file to read";
        return std::nullopt;
    }
    // A slip of the keyboard must not overwrite one output with another, nor the data.
    const std::string* outputs[] = {&line.trialsCsvPath, &line.summaryCsvPath, &line.htmlPath};
    for (std::size_t a = 0; a < std::size(outputs); ++a) {
        if (outputs[a]->empty())
            continue;
        for (std::size_t b = a + 1; b < std::size(outputs); ++b) {
            if (*outputs[a] == *outputs[b]) {
                error = "two outputs go to the same file " + *outputs[a];
                return std::nullopt;
            }
        }
        for (const std::string& data : line.dataFiles) {
            if (*outputs[a] == data) {
                error = "an output would overwrite the data file " + data;
                return std::nullopt;
            }
        }
    }
    return line;
}
