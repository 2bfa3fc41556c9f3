#pragma once
// The lines of a study's data files and subject logs (laid out by run/data_format.h),
// split into their fields and checked: every number is parsed without overflow and
// held to the range a run writes, every text to its length. A line that does not fit
// is refused with the reason, a sentence without the file's name and line number.

#include <cstddef>
#include <string>
#include <string_view>

#include "results/study_results.h"

// A run's largest running block number: four blocks per half of every session.
inline constexpr int maxBlockNumber = 9 * 8;
// The longest line read: far more than any data or subject log line a run writes
// (under 2 KB); a longer one is malformed, and its bytes are not kept.
inline constexpr std::size_t maxLineBytes = 64 * 1024;

enum class LineKind {
    Record,     // a line of the file's own kind, checked
    Header,     // the file's header (repeated where files were joined)
    Blank,      // nothing but white space
    Malformed,  // refused: reason says why
};

// One data line as it stands in the file: texts are views of its Windows-1252 bytes.
struct DataLine {
    // Fields 1 to 14 with their tabs. Lines with equal heads belong to the same input
    // file, subject, sex, other code, session settings and block number.
    std::string_view head;
    std::string_view inputFile;
    std::string_view Cat1;
    std::string_view Cat2;
    std::string_view sex;
    std::string_view other;
    std::string_view word;
    std::string_view key;
    int session = 0, Cat1p = 0, Cat2p = 0, Catsw = 0, Delay = 0, nPrac = 0, nReal = 0;
    int subject = 0, block = 0;
    int trial = 0, pair = 0, category = 0, item = 0, latency = 0, errors = 0;
    // The slot holds no response (key "9"): never reached, or on screen when the block
    // was closed.
    bool unrun = false;
};

// Splits and checks one data line, given without its line feed (split as
// run/data_format.h's splitLine does).
LineKind parseDataLine(std::string_view line, DataLine& out, std::string& reason);

// Splits and checks one subject log line, given like a data line; its texts are
// decoded to UTF-8. file and lineNumber are left to the caller.
LineKind parseSubjectLogLine(std::string_view line, SubjectLogRecord& out, std::string& reason);

// One row of the timing record, checked, its texts decoded to UTF-8: the run's keys
// as on its data lines, the block's number and how the block was timed.
struct TimingRow {
    std::string inputFile;
    int session = 0;
    int subject = 0;
    std::string sex;
    std::string other;
    int block = 0;
    BlockTimingRecord timing;  // file and lineNumber left to the caller
};

// Splits and checks one timing record row, given like a data line. A line that starts
// like the header but is not this version's header is malformed.
LineKind parseTimingLine(std::string_view line, TimingRow& out, std::string& reason);

// The input file's name in a path as typed: the part after its last "/" or "\".
std::string_view inputFileNameOf(std::string_view path);

// Windows-1252 bytes as UTF-8 (ASCII text is copied as it is).
std::string decodedText(std::string_view bytes);
