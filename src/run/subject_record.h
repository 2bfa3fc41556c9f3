#pragma once
// The subject information page's result: who the participant is and which files
// the run reads and writes. Held by the run for its whole length.

#include <string>

#include "platform/platform.h"

inline constexpr int maxSubjectNumber = 999;
inline constexpr std::size_t otherCodeCapacity = 8;
// Paths on the page: ordinary Linux paths are longer than the 40 characters of
// the stored names.
inline constexpr std::size_t subjectPagePathCapacity = 255;

// Paths hold the file system's own bytes (UTF-8 on Linux), so that they open the
// files they name; the page accepts only characters that also have a single-byte
// form, so a path can always be written into the subject log. The other code is
// single-byte text.
struct SubjectRecord {
    int subjectNumber = 0;       // 0 to 999
    int sexIndex = -1;           // -1 none, 0 Male, 1 Female
    std::string sexCode;         // "m", "f" or empty
    std::string otherCode;       // at most 8 characters
    std::string dateText;        // shown on the page; month/day/years since 1900
    std::string timeText;        // shown on the page; hour ": " minute
    LocalDateTime start;         // the run's start, for the subject log's date fields
    std::string inputPath;       // full path of the input file, as typed
    std::string dataPath;        // full path of the data file
    std::string inputName;       // the part of inputPath after its last "/"
    std::string subjectLogPath;  // subjectLogPathFor(dataPath)
    std::string timingPath;      // timingRecordPathFor(dataPath)
};

// The subject log's path for a data file path: the data path without its last four
// characters (".dat"), followed by ".slg". A path shorter than that loses all of itself.
inline std::string subjectLogPathFor(const std::string& dataPath)
{
    return dataPath.substr(0, dataPath.size() >= 4 ? dataPath.size() - 4 : 0) + ".slg";
}

// The timing record's path, derived as the subject log's: the data path without its
// last four characters, followed by ".timing.tsv".
inline std::string timingRecordPathFor(const std::string& dataPath)
{
    return dataPath.substr(0, dataPath.size() >= 4 ? dataPath.size() - 4 : 0) + ".timing.tsv";
}
