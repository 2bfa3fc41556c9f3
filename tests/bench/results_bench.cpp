// Times truv-results on a large study: a data file of 1,000 runs of one session (nPrac
// 20, nReal 40: seven blocks, 180 lines a run) written by four computers at once, so
// that the runs' blocks interleave, with its subject log, input file and list files, in
// a temporary folder removed afterwards. Prints the figures only.
//
//   results_bench [runs]           reading and scoring, both CSV exports, the
//                                  participants CSV on its own and the Psych-DS
//                                  dataset
//   results_bench --report [runs]  what truv-results --csv-trials --csv-summary --html
//                                  does: reading, both CSV exports and the HTML report
//                                  with its charts (offscreen), each file written; and
//                                  the participants CSV
//
// Peak memory is the process's maximum resident set so far, so run one study a process.

#include <sys/resource.h>

#include <QApplication>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "files/input_file.h"
#include "files/word_list.h"
#include "results/html_report.h"
#include "results/psych_ds.h"
#include "results/ui/results_charts.h"
#include "results/results_exports.h"
#include "results/results_reading.h"
#include "results/results_scores.h"
#include "run/block_sequence.h"
#include "run/output_files.h"

namespace {

constexpr int computers = 4;

WordList listOf(const std::string& labelA, const std::string& labelB)
{
    WordList list;
    list.entriesA[0].assign(labelA);
    list.entriesB[0].assign(labelB);
    for (int i = 1; i <= maxItems; ++i) {
        list.entriesA[i].assign(labelA.substr(0, 3) + std::to_string(i));
        list.entriesB[i].assign(labelB.substr(0, 3) + std::to_string(i));
    }
    list.entryCountA = list.entryCountB = maxEntries;
    return list;
}

// One run's blocks, each as its data lines, and its subject log line.
struct GeneratedRun {
    std::vector<std::string> blocks;
    std::string logLine;
};

GeneratedRun generateRun(int subject, const SessionSettings& settings, const ExperimentDefinition& definition,
                         std::mt19937& random)
{
    // Subject numbers go up to 999: each thousand runs has an other code of its own.
    SubjectRecord who;
    who.subjectNumber = subject % 1000;
    who.sexCode = subject % 2 ? "f" : "m";
    who.otherCode = "bench" + std::to_string(subject / 1000);
    who.inputName = "bench.inp";
    who.inputPath = "/lab/study/bench.inp";
    who.start = {2026, 3, 9, 14, 5, 0};

    std::normal_distribution<double> normal(600, 100);
    std::exponential_distribution<double> tail(1.0 / 150);
    std::bernoulli_distribution wrong(0.05);
    std::bernoulli_distribution category(0.5);
    std::uniform_int_distribution<int> item(1, maxItems);

    const SessionSequence sequence = sessionSequence({settings.Cat1p, settings.Cat2p, settings.Catsw, true, {}, {}});
    GeneratedRun run;
    ScoreTable scores;
    TrialResults results{};
    int blockNumber = 0;
    const char* labels[2][2] = {{"Flowers", "Insects"}, {"Pleasant", "Unpleasant"}};
    for (int half = 0; half < 2; ++half) {
        const auto& left = sequence.left[half];
        for (int b = 0; b < blocksPerHalf; ++b) {
            if (!sequence.runs[half][b])
                continue;
            const int trials = b == recordedBlock ? settings.nReal : settings.nPrac;
            for (int t = 0; t < trials; ++t) {
                TrialResult& r = results[t];
                r.trialNumber = t + 1;
                r.pair = b < 2 ? b : t % 2;
                r.category = category(random) ? 1 : 0;
                r.item = item(random);
                r.word.assign(std::string(labels[r.pair][r.category]).substr(0, 3) + std::to_string(r.item));
                r.latency = static_cast<int>(std::max(150.0, normal(random) + tail(random)));
                r.wrongResponses = wrong(random) ? 1 : 0;
                r.responseSide = r.category == left[r.pair] ? "l" : "r";
            }
            ++blockNumber;
            std::string lines;
            for (const std::string& line : formatDataLines(who, 1, settings, blockNumber, results, trials))
                lines += line;
            run.blocks.push_back(std::move(lines));
            if (b == recordedBlock)
                scores.scoreBlock(1, half + 1, results, trials, trials,
                                  {labels[0][left[0]], labels[0][1 - left[0]], labels[1][left[1]],
                                   labels[1][1 - left[1]]});
        }
    }
    scores.finish(1);
    run.logLine = formatSubjectLogLine(who, definition, scores);
    return run;
}

long peakKibibytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Writes the bytes as truv-results does; false, with the reason printed, when it cannot.
bool written(const std::string& path, const std::string& bytes)
{
    const WriteOutcome outcome = writeFileAtomically(path, bytes);
    if (!outcome)
        std::fprintf(stderr, "%s\n", outcome.error.c_str());
    return static_cast<bool>(outcome);
}

}  // namespace

