#pragma once
// The rules of the subject information page: what its boxes start with, how its
// entries are checked on OK and in which order the messages replace each other,
// and the record they make.

#include <functional>
#include <optional>
#include <string>

#include "run/subject_record.h"
#include "common/text_codec.h"  // singleByteOnlyMessage

// The entries of the page as typed (UTF-8 from the boxes).
struct SubjectPageEntries {
    std::string inputPath;
    std::string dataPath;
    std::string subjectNumber;
    int sexIndex = -1;
    std::string otherCode;
    std::string dateText;
    std::string timeText;
};

// The three errors the page can show, each a flag; when several are set the last
// in this order is shown.
struct SubjectPageErrors {
    bool inputNotFound = false;
    bool wrongExtension = false;
    bool inputNameMissing = false;
    // A path that would tear the output files' lines: the message, shown last.
    std::string tornPath;
    bool any() const { return inputNotFound || wrongExtension || inputNameMissing || !tornPath.empty(); }
    // With inputNotFound: the path, and why the file there cannot be used ("exists,
    // but: Is a directory"); the reason is empty when nothing is there.
    std::string inputPath;
    std::string inputAbsence;
};

// The date and time texts of a run's start: month/day/years since 1900 ("3/30/98")
// and hour ": " minute ("14: 5"), without leading zeros.
std::string runDateText(const LocalDateTime& start);
std::string runTimeText(const LocalDateTime& start);

// The boxes before the first showing: the root directory in both path boxes, the
// run's date and time, subject number 0, no sex, no other code.
SubjectPageEntries initialSubjectEntries(const LocalDateTime& start);

// The data file proposed beside a browsed input file: its directory and "output.dat".
std::string proposedDataPath(const std::string& inputPath);

// True when the text after the last "." of the path is exactly "dat".
bool hasDataFileExtension(const std::string& dataPath);

// The checks of OK, in order: a named input file that is absent, an empty input
// path, a data path whose extension is not "dat", and a tab, carriage return or
// line feed in either path (the subject log holds the input path, and its own path
// follows the data file's). absenceReason, when given, says
// why an absent input file cannot be used (as fileAbsenceReason).
SubjectPageErrors checkSubjectEntries(const SubjectPageEntries& entries,
                                      const std::function<bool(const std::string&)>& exists,
                                      const std::function<std::string(const std::string&)>& absenceReason = {});

// The message line for the errors (the last set wins), or nothing when none is set
// (the line then keeps its text). An input file that is there but cannot be used
// adds a second line with its path and the reason.
std::optional<std::string> subjectPageMessage(const SubjectPageErrors& errors);

// When the data path names a symbolic link: what it points to and where the subject
// log goes (beside the path as typed, not beside the link's target), for the message
// line; nothing otherwise.
std::optional<std::string> dataLinkNote(const std::string& dataPath);

// The field checks of OK: the subject number an integer from 0 to 999, the other
// code at most 8 single-byte characters and the paths at most 255. Returns the
// standard message of the first field that fails.
std::optional<std::string> checkSubjectFields(const SubjectPageEntries& entries, int& subjectNumber);

// The record of valid entries, with its derived fields.
SubjectRecord makeSubjectRecord(const SubjectPageEntries& entries, int subjectNumber, const LocalDateTime& start);

// What OK on the page comes to, its checks in order: a field check that fails (its
// message, which the page shows in a message box), else the page's own errors (for
// its message line), else the record of the entries.
struct SubjectPageAcceptance {
    std::optional<std::string> fieldMessage;
    SubjectPageErrors errors;
    std::optional<SubjectRecord> record;
};
SubjectPageAcceptance acceptSubjectPage(const SubjectPageEntries& entries, const LocalDateTime& start,
                                        const std::function<bool(const std::string&)>& exists,
                                        const std::function<std::string(const std::string&)>& absenceReason = {});
