#pragma once
// The participants of a study, the subject numbers its runs share, and the subjects
// the user leaves out.
//
// A participant is a subject number, sex, other code and input file name (the input
// file compared by its name, inputFileNameOf), as the runs' data lines give them. Of
// a participant's runs the first complete one, in study order, counts: its sessions
// give the participant's scores in the study's summary, its scores chart and the
// participants CSV. A participant without a complete run counts with its first run,
// scored from its data lines. The other runs do not count; they stay in the table of
// runs and in the trials and summary CSV files.
//
// A subject number is reused (the run flag subject_number_reused, and a warning
// naming the other run):
//  - by a further complete run of a participant who has one already: that run, not
//    the one that counts, is flagged;
//  - by two runs with subject log lines of the same subject number and input file name
//    logged at different dates or times (the log's year, month, day, hour and minute),
//    whatever their sex and other code: both are flagged.
// An incomplete run of a participant who has a complete one is not flagged by the
// first rule (a stopped run that was run again is not a reused number), and without
// a subject log line it has no date for the second.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "results/study_results.h"

struct Participant {
    int subject = 0;
    std::string sex;
    std::string other;
    std::string inputFile;          // the input file's name
    std::vector<std::size_t> runs;  // indexes into study.runs, in study order
    std::size_t counted = 0;        // the index into study.runs of the run that counts
};

// The study's participants, in the order of their first runs.
std::vector<Participant> participantsOf(const StudyResults& study);

// Sets every run's subjectNumberReuse from the study's runs as they are now.
void settleParticipants(StudyResults& study);

// Subject numbers as the user lists them: numbers and ranges, "1-5,9".
struct SubjectList {
    std::vector<std::pair<int, int>> ranges;  // first and last, first <= last, as given
    bool empty() const { return ranges.empty(); }
    bool contains(int subject) const;
    bool operator==(const SubjectList&) const = default;
};

// Parses subject numbers (0 to maxSubjectNumber) and ranges of them ("3-7", the first
// not above the last) separated by commas, with spaces allowed around each: "1-5, 9".
// Returns nothing, with the reason in error, for anything else: an empty list or
// entry, a sign, a letter, a range that runs backwards, a number out of range.
std::optional<SubjectList> parseSubjectList(std::string_view text, std::string& error);

// Why a run of a subject the user left out is not in the summary and exports.
inline constexpr const char* leftOutReason = "left out by the user";

// Puts the runs left out before back among the study's runs, in id order, then moves
// the runs of the subjects listed to study.leftOut and settles the participants of
// the runs that stay. An empty list leaves every run in.
void leaveOutSubjects(StudyResults& study, const SubjectList& subjects);
