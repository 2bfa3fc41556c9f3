#include "results/results_options.h"

#include "common/command_line.h"
#include "results/results_reading.h"

const char* resultsUsageText()
{
    return R"(Usage: truv-results [options] DATAFILE...

Reads the data files (.dat) a study's runs wrote, with the subject log (.slg)
and the timing record (.timing.tsv) beside each, rebuilds the runs, scores their
sessions and shows the scores and plots. With --csv-trials, --csv-summary,
--csv-participants, --html or --psych-ds it writes those files and ends;
without any of them it opens its window, with the data files given already open.

A participant is a subject number, sex, other code and input file name. Of a
participant's runs the first complete one counts; the study's mean score and its
95 % interval are given per session number, over the participants.

Options:
  --study DIR         the study folder, where the list files (.wls) named on the
                      data lines are looked for (default: each data file's own
                      folder)
  --csv-trials FILE   writes one CSV row per trial slot, with its run's flags
                      (run_flags)
  --csv-summary FILE  writes one CSV row per run and session: the subject log's
                      figures, the score and the reasons for an exclusion, the
                      run's timing (onset_source, refresh_us, words_shown,
                      frames_missed, most_late_us, key_clock; empty without a
                      timing record) and its flags (incomplete, no_log_line,
                      log_differs, same_subject_at_once, subject_number_reused,
                      unknown_block, settings_changed, missed_frames)
  --csv-participants FILE
                      writes one CSV row per participant: for every session
                      number k, session<k>_score, session<k>_score_practice,
                      session<k>_score_recorded, session<k>_half1_mean_latency,
                      session<k>_half1_error_rate, session<k>_half1_n, the same
                      for half 2 and session<k>_excluded, from the run that
                      counts; then flags (of all its runs), runs and counted_run
  --exclude-subjects LIST
                      leaves the runs of these subjects out of every summary,
                      chart and export, listed as left out by the user; LIST is
                      numbers and ranges separated by commas, such as 1-5,9
  --csv-raw           writes the CSV texts exactly as they are, for analysis
                      scripts (R, pandas). Without it a text that begins with =, +,
                      -, @, a tab or a carriage return is written with an apostrophe
                      before it ('=A1), so that a spreadsheet shows it and never runs
                      it as a formula; numbers are never changed
  --pool-logs         lets a subject log line go to a run of any data file read;
                      without it a line goes only to a run of the data file
                      beside its subject log (or a rescue file of that run)
  --html FILE         writes the report: one HTML file with the summary, the
                      problems found, the table of runs and the plots of the study
                      and of up to 200 runs (those with flags first); it needs no
                      network and no other file
  --psych-ds DIR      writes the study as a Psych-DS dataset in the folder DIR:
                      dataset_description.json; data/, one CSV file per run and
                      session, named study-S_subject-N_session-K_data.csv (S the
                      input file's name without its extension, letters and digits
                      only), with the trials' columns and the texts as they are;
                      materials/, the codebook and the input files. DIR is made,
                      or must be empty or hold a dataset truv-results wrote
  --help              shows this text

The timing record tells per block how the words and keys were timed; runs
written before it existed have none, which is no problem. A .timing.tsv is
never read as a data file.

Problems found in the data (a malformed line, a run without its subject log
line, a timing record's row that goes with no run, frames missed, a subject
number used again) are printed to standard error as warnings; the files are
still written.
Without a display (DISPLAY and WAYLAND_DISPLAY empty) the files are written all
the same; only the window needs one.

Exit status:
  0  the files were written, or the window was closed
  1  a data file could not be read or a file could not be written, with the
     reason on standard error; or an output would overwrite a file the study is
     read from (a data file, a subject log, a timing record, a list file), and
     nothing was written; or no display for the window
  2  usage error: an unknown option, a missing value, no data file to write from,
     a timing record given as a data file, a malformed list of subjects
)";
}