int main(int argc, char** argv)
{
    const bool report = argc > 1 && std::string(argv[1]) == "--report";
    const int given = 1 + (report ? 1 : 0);
    const int runs = argc > given ? std::max(1, std::atoi(argv[given])) : 1000;
    // The report's charts are drawn by Qt, without a display, as truv-results does.
    if (report && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QApplication> application;
    if (report) {
        // Qt's notes (no runtime folder) are not figures; its errors are.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        });
        application = std::make_unique<QApplication>(argc, argv);
    }
    std::setlocale(LC_NUMERIC, "C");
    char pattern[] = "/tmp/truv-results-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string directory = pattern;
    const std::string dataPath = directory + "/bench.dat";

    SessionSettings settings;
    settings.Cat1.assign("flowers.wls");
    settings.Cat2.assign("pleasant.wls");
    settings.Cat2p = 1;
    settings.nPrac = 20;
    settings.nReal = 40;
    ExperimentDefinition definition;
    definition.sessionCount = 1;
    definition.sessions[0] = settings;
    definition.instructionFileName.assign("intro.bgi");
    if (const WriteOutcome input = writeInputFile(definition, directory + "/bench.inp"); !input)
        std::fprintf(stderr, "%s\n", input.error.c_str());
    writeWordListFile(listOf("Flowers", "Insects"), directory + "/flowers.wls");
    writeWordListFile(listOf("Pleasant", "Unpleasant"), directory + "/pleasant.wls");

    // Four computers at a time, each appending its run's blocks in turn; a run's log
    // line follows its last block.
    {
        std::ofstream data(dataPath, std::ios::binary);
        std::ofstream log(directory + "/bench.slg", std::ios::binary);
        data << dataFileHeader();
        log << subjectLogHeader(1);
        std::mt19937 random(20260309);
        for (int first = 0; first < runs; first += computers) {
            std::vector<GeneratedRun> batch;
            for (int c = 0; c < computers && first + c < runs; ++c)
                batch.push_back(generateRun(first + c, settings, definition, random));
            for (std::size_t b = 0; b < batch.front().blocks.size(); ++b)
                for (const GeneratedRun& run : batch)
                    data << run.blocks[b];
            for (const GeneratedRun& run : batch)
                log << run.logLine;
        }
    }

    const long before = peakKibibytes();
    const auto start = std::chrono::steady_clock::now();
    const StudyResults study = readStudy({dataPath}, {}, diskFiles());
    const StudySummary summary = summarizeStudy(study);
    const double seconds = secondsSince(start);
    const long afterReading = peakKibibytes();
    const auto exporting = std::chrono::steady_clock::now();
    std::size_t csvBytes = 0;
    bool ok = true;
    if (report) {
        // One file after the other, as truv-results writes them: the trials as they are
        // made, the summary whole.
        ok = writeTrialsCsv(directory + "/trials.csv", study).ok;
        const std::string summaryBytes = summaryCsv(study);
        ok = written(directory + "/summary.csv", summaryBytes) && ok;
        csvBytes = std::filesystem::file_size(directory + "/trials.csv") + summaryBytes.size();
    } else {
        csvBytes = trialsCsv(study).size() + summaryCsv(study).size();
    }
    const double exportSeconds = secondsSince(exporting);
    const long after = peakKibibytes();
    // The participants CSV: the participants found again, one row each.
    const auto participating = std::chrono::steady_clock::now();
    std::size_t participantsBytes = 0;
    if (report) {
        const std::string participants = participantsCsv(study);
        participantsBytes = participants.size();
        ok = written(directory + "/participants.csv", participants) && ok;
    } else {
        participantsBytes = participantsCsv(study).size();
    }
    const double participantsSeconds = secondsSince(participating);

    const double lines = static_cast<double>(study.linesRead);
    const auto size = std::filesystem::file_size(dataPath);
    std::printf("runs %zu (complete %d), data file %.1f MB, lines %lld\n", study.runs.size(),
                summary.runs - summary.incompleteRuns, static_cast<double>(size) / 1e6,
                static_cast<long long>(study.linesRead));
    std::printf("read and score: %.3f s, %.3f s per 100,000 lines\n", seconds, seconds / lines * 1e5);
    std::printf("CSV exports: %.3f s (%.1f MB)\n", exportSeconds, static_cast<double>(csvBytes) / 1e6);
    std::printf("participants CSV: %.3f s (%.2f MB, %d participants)\n", participantsSeconds,
                static_cast<double>(participantsBytes) / 1e6, summary.participants);
    std::printf("peak memory after reading: %ld KiB (%ld KiB before it), %.0f KiB per 100,000 lines\n", afterReading,
                before, static_cast<double>(afterReading) / lines * 1e5);
    std::printf("peak memory after the exports: %ld KiB\n", after);
    // The Psych-DS dataset: a CSV file per run and session, the description and the
    // materials, each written atomically.
    const auto dataset = std::chrono::steady_clock::now();
    const PsychDsOutcome psychDs = writePsychDs(directory + "/psych-ds", study, directory);
    if (!psychDs.written)
        std::fprintf(stderr, "%s\n", psychDs.written.error.c_str());
    ok = psychDs.written.ok && ok;
    std::printf("Psych-DS dataset: %.3f s (%zu data files)\n", secondsSince(dataset), psychDsDataFiles(study).size());
    if (report) {
        const auto drawing = std::chrono::steady_clock::now();
        std::size_t htmlBytes = 0;
        {
            const std::string html = reportHtml(study, summary);
            htmlBytes = html.size();
            ok = written(directory + "/report.html", html) && ok;
        }
        const double htmlSeconds = secondsSince(drawing);
        const long afterReport = peakKibibytes();
        std::printf("HTML report: %.3f s (%.1f MB, %zu runs with a section of their own)\n", htmlSeconds,
                    static_cast<double>(htmlBytes) / 1e6, runsWithSections(study).size());
        std::printf("peak memory after the report: %ld KiB\n", afterReport);
        std::printf("reading + CSV + HTML report, %d runs: %.2f s, peak memory %.0f MB\n", runs,
                    seconds + exportSeconds + htmlSeconds, static_cast<double>(afterReport) * 1024 / 1e6);
    }
    std::printf("problems: %zu\n", study.problems.size());

    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
    return ok ? 0 : 1;
}
