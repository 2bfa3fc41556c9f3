#pragma once
// What truv-results makes of a study's data files and subject logs: the runs rebuilt
// from the data lines, each block's role worked out by the run's own block sequence,
// the subject log line of each run, the scores of each run's sessions, and the
// problems met on the way. Everything here is plain data, with the texts the problems
// name it by; the reading, scoring and exports are in results_reading.h,
// results_scores.h and results_exports.h.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A block's place in its session.
enum class BlockRole {
    PairOnePractice,   // pair 1 alone
    PairTwoPractice,   // pair 2 alone
    CombinedPractice,  // both pairs, practice
    CombinedRecorded,  // both pairs, recorded (the block the subject log scores)
    Unknown,           // the block numbers do not follow the session's sequence
};

// The name used in exports and the report: "pair1_practice", "pair2_practice",
// "combined_practice", "combined_recorded", "unknown".
const char* blockRoleName(BlockRole role);

// How a problem names whose run it is: "subject 4, sex f, other code x7, input file
// a.inp", the sex and the other code only when there are any.
std::string runSubjectText(int subject, const std::string& sex, const std::string& other, std::string_view inputFile);

// A count and its noun: "1 line", "2 lines".
std::string countedText(std::size_t count, const char* one, const char* many);

// One data line (one trial slot). Text fields are UTF-8 (decoded from Windows-1252).
struct TrialRecord {
    int lineNumber = 0;  // in its data file, 1 the header
    int trial = 0;       // Trial: 1 to trials; 99 unrun
    int pair = 0;        // Icat: 0 pair 1, 1 pair 2; 9 unrun
    int category = 0;    // Iscat: 0 the list file's first category, 1 its second; 9 unrun
    int itemNumber = 0;  // Inum
    std::string word;    // Item
    int latency = 0;     // Lat, milliseconds as recorded
    int errors = 0;      // Error: wrong responses before the correct one
    std::string key;     // Key: "l", "r"; "9" unrun
    bool unrun = false;  // the slot holds the unrun markers
};

// Fields 2 to 10 of a data line: the session's settings as the run read them.
struct SessionLineSettings {
    int session = 0;  // Sess, 1 to 9
    std::string Cat1;
    std::string Cat2;
    int Cat1p = 0;
    int Cat2p = 0;
    int Catsw = 0;
    int Delay = 0;
    int nPrac = 0;
    int nReal = 0;
    bool operator==(const SessionLineSettings&) const = default;
};

// A block's row of the timing record (run/data_format.h): how its words and keys were
// timed. Texts are UTF-8.
struct BlockTimingRecord {
    std::string file;             // the timing record's path
    int lineNumber = 0;           // 1 the header
    std::string onset;            // "X11 Present", "Wayland presentation" or "after drawing"
    int refreshMicroseconds = 0;  // 0: no refresh interval
    int wordsShown = 0;
    int framesMissed = 0;
    std::int64_t mostLateMicroseconds = 0;  // the largest presentation past its target
    std::string keyClock;                   // "X server", "CLOCK_MONOTONIC", ...; "handled": timed when handled
    std::optional<std::int64_t> keyCalibrationMicroseconds;  // the width of the key clock's calibration
};

struct BlockRecord {
    int number = 0;  // Block: the run's running block number
    int half = 0;    // 1 before the switch, 2 after it; 0 unknown
    BlockRole role = BlockRole::Unknown;
    // The left category of each pair in force (0 the list file's first category).
    std::array<int, 2> left{0, 0};
    std::string dataFile;  // the data file holding its lines (a run may go on in a rescue file)
    std::vector<TrialRecord> trials;
    std::optional<BlockTimingRecord> timing;  // its row of the timing record beside dataFile
};

// The subject log line of a run, as read.
struct SubjectLogHalf {
    int meanLatency = 0;
    int errorRate = 0;
    int n = 0;
};
struct SubjectLogSession {
    std::string CatsL;
    std::string CatsR;
    int CatSw = 0;
    std::array<SubjectLogHalf, 2> halves{};
};
struct SubjectLogRecord {
    std::string file;      // the subject log's path
    std::string dataFile;  // the data file (as read) whose subject log this is
    int lineNumber = 0;    // 1 the header
    int subject = 0;
    std::string sex;
    std::string other;
    std::string inputPath;                                   // InpFl as typed, directory included
    int month = 0, day = 0, year = 0, hour = 0, minute = 0;  // year: years since 1900
    std::vector<SubjectLogSession> sessions;
};

// The scores of one half as the subject log computes them (recorded block, trials
// from the third on, latencies recoded to 300..3000 ms).
struct HalfFigures {
    int meanLatency = 0;
    std::int64_t errorRate = 0;  // percent
    int n = 0;
    int trialsScored = 0;         // the trials the figures rest on (n is at least 1)
    std::string leftCombination;  // pair 1's left label "+" pair 2's left label
    std::string rightCombination;
};

// The standardized difference score of a session: for the combined practice blocks
// and for the combined recorded blocks separately, the mean latency of half 2 minus
// that of half 1 over the sample SD of all their trials; the score is the mean of the
// two. Positive: slower after the switch.
struct DifferenceScore {
    std::optional<double> practice;
    std::optional<double> recorded;
    std::optional<double> score;
    int trialsUsed = 0;     // of the four combined blocks, after dropping those over 10,000 ms
    int trialsDropped = 0;  // over 10,000 ms
    int trialsFast = 0;     // under 300 ms, among those used
    bool excluded = false;
    std::vector<std::string> exclusionReasons;  // why excluded, or why no score
};

struct SessionRecord {
    SessionLineSettings settings;
    std::vector<BlockRecord> blocks;  // in block number order
    // Category labels: [pair][category], category 0 the list file's first.
    std::array<std::array<std::string, 2>, 2> labels{};
    // "list file", "subject log", "list file and subject log" (one pair each) or ""
    // (none found).
    std::string labelSource;
    std::array<std::optional<HalfFigures>, 2> halves;  // no recorded block: nothing
    DifferenceScore difference;
    // Where the data lines' figures differ from the subject log's, one text each.
    std::vector<std::string> logDifferences;
};

struct RunRecord {
    int id = 0;             // 1, 2, ... in order of first appearance
    std::string dataFile;   // the data file's path
    int firstLine = 0;      // the run's first data line
    std::string inputFile;  // InpFl: the input file's name
    int subject = 0;
    std::string sex;
    std::string other;
    std::vector<SessionRecord> sessions;  // in session order
    std::optional<SubjectLogRecord> log;  // none: the run stopped or was killed
    bool complete = false;                // a subject log line was found
    std::vector<std::string> problems;    // about this run, for the report
    // What the problems found about the run's lines, for its flags (run_flags.h).
    bool linesMissing = false;       // a block of its sequence, or lines of one, are in no data file read
    bool sameSubjectAtOnce = false;  // its blocks alternate with those of a run of the same key
    bool settingsChanged = false;    // its lines of one session differ in Cat1 to nReal
    // Where its subject number is used by other runs as well (participants.h), one
    // text each; set by settleParticipants.
    std::vector<std::string> subjectNumberReuse;
};

struct StudyResults {
    std::vector<std::string> dataFiles;
    std::vector<std::string> listFiles;  // the list files read for the category labels
    std::vector<RunRecord> runs;
    // Problems with the files: "run1.dat:17: the line has 19 fields, 22 are expected".
    std::vector<std::string> problems;
    std::int64_t linesRead = 0;
    // The runs of the subjects the user left out (participants.h's leaveOutSubjects),
    // in id order: in no summary, chart or export, only listed as left out.
    std::vector<RunRecord> leftOut;
};
