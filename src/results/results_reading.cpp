#include "results/results_reading.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <set>

#include "common/file_io.h"
#include "results/block_assembly.h"
#include "results/category_labels.h"
#include "results/log_matching.h"
#include "results/participants.h"
#include "results/results_lines.h"
#include "results/results_scores.h"
#include "results/timing_record.h"
#include "run/subject_record.h"

namespace {

// Malformed lines reported one by one per file; the rest are counted.
constexpr int malformedLinesShown = 100;
// Bytes parsed between two progress reports.
constexpr std::int64_t progressStep = 256 * 1024;
// The buffer a file is read through; it holds at least one line of the longest.
constexpr std::size_t lineBufferBytes = 256 * 1024;
static_assert(lineBufferBytes > 2 * maxLineBytes);

// The lines of a stream, read through a buffer of a fixed size, so that reading
// takes no more memory however large the file. A line is given without its line
// feed, the last one also without one. A line longer than maxLineBytes is not kept:
// it is given as too long and skipped to its end.
class LineReader {
public:
    enum class Result { Line, TooLong, End, Failed };

    explicit LineReader(FileStream& stream) : stream_(stream), buffer_(lineBufferBytes) {}

    // The next line, valid until the next call.
    Result next(std::string_view& line)
    {
        bool tooLong = false;
        for (;;) {
            char* data = buffer_.data();
            const auto* feed = static_cast<const char*>(std::memchr(data + begin_, '\n', end_ - begin_));
            if (feed != nullptr || (ended_ && !failed_ && (begin_ < end_ || tooLong))) {
                const std::size_t stop = feed != nullptr ? static_cast<std::size_t>(feed - data) : end_;
                line = std::string_view(data + begin_, stop - begin_);
                tooLong = tooLong || line.size() > maxLineBytes;
                consumed_ += static_cast<std::int64_t>(std::min(stop + 1, end_) - begin_);
                begin_ = std::min(stop + 1, end_);
                return tooLong ? Result::TooLong : Result::Line;
            }
            if (ended_)
                return failed_ ? Result::Failed : Result::End;
            if (end_ - begin_ > maxLineBytes) {
                // No line feed within the longest line: what is held is dropped.
                consumed_ += static_cast<std::int64_t>(end_ - begin_);
                begin_ = end_ = 0;
                tooLong = true;
            }
            if (begin_ > 0) {
                std::memmove(data, data + begin_, end_ - begin_);
                end_ -= begin_;
                begin_ = 0;
            }
            const std::int64_t n = stream_.read(data + end_, buffer_.size() - end_, error_);
            if (n <= 0) {
                ended_ = true;
                failed_ = n < 0;
            } else {
                end_ += static_cast<std::size_t>(n);
            }
        }
    }

    // The bytes of the lines given so far, their line feeds included.
    std::int64_t consumed() const { return consumed_; }
    // Why the stream could not be read on, after Failed.
    const std::string& error() const { return error_; }

private:
    FileStream& stream_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // the bytes held but not given: begin_ to end_
    std::size_t end_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    std::int64_t consumed_ = 0;
    std::string error_;
};

class StudyReader {
public:
    StudyReader(const ResultsOptions& options, const FileSource& files, const ReadingProgress& progress)
        : options_(options), files_(files), progress_(progress)
    {
    }

    StudyResults read(const std::vector<std::string>& dataFiles);

private:
    enum class Kind { Data, Log, Timing };
    struct InputFile {
        std::string path;
        Kind kind = Kind::Data;
        std::string dataFile;  // of a subject log or a timing record: the data file's path as read
    };

    void findFiles(const std::vector<std::string>& dataFiles);
    void findTimingRecords(const std::string& path, const std::string& dataFile);
    bool takeFile(const InputFile& file, const StreamOutcome& opened);
    template <typename Take>
    std::int64_t readLines(const InputFile& file, Take take);
    // The records of a file read with parse(text, record, reason): headers and blank
    // lines skipped, malformed lines reported, each record given to keep with its line.
    template <typename Record, typename Parse, typename Keep>
    std::int64_t readRecords(const InputFile& file, Parse parse, Keep keep);
    std::int64_t parseDataFile(const InputFile& file);
    std::int64_t parseLog(const InputFile& file);
    std::int64_t parseTimingRecord(const InputFile& file);
    void malformed(const std::string& path, int line, const std::string& reason, int& count);
    void reportProgress(std::int64_t done);