namespace {

// An option naming a file or folder: given once, never empty.
CommandLineOption pathOption(std::string_view option, std::string& target)
{
    return {option, true, [&target](std::string_view name, const std::string& value) {
                if (value.empty())
                    return std::string(name) + " needs a value, not an empty one";
                if (!target.empty())
                    return std::string(name) + " is given twice";
                target = value;
                return std::string();
            }};
}

// Why the line cannot be carried out as it is; "" when it can.
std::string refusal(const ResultsCommandLine& line)
{
    if (line.csvRaw && line.trialsCsvPath.empty() && line.summaryCsvPath.empty() && line.participantsCsvPath.empty())
        return "--csv-raw needs --csv-trials, --csv-summary or --csv-participants";
    if (line.writesFiles() && line.dataFiles.empty())
        return "no data file to read";
    for (const std::string& data : line.dataFiles) {
        if (isTimingRecordPath(data))
            return data + " is " + timingRecordGivenText;
    }
    // A slip of the keyboard must not overwrite one output with another, nor the data.
    const std::vector<ExportRequest> exports = line.exports();
    for (auto a = exports.begin(); a != exports.end(); ++a) {
        for (auto b = a + 1; b != exports.end(); ++b) {
            if (a->path == b->path)
                return "two outputs go to the same file " + a->path;
        }
        for (const std::string& data : line.dataFiles) {
            if (a->path == data)
                return "an output would overwrite the data file " + data;
        }
    }
    // No other output goes among the dataset's files.
    if (!line.psychDsPath.empty()) {
        std::string folder = line.psychDsPath;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        for (const ExportRequest& e : exports) {
            if (e.kind != ResultsExport::PsychDs && e.path.starts_with(folder + "/"))
                return "an output would be written inside the Psych-DS dataset's folder " + line.psychDsPath;
        }
    }
    return {};
}

}  // namespace

std::vector<ExportRequest> ResultsCommandLine::exports() const
{
    std::vector<ExportRequest> requests;
    const CsvTexts texts = csvRaw ? CsvTexts::Raw : CsvTexts::SpreadsheetSafe;
    for (const auto& [kind, path] :
         {std::pair(ResultsExport::TrialsCsv, &trialsCsvPath), std::pair(ResultsExport::SummaryCsv, &summaryCsvPath),
          std::pair(ResultsExport::ParticipantsCsv, &participantsCsvPath), std::pair(ResultsExport::Html, &htmlPath),
          std::pair(ResultsExport::PsychDs, &psychDsPath)}) {
        if (!path->empty())
            requests.push_back({kind, *path, texts, studyDirectory});
    }
    return requests;
}

std::optional<ResultsCommandLine> parseResultsCommandLine(const std::vector<std::string>& args, std::string& error)
{
    ResultsCommandLine line;
    const std::vector<CommandLineOption> options = {
        flagOption("--help", line.help),
        flagOption("-h", line.help),
        flagOption("--csv-raw", line.csvRaw),
        flagOption("--pool-logs", line.poolLogs),
        pathOption("--study", line.studyDirectory),
        pathOption("--csv-trials", line.trialsCsvPath),
        pathOption("--csv-summary", line.summaryCsvPath),
        pathOption("--html", line.htmlPath),
        pathOption("--csv-participants", line.participantsCsvPath),
        {"--exclude-subjects", true,
         [&line](std::string_view name, const std::string& value) {
             if (value.empty())
                 return std::string(name) + " needs a value, not an empty one";
             if (!line.excludedSubjectsText.empty())
                 return std::string(name) + " is given twice";
             std::string why;
             const std::optional<SubjectList> subjects = parseSubjectList(value, why);
             if (!subjects)
                 return std::string(name) + ": " + why;
             line.excludedSubjects = *subjects;
             line.excludedSubjectsText = value;
             return std::string();
         }},
        pathOption("--psych-ds", line.psychDsPath),
    };
    error = parseCommandLine(args, options,
                             [&](const std::string& file) {
                                 line.dataFiles.push_back(file);
                                 return std::string();
                             },
                             {.doubleDashEndsOptions = true, .shortNameStopsAtEquals = true});
    if (error.empty() && !line.help)
        error = refusal(line);
    if (!error.empty())
        return std::nullopt;
    return line;
}
