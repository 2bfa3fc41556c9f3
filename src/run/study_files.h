#pragma once
// The study files a run refuses: before the participant sees anything, the run reads
// the input file, the list files it names, its instruction file and its
// questionnaires, one at a time, and stops at the first that fails. The study checker
// (study_check.h) makes every one of these checks with the same functions.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/file_source.h"
#include "files/input_file.h"
#include "files/list_catalogue.h"
#include "instructions/instruction_pages.h"

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
    // The folder of inputPath, where the files it names are looked for: set by
    // loadDefinition, the run's and the checker's one copy.
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

// What stops a run in an instruction file that is there (file, opened from path):
// a file not read as saved, and more pages than the run shows.
Problems instructionFileProblems(const InstructionFileRun& file, const std::string& path);
std::optional<Refusal> instructionFileRefusal(const StudyFiles& study, const FileSource& source = diskFiles());
