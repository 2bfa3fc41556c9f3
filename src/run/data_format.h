#pragma once
// The lines of the data file (one per trial slot of every block run) and of the
// subject log (one per run): their columns, the markers of a slot without a response,
// and the writing and splitting of a line. The files themselves are appended to by
// output_files.h and read by results/results_lines.h.
//
// Both are tab-separated: every field is followed by a tab (the last one too), every
// line by CR LF. Texts are single-byte (Windows-1252). The formatting functions return
// a line's disk bytes, CR LF included.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "run/subject_record.h"
#include "files/input_file.h"
#include "task/block_engine.h"
#include "task/score_table.h"

// --- columns ---

// The data file's columns, in their order on a line; the names are the header's.
namespace dataColumn {
enum : std::size_t {
    InpFl,
    Sess,
    Cat1,
    Cat2,
    Cat1p,
    Cat2p,
    Catsw,
    Delay,
    nPrac,
    nReal,
    Sub,
    Sex,
    Other,
    Block,
    Trial,
    Icat,
    Iscat,
    Inum,
    Item,
    Lat,
    Error,
    Key,
    count
};
}  // namespace dataColumn
inline constexpr std::array<std::string_view, dataColumn::count> dataColumnNames = {
    "InpFl", "Sess",  "Cat1",  "Cat2",  "Cat1p", "Cat2p", "Catsw", "Delay", "nPrac", "nReal", "Sub",
    "Sex",   "Other", "Block", "Trial", "Icat",  "Iscat", "Inum",  "Item",  "Lat",   "Error", "Key"};

// The timing record's columns (one row per block run: how its words and keys were
// timed), the header's names with their units.
namespace timingColumn {
enum : std::size_t {
    InpFl,
    Sess,
    Sub,
    Sex,
    Other,
    Block,
    Onset,
    Refresh,
    Words,
    Missed,
    MostLate,
    KeyClock,
    KeyCalibration,
    count
};
}  // namespace timingColumn
inline constexpr std::array<std::string_view, timingColumn::count> timingColumnNames = {
    "InpFl",      "Sess",  "Sub",    "Sex",         "Other",    "Block",      "Onset",
    "Refresh_us", "Words", "Missed", "MostLate_us", "KeyClock", "KeyCalib_us"};

// The subject log's columns of the run, first on its line.
namespace logColumn {
enum : std::size_t { Sub, Sex, other, InpFl, Month, Day, Year, Hour, Min, count };
}  // namespace logColumn
inline constexpr std::array<std::string_view, logColumn::count> logColumnNames = {
    "Sub", "Sex", "other", "InpFl", "Month", "Day", "Year", "Hour", "Min"};

// The subject log's columns of each session, after the run's; the header names them
// with the session's number ("CatsL_1").
namespace sessionColumn {
enum : std::size_t { CatsL, CatsR, CatSw, FirstLat, FirstErr, FirstN, SecondLat, SecondErr, SecondN, count };
}  // namespace sessionColumn
inline constexpr std::array<std::string_view, sessionColumn::count> sessionColumnNames = {
    "CatsL", "CatsR", "CatSw", "1stLat", "1stErr", "1stN", "2ndLat", "2ndErr", "2ndN"};

// The field of a session's column (session from 1) on a subject log line.
constexpr std::size_t sessionField(std::size_t session, std::size_t column)
{
    return logColumn::count + (session - 1) * sessionColumn::count + column;
}

// The fields of a subject log line of a run of sessionCount sessions.
constexpr std::size_t subjectLogFieldCount(std::size_t sessionCount) { return sessionField(sessionCount + 1, 0); }

// A session column's name in the header: "CatsL_1".
std::string sessionColumnName(std::size_t session, std::size_t column);

// --- the slot without a response ---

// Every slot of a block holds these before the block starts: a slot never reached
// keeps them all, a slot on screen when the block was closed keeps its trial and item
// with the marked latency, errors and key.
struct UnrunMarkers {
    int trialNumber, pair, category, item;
    std::string_view word;
    int latency, wrongResponses;
    std::string_view key;
};
inline constexpr UnrunMarkers unrunMarkers{99, 9, 9, 99, "blank", 99999, 99, "9"};

// A slot as a block starts, all markers.
TrialResult unrunTrial();

// --- writing ---

// One line's fields, set by column in any order; line() writes them in the columns'
// order, each followed by a tab, then the line's end.
class LineWriter {
public:
    explicit LineWriter(std::size_t fieldCount) : fields_(fieldCount) {}
    void set(std::size_t column, std::string_view text) { fields_[column] = text; }
    void set(std::size_t column, int value) { fields_[column] = std::to_string(value); }
    std::string line() const;

private:
    std::vector<std::string> fields_;
};

std::string dataFileHeader();

// One data line: the run's and the session's settings (session 1 to 9, blockNumber
// the running block number), then the slot's trial as it stands, unrun markers
// included. The input file is named without its directory.
std::string formatDataLine(const SubjectRecord& subject, int session, const SessionSettings& settings, int blockNumber,
                           const TrialResult& trial);

// The lines of slots 0 to trials - 1 of a block.
std::vector<std::string> formatDataLines(const SubjectRecord& subject, int session, const SessionSettings& settings,
                                         int blockNumber, const TrialResults& results, int trials);

std::string timingRecordHeader();

// A block's row of the timing record: the run's keys (as on its data lines), the
// onset source, the refresh interval rounded to the microsecond (0 without one),
// words shown, frames missed, the largest lateness, the key clock and its
// calibration's width (empty where keys were timed when handled).
std::string formatTimingLine(const SubjectRecord& subject, int session, int blockNumber, const BlockTiming& timing);

// The subject log's header with the columns of each of sessionCount sessions.
std::string subjectLogHeader(int sessionCount);

// An error rate as the subject log writes it: the whole number as a floating-point
// value in the default stream format (7 reads "7").
std::string errorRateText(std::int64_t errorRate);

// The run's subject log line: the subject, the input path as typed, the run's start,
// then per session of the definition its half-1 combinations, Catsw + 1 and both
// halves' values from the finished score table.
std::string formatSubjectLogLine(const SubjectRecord& subject, const ExperimentDefinition& definition,
                                 const ScoreTable& scores);

// Why a path cannot be named in the output files or hold them: a tab, carriage return
// or line feed in it would tear the lines that carry it (the subject log holds the
// input path as typed) or split a file name a reader cuts at line ends. Nothing when
// it holds none.
std::optional<std::string> lineBreakInPath(const std::string& path);

// --- splitting ---

// The fields of a line, as views of it: at most Limit are kept, count tells how many
// the line has.
template <std::size_t Limit>
struct LineFields {
    std::array<std::string_view, Limit> at{};
    std::size_t count = 0;
};

// Splits a line given without its line feed: a CR before it is dropped, and so is the
// tab after the last field, which a line may also lack. An empty line is one empty
// field. Whatever its length, nothing past Limit fields is kept.
template <std::size_t Limit>
LineFields<Limit> splitLine(std::string_view line)
{
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    if (line.ends_with('\t'))
        line.remove_suffix(1);
    LineFields<Limit> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', from);
        const std::string_view field = line.substr(from, tab == std::string_view::npos ? line.npos : tab - from);
        if (fields.count < Limit)
            fields.at[fields.count] = field;
        ++fields.count;
        if (tab == std::string_view::npos)
            break;
        from = tab + 1;
    }
    return fields;
}
