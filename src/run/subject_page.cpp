#include "run/subject_page.h"

#include <sys/stat.h>
#include <unistd.h>

#include "run/output_files.h"

#include "common/field_checks.h"
#include "common/file_existence.h"
#include "common/file_io.h"
#include "common/text_codec.h"

std::string runDateText(const LocalDateTime& start)
{
    return std::to_string(start.month) + "/" + std::to_string(start.day) + "/" + std::to_string(start.year - 1900);
}

std::string runTimeText(const LocalDateTime& start)
{
    return std::to_string(start.hour) + ": " + std::to_string(start.minute);
}

SubjectPageEntries initialSubjectEntries(const LocalDateTime& start)
{
    SubjectPageEntries e;
    e.inputPath = "/";
    e.dataPath = "/";
    e.subjectNumber = "0";
    e.dateText = runDateText(start);
    e.timeText = runTimeText(start);
    return e;
}

std::string proposedDataPath(const std::string& inputPath) { return joinPath(directoryOf(inputPath), "output.dat"); }

bool hasDataFileExtension(const std::string& dataPath)
{
    const auto dot = dataPath.rfind('.');
    return dot != std::string::npos && dataPath.compare(dot + 1, std::string::npos, "dat") == 0;
}

SubjectPageErrors checkSubjectEntries(const SubjectPageEntries& entries,
                                      const std::function<bool(const std::string&)>& exists,
                                      const std::function<std::string(const std::string&)>& absenceReason)
{
    SubjectPageErrors errors;
    if (!entries.inputPath.empty() && !exists(entries.inputPath)) {
        errors.inputNotFound = true;
        errors.inputPath = entries.inputPath;
        if (absenceReason)
            errors.inputAbsence = absenceReason(entries.inputPath);
    }
    if (entries.inputPath.empty())
        errors.inputNameMissing = true;
    if (!hasDataFileExtension(entries.dataPath))
        errors.wrongExtension = true;
    for (const auto& [path, what] : {std::pair{&entries.inputPath, "the input file's path"},
                                     std::pair{&entries.dataPath, "the output file's path"}})
        if (const auto reason = lineBreakInPath(*path); reason && errors.tornPath.empty())
            errors.tornPath = "Error:  cannot use " + std::string(what) + ": " + *reason + ".";
    return errors;
}

std::optional<std::string> subjectPageMessage(const SubjectPageErrors& errors)
{
    std::optional<std::string> message;
    if (errors.inputNotFound) {
        message = "Error:  could not find specified input file.";
        if (!errors.inputAbsence.empty())
            *message += "\n" + pathWithReason(errors.inputPath, errors.inputAbsence);
    }
    if (errors.wrongExtension)
        message = "Error:  you need to specify an output file (*.dat).";
    if (errors.inputNameMissing)
        message = "Error:  you need to write an input file name.";
    if (!errors.tornPath.empty())
        message = errors.tornPath;
    return message;
}

std::optional<std::string> dataLinkNote(const std::string& dataPath)
{
    struct stat info {};
    if (dataPath.empty() || ::lstat(dataPath.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return std::nullopt;
    std::string target(4096, '\0');
    const ssize_t length = ::readlink(dataPath.c_str(), target.data(), target.size());
    target.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return "Note:  the output file is a symbolic link to " + target +
           ";\nthe subject log goes beside the link: " + subjectLogPathFor(dataPath);
}

namespace {

// Limits count single bytes; a character without a single-byte form cannot be
// stored at all (the boxes refuse it as it is typed; this guards pasted text).
std::optional<std::string> checkLength(const std::string& text, std::size_t capacity)
{
    const auto bytes = utf8ToWindows1252(text);
    if (!bytes)
        return std::string(singleByteOnlyMessage);
    return checkTextLength(*bytes, capacity);
}

}  // namespace

std::optional<std::string> checkSubjectFields(const SubjectPageEntries& entries, int& subjectNumber)
{
    if (auto message = checkIntegerField(entries.subjectNumber, 0, maxSubjectNumber, subjectNumber))
        return message;
    for (const auto& [text, capacity] :
         {std::pair{&entries.inputPath, subjectPagePathCapacity}, std::pair{&entries.dataPath, subjectPagePathCapacity},
          std::pair{&entries.otherCode, otherCodeCapacity}}) {
        if (auto message = checkLength(*text, capacity))
            return message;
    }
    return std::nullopt;
}

SubjectRecord makeSubjectRecord(const SubjectPageEntries& entries, int subjectNumber, const LocalDateTime& start)
{
    SubjectRecord r;
    r.subjectNumber = subjectNumber;
    r.sexIndex = entries.sexIndex;
    r.sexCode = entries.sexIndex == 0 ? "m" : entries.sexIndex == 1 ? "f" : "";
    r.otherCode = utf8ToWindows1252(entries.otherCode).value_or(std::string());
    r.dateText = entries.dateText;
    r.timeText = entries.timeText;
    r.start = start;
    r.inputPath = entries.inputPath;
    r.dataPath = entries.dataPath;
    r.inputName = fileNameOf(entries.inputPath);
    r.subjectLogPath = subjectLogPathFor(entries.dataPath);
    r.timingPath = timingRecordPathFor(entries.dataPath);
    return r;
}

SubjectPageAcceptance acceptSubjectPage(const SubjectPageEntries& entries, const LocalDateTime& start,
                                        const std::function<bool(const std::string&)>& exists,
                                        const std::function<std::string(const std::string&)>& absenceReason)
{
    SubjectPageAcceptance acceptance;
    int number = 0;
    acceptance.fieldMessage = checkSubjectFields(entries, number);
    if (acceptance.fieldMessage)
        return acceptance;
    acceptance.errors = checkSubjectEntries(entries, exists, absenceReason);
    if (!acceptance.errors.any())
        acceptance.record = makeSubjectRecord(entries, number, start);
    return acceptance;
}
