#pragma once
// How truv-results reads a study, and its command line: the data files to read, where
// their list files are, and which files to write. With no file to write, the program
// opens its window.

#include <optional>
#include <string>
#include <vector>

#include "results/participants.h"
#include "results/results_exports.h"

// How a study is read (readStudy), from the command line or the window.
struct ResultsOptions {
    // Where the list files are looked for; empty: each data file's own folder.
    std::string studyDirectory;
    // Whether a subject log line may go to a run of any data file read, not only to one
    // of the data file beside it (--pool-logs).
    bool poolLogs = false;
};

struct ResultsCommandLine {
    std::vector<std::string> dataFiles;  // in the order given
    std::string studyDirectory;          // --study; empty: each data file's own folder
    std::string trialsCsvPath;           // --csv-trials
    std::string summaryCsvPath;          // --csv-summary
    std::string participantsCsvPath;     // --csv-participants
    std::string htmlPath;                // --html
    std::string psychDsPath;             // --psych-ds: the dataset's folder
    bool csvRaw = false;                 // --csv-raw: the CSV texts as they are (CsvTexts::Raw)
    bool poolLogs = false;               // --pool-logs (ResultsOptions::poolLogs)
    bool help = false;
    // --exclude-subjects: the subjects whose runs are left out of every summary and
    // export (leaveOutSubjects); in the window, the list it starts with.
    SubjectList excludedSubjects;
    std::string excludedSubjectsText;  // as given

    // Whether any file is to be written: then the program writes and ends, no window.
    bool writesFiles() const
    {
        return !trialsCsvPath.empty() || !summaryCsvPath.empty() || !htmlPath.empty() || !participantsCsvPath.empty() ||
               !psychDsPath.empty();
    }
    // The files to write, in the order trials, summary, participants, report, Psych-DS
    // dataset.
    std::vector<ExportRequest> exports() const;
};

// Parses the arguments after the program name. Returns nothing, with the reason in
// error, for an unknown option, an option without its value or given twice, an empty
// value, a list to --exclude-subjects that parseSubjectList refuses, a value to
// --help or --csv-raw, --csv-raw without a CSV file to write, files
// to write without a data file to read, a timing record (.timing.tsv) given as a data
// file, one path given for two outputs or for an output and a data file, or an output
// inside the Psych-DS dataset's folder. "--" ends the options: what
// follows are data files, whatever they look like.
std::optional<ResultsCommandLine> parseResultsCommandLine(const std::vector<std::string>& args, std::string& error);

// The text of --help.
const char* resultsUsageText();
