#pragma once
// The input file: one experiment's instruction file, sessions and flags.

#include <array>
#include <string>
#include <string_view>

#include "common/bounded_text.h"
#include "common/file_io.h"
#include "common/file_source.h"
#include "common/problems.h"

inline constexpr int maxSessions = 9;
inline constexpr std::size_t listFileNameCapacity = 39;
inline constexpr std::size_t instructionFileNameCapacity = 40;
inline constexpr int maxDelay = 999;
inline constexpr int maxTrials = 100;

struct SessionSettings {
    BoundedText<listFileNameCapacity> Cat1;  // list file of category pair 1
    BoundedText<listFileNameCapacity> Cat2;  // list file of category pair 2
    int Cat1p = 0;                           // 0: categories in file order (aa-bb); 1: opposite (bb-aa)
    int Cat2p = 0;
    int Catsw = 1;   // 0: switch pair 1 at the midpoint; 1: switch pair 2
    int Delay = 0;   // inter-trial delay in milliseconds
    int nPrac = 20;  // trials in each practice block
    int nReal = 40;  // trials in each recorded block
};

struct ExperimentDefinition {
    BoundedText<instructionFileNameCapacity> instructionFileName;
    int sessionCount = 0;
    std::array<SessionSettings, maxSessions> sessions;
    int tutorialIncluded = 0;
    int editListsIncluded = 0;

    // What the reader had to cut or clamp, and values a run could not use. A run
    // refuses a definition that has problems.
    Problems problems;
};

// Parses the bytes of an input file; fileName only names the file in problems.
ExperimentDefinition parseInputFile(std::string_view bytes, const std::string& fileName);
// Reads the input file at path; a file that cannot be opened gives the defaults and
// a problem.
ExperimentDefinition readInputFile(const std::string& path, const FileSource& source = diskFiles());

// The file's bytes for a definition. Refuses (returns false with a reason) names
// that are empty, hold white space or exceed their capacity, and a session count
// outside 1 to 9: none of them would read back as written.
bool formatInputFile(const ExperimentDefinition& definition, std::string& bytes, std::string& reason);
// Formats and replaces the file at path atomically.
WriteOutcome writeInputFile(const ExperimentDefinition& definition, const std::string& path);
