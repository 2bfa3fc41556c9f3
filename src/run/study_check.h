#pragma once
// The checks that decide, before the participant sees anything, whether a study can
// be run: its input file, the list files it names, its instruction file and its
// questionnaires. A run makes them one at a time and stops at the first that fails;
// the study checker makes every one of them, with the same functions, and adds the
// warnings a careful experimenter wants before the first participant.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/file_source.h"
#include "files/input_file.h"
#include "files/list_catalogue.h"

inline constexpr const char* missingFileMessage =
    "Error:  Program cannot continue because a file specified in the input file has not been found.  Please check "
    "that the following file directory and file name are correct: ";
inline constexpr const char* unusableInputMessage =
    "Error:  Program cannot continue because the input file or a file it names cannot be used:";

// Why a run stops: the run's message, and below it the path or the problems.
struct Refusal {
    std::string message;
    std::string detail;
};

// A study as the run loads it before it starts.
struct StudyFiles {
    std::string inputPath;
    std::string inputDirectory;
    ExperimentDefinition definition;
    int sessionCount = 0;  // the definition's count kept within 1 to 9
    ListCatalog catalog;
    // The catalogue file of each session's category pairs.
    std::array<std::array<int, 2>, maxSessions> listIndex{};

    const SessionSettings& session(int s) const { return definition.sessions[s]; }
    const WordList& listOf(int s, int p) const { return catalog.files[listIndex[s][p]]; }
    std::string instructionFilePath() const;
};

// Entries in use (the label included) of every session's categories, indexed
// [session][pair][0 for the file's first category, 1 for its second].
using CategoryCounts = std::array<std::array<std::array<int, 2>, 2>, maxSessions>;

// Reads the input file at inputPath; refuses a definition that has problems.
std::optional<Refusal> loadDefinition(StudyFiles& study, const std::string& inputPath,
                                      const FileSource& source = diskFiles());
// Loads the distinct list files of the sessions (questionnaires: their labels) and
// maps each session pair to its file. Refuses a missing file (the last one missing)
// and lists the readers had to cut or clamp.
std::optional<Refusal> loadStudyLists(StudyFiles& study, const FileSource& source = diskFiles());
// The counts of the lists as loaded.
CategoryCounts loadedCounts(const StudyFiles& study);

// A category without items: a block draws from items 1 to the smallest entry count
// less one, so every category needs an entry count of at least 2. Questionnaire pairs
// hold only labels until their questionnaires have run, and count only once filled.
struct ItemShortage {
    std::string fileName;
    std::string text;
};
std::vector<ItemShortage> itemShortages(const StudyFiles& study, const CategoryCounts& counts,
                                        bool questionnairesFilled);
std::optional<Refusal> shortageRefusal(const std::vector<ItemShortage>& shortages);

std::optional<Refusal> instructionFileRefusal(const StudyFiles& study, const FileSource& source = diskFiles());

// --- the study checker ---

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