    const ResultsOptions& options_;
    const FileSource& files_;
    const ReadingProgress& progress_;

    StudyResults study_;
    std::vector<InputFile> inputs_;
    std::map<std::string, std::string> taken_;  // the path each file was taken by, by its key
    std::int64_t totalBytes_ = 0;
    std::int64_t doneBytes_ = 0;
    std::int64_t lastReported_ = -1;

    BlockAssembly blocks_{study_.problems};
    std::vector<SubjectLogRecord> logLines_;
    std::vector<TimingRowRead> timingRows_;
    std::vector<std::string> withTimingRecord_;  // data files
};

StudyResults StudyReader::read(const std::vector<std::string>& dataFiles)
{
    findFiles(dataFiles);
    reportProgress(0);
    for (const InputFile& file : inputs_) {
        doneBytes_ += file.kind == Kind::Log      ? parseLog(file)
                      : file.kind == Kind::Timing ? parseTimingRecord(file)
                                                  : parseDataFile(file);
        reportProgress(0);
    }
    study_.runs = blocks_.takeRuns();

    CategoryLabels labels(options_.studyDirectory, files_, study_.listFiles);
    for (RunRecord& run : study_.runs) {
        labels.fromLists(run);
        scoreFigures(run);
    }
    matchLogLines(study_.runs, logLines_, options_.poolLogs, study_.problems);
    for (RunRecord& run : study_.runs) {
        if (run.log)
            CategoryLabels::fromLog(run);
        for (std::string& difference : finishScores(run))
            run.problems.push_back(std::move(difference));
        labels.reportUnknown(run);
    }
    matchTimingRows(study_.runs, timingRows_, withTimingRecord_, study_.problems);
    return std::move(study_);
}

// Finds every data file and the subject logs and timing records beside it, and their
// sizes, so that the progress knows the total before any is parsed. A file is read
// once, under whichever of its names it comes first.
void StudyReader::findFiles(const std::vector<std::string>& dataFiles)
{
    std::set<std::string> given;
    for (const std::string& path : dataFiles) {
        if (!given.insert(path).second) {
            study_.problems.push_back(fileNameOf(path) + ": the file is given more than once; it was read once");
            continue;
        }
        if (isTimingRecordPath(path)) {
            study_.problems.push_back(fileNameOf(path) + ": " + timingRecordGivenText);
            continue;
        }
        study_.dataFiles.push_back(path);
        const StreamOutcome opened = files_.openStream(path);
        std::string readAs = path;
        if (!takeFile({path, Kind::Data, {}}, opened)) {
            study_.problems.push_back(fileNameOf(path) + ": the same file as a data file given before it; it was read "
                                                         "once");
            readAs = taken_[files_.fileKey(path)];
        }
        if (opened.stream)
            findTimingRecords(path, readAs);
        const std::vector<std::string> logs = subjectLogPathsFor(path, files_);
        bool found = false;
        for (const std::string& log : logs) {
            if (log == path)
                continue;
            const StreamOutcome opened = files_.openStream(log);
            if (opened.missing)
                continue;
            if (!opened.stream) {
                study_.problems.push_back(opened.error);
                continue;
            }
            takeFile({log, Kind::Log, readAs}, opened);
            found = true;
        }
        if (!found) {
            std::string where = "no subject log " + fileNameOf(logs.front()) + " beside it";
            if (logs.size() > 1)
                where += ", nor " + logs.back() + " beside the file it links to";
            study_.problems.push_back(fileNameOf(path) + ": " + where +
                                      ": its runs count as incomplete unless another log has their lines");
        }
    }
}

// The timing records beside the data file reached by path, read for the data file read
// as dataFile. None is no problem: older runs wrote none.
void StudyReader::findTimingRecords(const std::string& path, const std::string& dataFile)
{
    for (const std::string& record : timingRecordPathsFor(path, files_)) {
        const StreamOutcome opened = files_.openStream(record);
        if (opened.missing)
            continue;
        if (takeFile({record, Kind::Timing, dataFile}, opened) && opened.stream &&
            std::find(withTimingRecord_.begin(), withTimingRecord_.end(), dataFile) == withTimingRecord_.end())
            withTimingRecord_.push_back(dataFile);
    }
}

// Takes an opened file to be read, unless it was taken already under another name
// (false). A file that cannot be read is a problem.
bool StudyReader::takeFile(const InputFile& file, const StreamOutcome& opened)
{
    if (!opened.stream) {
        study_.problems.push_back(opened.error);
        return true;
    }
    const std::string key = files_.fileKey(file.path);
    if (!key.empty() && !taken_.try_emplace(key, file.path).second)
        return false;
    totalBytes_ += opened.size;
    inputs_.push_back(file);
    return true;
}

// Reads the file line by line, handing each line with its number to take. A line
// longer than any of the file's kind is reported as malformed; a read that fails
// ends the file, with the problem. Returns the bytes read.
template <typename Take>
std::int64_t StudyReader::readLines(const InputFile& file, Take take)
{
    const StreamOutcome opened = files_.openStream(file.path);
    if (!opened.stream) {
        study_.problems.push_back(opened.error);
        return 0;
    }
    LineReader lines(*opened.stream);
    int malformedCount = 0;
    int lineNumber = 0;
    std::int64_t nextReport = progressStep;
    std::string_view text;
    for (;;) {
        const LineReader::Result result = lines.next(text);
        if (result == LineReader::Result::End)
            break;
        if (result == LineReader::Result::Failed) {
            study_.problems.push_back(lines.error() + "; the lines after line " + std::to_string(lineNumber) +
                                      " were not read");
            break;
        }
        if (lineNumber == INT_MAX) {
            study_.problems.push_back(fileNameOf(file.path) + ": the file has more than " + std::to_string(INT_MAX) +
                                      " lines; the lines after them were not read");
            break;
        }
        ++lineNumber;
        if (file.kind == Kind::Data)
            ++study_.linesRead;
        if (lines.consumed() >= nextReport) {
            reportProgress(lines.consumed());
            nextReport = lines.consumed() + progressStep;
        }
        if (result == LineReader::Result::TooLong)
            malformed(file.path, lineNumber, "the line is longer than " + std::to_string(maxLineBytes) + " bytes",
                      malformedCount);
        else
            take(text, lineNumber, malformedCount);
    }
    if (malformedCount > malformedLinesShown)
        study_.problems.push_back(fileNameOf(file.path) + ": " +
                                  countedText(static_cast<std::size_t>(malformedCount - malformedLinesShown),
                                              "more malformed line", "more malformed lines") +
                                  " after these");
    return lines.consumed();
}

void StudyReader::reportProgress(std::int64_t done)
{
    if (!progress_)
        return;
    const std::int64_t now = std::min(doneBytes_ + done, totalBytes_);
    if (now == lastReported_)
        return;
    lastReported_ = now;
    progress_(now, totalBytes_);
}

void StudyReader::malformed(const std::string& path, int line, const std::string& reason, int& count)
{
    if (++count <= malformedLinesShown)
        study_.problems.push_back(fileNameOf(path) + ":" + std::to_string(line) + ": " + reason);
}

std::int64_t StudyReader::parseDataFile(const InputFile& file)
{
    DataLine line;
    std::string reason;
    const std::int64_t bytes = readLines(file, [&](std::string_view text, int lineNumber, int& malformedCount) {
        switch (parseDataLine(text, line, reason)) {
        case LineKind::Header:
            // Where files were joined: what follows was appended on its own.
            blocks_.endBlock(file.path);
            return;
        case LineKind::Blank:
            return;
        case LineKind::Malformed:
            malformed(file.path, lineNumber, reason, malformedCount);
            return;
        case LineKind::Record:
            break;
        }
        blocks_.addLine(line, lineNumber, file.path);
    });
    blocks_.endBlock(file.path);
    return bytes;
}

template <typename Record, typename Parse, typename Keep>
std::int64_t StudyReader::readRecords(const InputFile& file, Parse parse, Keep keep)
{
    std::string reason;
    return readLines(file, [&](std::string_view text, int lineNumber, int& malformedCount) {
        Record record;
        switch (parse(text, record, reason)) {
        case LineKind::Header:
        case LineKind::Blank:
            return;
        case LineKind::Malformed:
            malformed(file.path, lineNumber, reason, malformedCount);
            return;
        case LineKind::Record:
            break;
        }
        keep(std::move(record), lineNumber);
    });
}

std::int64_t StudyReader::parseLog(const InputFile& file)
{
    return readRecords<SubjectLogRecord>(file, parseSubjectLogLine, [&](SubjectLogRecord record, int lineNumber) {
        record.file = file.path;
        record.dataFile = file.dataFile;
        record.lineNumber = lineNumber;
        logLines_.push_back(std::move(record));
    });
}

std::int64_t StudyReader::parseTimingRecord(const InputFile& file)
{
    return readRecords<TimingRow>(file, parseTimingLine, [&](TimingRow row, int lineNumber) {
        row.timing.file = file.path;
        row.timing.lineNumber = lineNumber;
        timingRows_.push_back({std::move(row), file.dataFile});
    });
}

// The files derived from a data file's path (its subject log, its timing record): where
// the run wrote them beside the path, and, when the path is a symbolic link (or lies
// in a linked folder), beside the file it leads to, where the runs that named the
// target wrote theirs.
std::vector<std::string> pathsBeside(const std::string& dataFile, const FileSource& files,
                                     std::string (*derived)(const std::string&))
{
    const std::string beside = derived(dataFile);
    const std::string besideTarget = derived(files.resolvedPath(dataFile));
    // The path and its target may lie in one place, named otherwise (a relative path,
    // or "." and ".." in it).
    const std::string placed = joinPath(files.resolvedPath(directoryOf(beside)), fileNameOf(beside));
    if (besideTarget == beside || besideTarget == placed)
        return {beside};
    return {beside, besideTarget};
}

}  // namespace

