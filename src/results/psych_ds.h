#pragma once
// The study as a Psych-DS dataset, a folder of its own:
//
//   dataset_description.json  schema.org JSON-LD (UTF-8): "@context", "@type" Dataset,
//                             "name" (the stems of the runs' input files, joined with
//                             ", " in order of first appearance; "study" without a run),
//                             "description" (what the data are and which data files
//                             they were read from) and "variableMeasured", one
//                             PropertyValue with its name and meaning per column of the
//                             data files
//   data/                     study-<stem>_subject-<n>_session-<k>_data.csv, one per run
//                             and session: that session's rows of the trials CSV, the
//                             same columns and cells, texts raw (CsvTexts::Raw)
//   materials/                codebook.txt (run/codebook.h) and a copy, byte for byte, of
//                             each input file the runs name, under its own name
//
// File name values hold ASCII letters and digits only: the others are dropped from the
// input file's stem (its name without the last extension), and a stem left empty is
// "study". Runs are named in the study's order: where a name is taken already (the same
// stem, subject and session in an earlier run, or two stems that reduce to one), the
// later run's file gets "_run-<run id>" before "_data.csv"; the first keeps its plain name.
//
// The dataset goes to a new folder (its parent must exist), an empty one, or one holding
// a dataset truv-results wrote before: then the files of this dataset's names are
// written over, the data files of the old one that this one does not have are removed,
// and anything else is left as it is. Each file is written atomically.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"
#include "common/file_source.h"
#include "results/study_results.h"

// The value of a file name key: the text's ASCII letters and digits, the rest dropped.
std::string psychDsValue(std::string_view text);

// The study key's value of an input file name: its stem (the name after its last "/"
// or "\", without its last extension) as a value; "study" when that is empty.
std::string psychDsStudyValue(std::string_view inputFile);

struct PsychDsDataFile {
    std::size_t run = 0;      // the index in study.runs
    std::size_t session = 0;  // the index in the run's sessions
    std::string name;         // in data/
};
// The data files, one per run and session, in the study's order.
std::vector<PsychDsDataFile> psychDsDataFiles(const StudyResults& study);

// The text of dataset_description.json.
std::string psychDsDescription(const StudyResults& study);

// Every file the dataset in directory is made of, the input files' copies included.
std::vector<std::string> psychDsPaths(const std::string& directory, const StudyResults& study);

// Why the dataset must not be written to directory; "" when it may. It must not be,
// nor overwrite, a file the study is read from (outputOverwritesInput); it must be a
// folder or nothing yet; a folder with anything in it must hold a dataset truv-results
// wrote.
std::string psychDsRefusal(const std::string& directory, const StudyResults& study,
                           const FileSource& files = diskFiles());

struct PsychDsOutcome {
    WriteOutcome written;  // ok when every file was written; else the first failure
    // What is missing from a dataset written all the same: an input file not found,
    // or found under one name with other contents.
    std::vector<std::string> warnings;
};

// Writes the dataset, after psychDsRefusal (nothing is written when it refuses). The
// input files are looked for under their names, as on the data lines, in
// studyDirectory (when given), in the run's data file's folder and in the folders of
// the list files read, then at the path in the run's subject log line; the first
// regular file found is copied. A file that cannot be written does not stop the others.
PsychDsOutcome writePsychDs(const std::string& directory, const StudyResults& study,
                            const std::string& studyDirectory = {}, const FileSource& files = diskFiles());
