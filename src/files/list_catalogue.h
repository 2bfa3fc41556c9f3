#pragma once
// The list files one activity works with: every list file of a directory (for the
// session settings dialog) or the distinct list files an input file names (for a run).

#include <array>
#include <string>
#include <vector>

#include "files/word_list.h"

inline constexpr int catalogueCapacity = 18;
inline constexpr int errorMissingFile = 5;

enum class ListFileKind { WordList, Questionnaire };

// A name containing ".qls" or ".QLS" is a questionnaire file; otherwise (".wls",
// ".WLS" or neither) a word list file.
ListFileKind kindOfListFile(std::string_view name);

struct ListCatalog {
    std::array<BoundedText<listFileNameCapacity>, catalogueCapacity> requestedNames;
    int fileCount = 0;
    std::array<WordList, catalogueCapacity> files;
    int errorCode = 0;
    std::string missingPath;                // the last missing file
    std::vector<std::string> missingPaths;  // every missing file, in catalogue order

    // Catalogues the first 18 list files of directory: word list files first, then
    // questionnaire files, each in file-system order. Names with white space or
    // longer than 39 characters are left out before counting.
    void fillFromDirectory(const std::string& directory);

    // Loads the distinct files among the first 2 x sessionCount requestedNames,
    // looked up in inputDirectory. A missing file sets errorCode 5 and missingPath
    // (the last missing one); the others are still loaded.
    void loadForExperiment(int sessionCount, const std::string& inputDirectory, const FileSource& source = diskFiles());

    // The index of the held file with exactly this name, or -1.
    int indexOf(std::string_view name) const;
};