StudyResults readStudy(const std::vector<std::string>& dataFiles, const ResultsOptions& options,
                       const FileSource& files, const ReadingProgress& progress)
{
    StudyReader reader(options, files, progress);
    StudyResults study = reader.read(dataFiles);
    settleParticipants(study);
    return study;
}

std::vector<std::string> subjectLogPathsFor(const std::string& dataFile, const FileSource& files)
{
    return pathsBeside(dataFile, files, subjectLogPathFor);
}

std::vector<std::string> timingRecordPathsFor(const std::string& dataFile, const FileSource& files)
{
    return pathsBeside(dataFile, files, timingRecordPathFor);
}

bool isTimingRecordPath(std::string_view path) { return path.ends_with(timingRecordSuffix); }

namespace {

// Whether two paths name one file; paths to no file, whether the same name in the
// same folder.
bool sameFile(const std::string& a, const std::string& b, const FileSource& files)
{
    if (a == b)
        return true;
    const std::string keyA = files.fileKey(a);
    const std::string keyB = files.fileKey(b);
    if (!keyA.empty() || !keyB.empty())
        return keyA == keyB;
    const std::string folderA = files.fileKey(directoryOf(a));
    return fileNameOf(a) == fileNameOf(b) && !folderA.empty() && folderA == files.fileKey(directoryOf(b));
}

}  // namespace

std::string outputOverwritesInput(const std::string& path, const StudyResults& study, const FileSource& files)
{
    const auto refusal = [&](const char* kind, const std::string& input) {
        return path + " is " + kind + " of the study" + (input == path ? std::string() : " (" + input + ")") +
               ", which an output must not overwrite";
    };
    for (const std::string& data : study.dataFiles) {
        if (sameFile(path, data, files))
            return refusal("a data file", data);
        for (const std::string& log : subjectLogPathsFor(data, files))
            if (sameFile(path, log, files))
                return refusal("a subject log", log);
        for (const std::string& record : timingRecordPathsFor(data, files))
            if (sameFile(path, record, files))
                return refusal("a timing record", record);
    }
    for (const std::string& list : study.listFiles)
        if (sameFile(path, list, files))
            return refusal("a list file", list);
    return {};
}
