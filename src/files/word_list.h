#pragma once
// The word list file: one category pair, each category a label and up to 18 items.

#include <array>
#include <string>
#include <string_view>

#include "common/bounded_text.h"
#include "common/file_io.h"
#include "common/file_source.h"
#include "common/problems.h"
#include "files/input_file.h"

inline constexpr std::size_t entryCapacity = 15;  // characters of a label or item
inline constexpr int maxEntries = 19;             // label and 18 items
inline constexpr int maxItems = 18;

using Entry = BoundedText<entryCapacity>;
using Entries = std::array<Entry, maxEntries>;

struct WordList {
    BoundedText<listFileNameCapacity> fileName;  // without directory
    bool isQuestionnaire = false;
    Entries entriesA;  // entry 0 the label, entries 1 to 18 the items
    Entries entriesB;
    int entryCountA = 0;  // entries in use, the label included
    int entryCountB = 0;
    // The line of the word list file each entry was read from, counted from 1; 0
    // for an entry not read from a word list file.
    std::array<int, maxEntries> linesA{};
    std::array<int, maxEntries> linesB{};

    // What the reader had to cut or clamp. A run refuses a list that has problems.
    Problems problems;
};

// Parses a word list file into list (name and kind are left to the caller).
void parseWordListFile(std::string_view bytes, const std::string& fileName, WordList& list);
void readWordListFile(const std::string& path, WordList& list, const FileSource& source = diskFiles());

// Sets both counts to 1 and takes the two labels from the head of a questionnaire
// file; marks the list as a questionnaire.
void parseQuestionnaireLabels(std::string_view bytes, const std::string& fileName, WordList& list);
void readQuestionnaireLabels(const std::string& path, WordList& list, const FileSource& source = diskFiles());

// The file's bytes: the counts, label A, the non-empty items of A, label B, the
// non-empty items of B. Refuses counts outside 1 to 19 or not matching the
// non-empty items, empty labels, and entries with white space.
bool formatWordListFile(const WordList& list, std::string& bytes, std::string& reason);
WriteOutcome writeWordListFile(const WordList& list, const std::string& path);
