#pragma once
// truv-check's study checker: every check by which a run refuses a study
// (study_files.h), made on every file at once instead of stopping at the first, and
// the warnings a careful experimenter wants before the first participant.

#include <string>
#include <vector>

#include "common/file_source.h"

struct Finding {
    enum class Kind { Problem, Warning };
    Kind kind = Kind::Problem;
    std::string text;
};

struct CheckedFile {
    std::string name;  // as the input file names it; the input file by its path
    std::vector<Finding> findings;
};

struct StudyReport {
    std::vector<CheckedFile> files;  // the input file first, then the files it names
    int problems = 0;
    int warnings = 0;
    // True when a run would go through: no problem, whatever the warnings.
    bool runnable() const { return problems == 0; }
};

// Checks the study whose input file is at inputPath.
StudyReport checkStudy(const std::string& inputPath, const FileSource& source = diskFiles());

// The report as the checker prints it, lines ending in "\n".
std::string formatStudyReport(const StudyReport& report);
