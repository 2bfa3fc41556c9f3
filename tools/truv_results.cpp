// truv-results: reads the data files of a study's runs and shows their scores and
// plots in a window, or writes the CSV exports and the HTML report. See --help.

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include <QApplication>

#include "common/file_source.h"
#include "results/participants.h"
#include "results/run_flags.h"
#include "results/ui/results_charts.h"
#include "results/results_exports.h"
#include "results/results_options.h"
#include "results/results_reading.h"
#include "results/results_scores.h"
#include "results/ui/results_window.h"

namespace {

const char* exportName(ResultsExport kind)
{
    return kind == ResultsExport::TrialsCsv         ? "trials"
           : kind == ResultsExport::SummaryCsv      ? "summary"
           : kind == ResultsExport::ParticipantsCsv ? "participants"
           : kind == ResultsExport::Html            ? "report"
                                                    : "Psych-DS dataset";
}

// Says on standard error which exports would overwrite a file the study is read from;
// whether any would, and so nothing was written.
bool refused(const std::vector<ExportRequest>& exports, const std::vector<ExportOutcome>& outcomes)
{
    bool any = false;
    for (std::size_t i = 0; i < exports.size(); ++i) {
        if (!outcomes[i].refused.empty()) {
            std::cerr << "truv-results: the " << exportName(exports[i].kind)
                      << " is not written: " << outcomes[i].refused << "\n";
            any = true;
        }
    }
    if (any)
        std::cerr << "truv-results: nothing was written\n";
    return any;
}

int writeFiles(const ResultsCommandLine& line)
{
    // A data file that cannot be read ends the program; it is opened as the reading
    // opens it, never in a way that could block.
    for (const std::string& path : line.dataFiles) {
        if (const StreamOutcome opened = diskFiles().openStream(path); !opened.stream) {
            std::cerr << "truv-results: " << opened.error << "\n";
            return 1;
        }
    }
    // The data files and their subject logs are known before the reading, the list
    // files only after it, when the exports are checked again.
    const std::vector<ExportRequest> exports = line.exports();
    StudyResults given;
    given.dataFiles = line.dataFiles;
    if (refused(exports, checkExports(exports, given)))
        return 1;

    ResultsOptions options;
    options.studyDirectory = line.studyDirectory;
    options.poolLogs = line.poolLogs;
    StudyResults study = readStudy(line.dataFiles, options, diskFiles());
    leaveOutSubjects(study, line.excludedSubjects);
    for (const std::string& problem : study.problems)
        std::cerr << "truv-results: warning: " << problem << "\n";
    for (const RunRecord& run : study.runs) {
        for (const std::string& problem : runWarnings(run))
            std::cerr << "truv-results: warning: run " << run.id << ": " << problem << "\n";
    }
    const std::vector<ExportOutcome> outcomes = writeExports(exports, study,
                                                             [&] { return reportHtml(study, summarizeStudy(study)); });
    if (refused(exports, outcomes))
        return 1;
    int status = 0;
    for (std::size_t i = 0; i < exports.size(); ++i) {
        for (const std::string& warning : outcomes[i].warnings)
            std::cerr << "truv-results: warning: " << warning << "\n";
        if (!outcomes[i].written) {
            std::cerr << "truv-results: " << outcomes[i].written.error << "\n";
            status = 1;
        } else {
            std::cout << "wrote the " << exportName(exports[i].kind) << " to " << exports[i].path << "\n";
        }
    }
    return status;
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto line = parseResultsCommandLine(args, error);
    if (!line) {
        std::cerr << "truv-results: " << error << "\nTry 'truv-results --help'.\n";
        return 2;
    }
    if (line->help) {
        std::cout << resultsUsageText();
        return 0;
    }

    // Writing files shows nothing: the offscreen platform draws the charts without a
    // display, and without a connection to one that could fail. A platform the user
    // chose is kept.
    if (line->writesFiles()) {
        // Qt's own notes (no runtime folder, what the offscreen platform cannot do)
        // mean nothing to someone writing files: only its errors are passed on.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::cerr << "truv-results: " << message.toStdString() << "\n";
        });
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        if (line->writesFiles()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        } else if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            std::cerr << "truv-results: the window needs a display, and none is set (DISPLAY and WAYLAND_DISPLAY "
                         "are empty).\nWithout one, --csv-trials, --csv-summary, --csv-participants and --html write "
                         "the results to files.\n";
            return 1;
        }
    }
    QApplication application(argc, argv);
    // Qt takes the user's locale for the C library; numbers in the exports keep their
    // decimal point whatever it is.
    std::setlocale(LC_NUMERIC, "C");
    if (line->writesFiles())
        return writeFiles(*line);

    ResultsWindow window;
    window.show();
    QString unused;  // the list was read with the command line
    window.leaveOutSubjects(QString::fromStdString(line->excludedSubjectsText), unused);
    window.openDataFiles(line->dataFiles, {.studyDirectory = line->studyDirectory, .poolLogs = line->poolLogs});
    return application.exec();
}
