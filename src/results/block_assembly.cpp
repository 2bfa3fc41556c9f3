#include "results/results_reading.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "files/list_catalogue.h"
#include "files/word_list.h"
#include "results/results_lines.h"
#include "results/results_scores.h"
#include "run/block_sequence.h"
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

std::string plural(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The text that names a run in the study's problems.
std::string whoseRun(const RunRecord& run)
{
    std::string who = "subject " + std::to_string(run.subject);
    if (!run.sex.empty())
        who += ", sex " + run.sex;
    if (!run.other.empty())
        who += ", other code " + run.other;
    return who + ", input file " + run.inputFile;
}

// Subject, sex, other code and the input file's name: what a run and its subject log
// line have in common.
std::string matchKey(int subject, const std::string& sex, const std::string& other, std::string_view inputPath)
{
    std::string key = std::to_string(subject);
    key += '\t';
    key += sex;
    key += '\t';
    key += other;
    key += '\t';
    key += inputFileNameOf(inputPath);
    return key;
}

struct DraftBlock {
    BlockRecord block;
    SessionLineSettings settings;
};

// A run while its lines are read.
struct DraftRun {
    RunRecord run;
    std::vector<DraftBlock> blocks;
    int lastBlock = 0;
    std::string lastFile;
    std::set<int> concurrentWith;  // ids of runs of the same key whose blocks lie between this run's
};

// The lines of one block being collected: consecutive lines with the same head whose
// trial numbers rise.
struct PendingBlock {
    bool open = false;
    std::string head;  // fields 1 to 14 as bytes
    std::string key;   // input file, subject, sex and other code as bytes
    int number = 0;
    int firstLine = 0;
    std::size_t capacity = 0;  // the longest block of these settings
    int lastTrial = 0;
    bool lastPresented = false;
    int subject = 0;
    std::string inputFile, sex, other;
    SessionLineSettings settings;
    std::vector<TrialRecord> trials;
};

bool presented(const DataLine& line) { return !line.unrun || line.pair != 9; }

struct LabelLookup {
    std::optional<std::array<std::string, 2>> labels;  // entry 0 of categories A and B
    std::string why;                                   // why not, when not
};

struct Expected {
    int session = 0;
    int half = 0;  // 1 or 2
    BlockRole role = BlockRole::Unknown;
    std::array<int, 2> left{0, 0};
    int trials = 0;
};

const char* roleText(BlockRole role)
{
    switch (role) {
    case BlockRole::PairOnePractice:
        return "pair 1 practice";
    case BlockRole::PairTwoPractice:
        return "pair 2 practice";
    case BlockRole::CombinedPractice:
        return "combined practice";
    case BlockRole::CombinedRecorded:
        return "combined recorded";
    case BlockRole::Unknown:
        break;
    }
    return "unknown";
}

class StudyReader {
public:
    StudyReader(const ResultsOptions& options, const FileSource& files, const ReadingProgress& progress)
        : options_(options), files_(files), progress_(progress)
    {
    }

    StudyResults read(const std::vector<std::string>& dataFiles);

private:
    struct InputFile {
        std::string path;
        bool isLog = false;
    };

    void findFiles(const std::vector<std::string>& dataFiles);
    bool takeFile(const std::string& path, bool isLog, const StreamOutcome& opened, std::set<std::string>& taken);
    template <typename Take>
    std::int64_t readLines(const InputFile& file, Take take);
    std::int64_t parseDataFile(const InputFile& file);
    void malformed(const std::string& path, int line, const std::string& reason, int& count);
    void reportProgress(std::int64_t done);
    void startBlock(const DataLine& line, int lineNumber);
    void closeBlock(const std::string& path);
    void addTrial(const DataLine& line, int lineNumber);
    int placeBlock(const std::string& path);
    void flagConcurrent(DraftRun& a, DraftRun& b, const std::string& path);
    void assemble(DraftRun& draft);
    void assignRoles(DraftRun& draft, std::vector<Expected>& expected);
    const LabelLookup& listLabels(const std::string& directory, const std::string& name);
    void labelsFromLists(RunRecord& run);
    std::int64_t parseLog(const InputFile& file);
    void matchLogs();
    void labelsFromLog(RunRecord& run);
    void reportUnknownLabels(RunRecord& run);
    std::string listDirectoryOf(const RunRecord& run) const;

    const ResultsOptions& options_;
    const FileSource& files_;
    const ReadingProgress& progress_;

    StudyResults study_;
    std::vector<InputFile> inputs_;
    std::int64_t totalBytes_ = 0;
    std::int64_t doneBytes_ = 0;
    std::int64_t lastReported_ = -1;

    PendingBlock pending_;
    std::vector<std::unique_ptr<DraftRun>> drafts_;
    // The runs of each key (the lines' bytes), by their last block number.
    struct KeyRuns {
        std::map<int, std::set<int>> byLastBlock;  // draft indexes, in the order the runs started
        int latest = -1;                           // the run started last
    };
    std::unordered_map<std::string, KeyRuns> runsOfKey_;
    std::map<std::string, LabelLookup> labelCache_;
    std::vector<SubjectLogRecord> logLines_;
};

StudyResults StudyReader::read(const std::vector<std::string>& dataFiles)
{
    findFiles(dataFiles);
    reportProgress(0);
    for (const InputFile& file : inputs_) {
        doneBytes_ += file.isLog ? parseLog(file) : parseDataFile(file);
        reportProgress(0);
    }

    for (auto& draft : drafts_)
        assemble(*draft);
    study_.runs.reserve(drafts_.size());
    for (auto& draft : drafts_)
        study_.runs.push_back(std::move(draft->run));
    drafts_.clear();

    for (RunRecord& run : study_.runs) {
        labelsFromLists(run);
        scoreRun(run);
    }
    matchLogs();
    for (RunRecord& run : study_.runs) {
        if (run.log) {
            labelsFromLog(run);
            scoreRun(run);
            for (const LogDifference& difference : compareWithLog(run, *run.log))
                if (difference.session == 0)
                    run.problems.push_back(difference.text);
        }
        reportUnknownLabels(run);
    }
    return std::move(study_);
}

// Finds every data file and the subject logs beside it, and their sizes, so that the
// progress knows the total before any is parsed. A file is read once, under whichever
// of its names it comes first.
void StudyReader::findFiles(const std::vector<std::string>& dataFiles)
{
    std::set<std::string> given;
    std::set<std::string> taken;  // file keys
    for (const std::string& path : dataFiles) {
        if (!given.insert(path).second) {
            study_.problems.push_back(fileNameOf(path) + ": the file is given more than once; it was read once");
            continue;
        }
        study_.dataFiles.push_back(path);
        if (!takeFile(path, false, files_.openStream(path), taken))
            study_.problems.push_back(fileNameOf(path) + ": the same file as a data file given before it; it was read "
                                                         "once");
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
            takeFile(log, true, opened, taken);
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

// Takes an opened file to be read, unless it was taken already under another name
// (false). A file that cannot be read is a problem.
bool StudyReader::takeFile(const std::string& path, bool isLog, const StreamOutcome& opened,
                           std::set<std::string>& taken)
{
    if (!opened.stream) {
        study_.problems.push_back(opened.error);
        return true;
    }
    const std::string key = files_.fileKey(path);
    if (!key.empty() && !taken.insert(key).second)
        return false;
    totalBytes_ += opened.size;
    inputs_.push_back({path, isLog});
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
        if (!file.isLog)
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
                                  plural(static_cast<std::size_t>(malformedCount - malformedLinesShown),
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
            closeBlock(file.path);
            return;
        case LineKind::Blank:
            return;
        case LineKind::Malformed:
            malformed(file.path, lineNumber, reason, malformedCount);
            return;
        case LineKind::Record:
            break;
        }
        // A block's lines were appended together: the line goes on the open block when
        // it has the same head, room is left and its trial number follows.
        const bool continues = pending_.open && line.head == pending_.head &&
                               pending_.trials.size() < pending_.capacity &&
                               !(presented(line) && (!pending_.lastPresented || line.trial <= pending_.lastTrial));
        if (!continues) {
            closeBlock(file.path);
            startBlock(line, lineNumber);
        }
        addTrial(line, lineNumber);
    });
    closeBlock(file.path);
    return bytes;
}

void StudyReader::startBlock(const DataLine& line, int lineNumber)
{
    PendingBlock& p = pending_;
    p.open = true;
    p.head.assign(line.head);
    p.key.assign(line.inputFile);
    p.key += '\t';
    p.key += std::to_string(line.subject);
    p.key += '\t';
    p.key.append(line.sex);
    p.key += '\t';
    p.key.append(line.other);
    p.number = line.block;
    p.firstLine = lineNumber;
    p.capacity = static_cast<std::size_t>(std::max({line.nPrac, line.nReal, 1}));
    p.lastTrial = 0;
    p.lastPresented = false;
    p.subject = line.subject;
    p.inputFile = decodedText(line.inputFile);
    p.sex = std::string(line.sex);
    p.other = decodedText(line.other);
    p.settings = {line.session,
                  decodedText(line.Cat1),
                  decodedText(line.Cat2),
                  line.Cat1p,
                  line.Cat2p,
                  line.Catsw,
                  line.Delay,
                  line.nPrac,
                  line.nReal};
    p.trials.clear();
    p.trials.reserve(p.capacity);
}

void StudyReader::addTrial(const DataLine& line, int lineNumber)
{
    TrialRecord t;
    t.lineNumber = lineNumber;
    t.trial = line.trial;
    t.pair = line.pair;
    t.category = line.category;
    t.itemNumber = line.item;
    t.word = decodedText(line.word);
    t.latency = line.latency;
    t.errors = line.errors;
    t.key.assign(line.key);
    t.unrun = line.unrun;
    pending_.trials.push_back(std::move(t));
    pending_.lastPresented = presented(line);
    if (pending_.lastPresented)
        pending_.lastTrial = line.trial;
}

void StudyReader::closeBlock(const std::string& path)
{
    if (!pending_.open)
        return;
    const int index = placeBlock(path);
    DraftRun& draft = *drafts_[static_cast<std::size_t>(index)];
    auto& byLastBlock = runsOfKey_[pending_.key].byLastBlock;
    if (draft.lastBlock > 0) {
        const auto bucket = byLastBlock.find(draft.lastBlock);
        bucket->second.erase(index);
        if (bucket->second.empty())
            byLastBlock.erase(bucket);
    }
    byLastBlock[pending_.number].insert(index);
    DraftBlock block;
    block.block.number = pending_.number;
    block.block.dataFile = path;
    block.block.trials = std::move(pending_.trials);
    block.settings = std::move(pending_.settings);
    draft.blocks.push_back(std::move(block));
    draft.lastBlock = pending_.number;
    draft.lastFile = path;
    pending_.trials = {};
    pending_.open = false;
}

// The run a block goes to. Block 1 starts a run. Another block goes on the run of its
// key whose last block is the highest below its number (of equals, the one started
// last). A run that takes a block after a later run of its key has written to the
// same file ran at the same time as that one; a run that goes on in another file (a
// rescue file) after a later run started did not. A block no run can take starts a
// run of its own.
int StudyReader::placeBlock(const std::string& path)
{
    KeyRuns& runs = runsOfKey_[pending_.key];
    if (pending_.number != 1) {
        auto below = runs.byLastBlock.lower_bound(pending_.number);
        if (below != runs.byLastBlock.begin()) {
            const int chosen = *(--below)->second.rbegin();
            DraftRun& latest = *drafts_[static_cast<std::size_t>(runs.latest)];
            if (chosen != runs.latest && latest.lastFile == path)
                flagConcurrent(*drafts_[static_cast<std::size_t>(chosen)], latest, path);
            return chosen;
        }
    }

    auto draft = std::make_unique<DraftRun>();
    RunRecord& run = draft->run;
    run.id = static_cast<int>(drafts_.size()) + 1;
    run.dataFile = path;
    run.firstLine = pending_.firstLine;
    run.inputFile = pending_.inputFile;
    run.subject = pending_.subject;
    run.sex = pending_.sex;
    run.other = pending_.other;
    if (pending_.number != 1) {
        if (runs.latest < 0) {
            run.problems.push_back("the run's first block is block " + std::to_string(pending_.number) +
                                   ", not block 1: its earlier blocks are in no data file read");
        } else {
            DraftRun& latest = *drafts_[static_cast<std::size_t>(runs.latest)];
            run.problems.push_back("block " + std::to_string(pending_.number) + " (" + fileNameOf(path) + " line " +
                                   std::to_string(pending_.firstLine) + ") follows block " +
                                   std::to_string(latest.lastBlock) + " of run " + std::to_string(latest.run.id) +
                                   " of the same subject without a block 1 between them: it starts a run of its own");
            flagConcurrent(*draft, latest, path);
        }
    }
    drafts_.push_back(std::move(draft));
    runs.latest = static_cast<int>(drafts_.size()) - 1;
    return runs.latest;
}

void StudyReader::flagConcurrent(DraftRun& a, DraftRun& b, const std::string& path)
{
    if (&a == &b || a.concurrentWith.count(b.run.id) != 0)
        return;
    a.concurrentWith.insert(b.run.id);
    b.concurrentWith.insert(a.run.id);
    const auto text = [&](const DraftRun& other) {
        return "the blocks of this run and of run " + std::to_string(other.run.id) +
               " (the same subject, sex, other code and input file) alternate in " + fileNameOf(path) +
               ": two runs at the same time, whose blocks may be mixed up";
    };
    a.run.problems.push_back(text(b));
    b.run.problems.push_back(text(a));
    const int first = std::min(a.run.id, b.run.id);
    const int second = std::max(a.run.id, b.run.id);
    study_.problems.push_back("runs " + std::to_string(first) + " and " + std::to_string(second) + " (" +
                              whoseRun(a.run) + ") were at the same time: their blocks alternate in " +
                              fileNameOf(path) + " and may be mixed up");
}

// Sorts the run's blocks into sessions and gives each its role.
void StudyReader::assemble(DraftRun& draft)
{
    RunRecord& run = draft.run;
    std::map<int, std::size_t> sessionIndex;
    for (const DraftBlock& block : draft.blocks)
        sessionIndex.emplace(block.settings.session, 0);
    for (auto& [session, index] : sessionIndex) {
        index = run.sessions.size();
        run.sessions.emplace_back();
        run.sessions.back().settings.session = 0;  // set by the session's first block
    }
    std::set<int> changed;
    for (const DraftBlock& block : draft.blocks) {
        SessionRecord& session = run.sessions[sessionIndex[block.settings.session]];
        if (session.settings.session == 0)
            session.settings = block.settings;
        else if (!(session.settings == block.settings) && changed.insert(block.settings.session).second)
            run.problems.push_back("session " + std::to_string(block.settings.session) +
                                   ": the settings on the lines (Cat1 to nReal) change within the session, at block " +
                                   std::to_string(block.block.number) + "; the session's first ones are used");
    }

    std::vector<Expected> expected(1);
    assignRoles(draft, expected);

    // Blocks that took a number and should have lines but have none.
    std::set<int> present;
    for (const DraftBlock& block : draft.blocks)
        present.insert(block.block.number);
    std::vector<std::string> missing;
    for (int b = 1; b <= draft.lastBlock && b < static_cast<int>(expected.size()); ++b)
        if (expected[static_cast<std::size_t>(b)].trials > 0 && present.count(b) == 0)
            missing.push_back(std::to_string(b));
    if (!missing.empty()) {
        std::string list;
        for (const std::string& b : missing)
            list += (list.empty() ? "" : ", ") + b;
        run.problems.push_back((missing.size() == 1 ? "block " : "blocks ") + list +
                               " of the run have no lines in the data files read");
    }

    for (DraftBlock& block : draft.blocks)
        run.sessions[sessionIndex[block.settings.session]].blocks.push_back(std::move(block.block));
    draft.blocks.clear();
}

// The run's blocks in the order its sessions run them (run/block_sequence.h), numbered
// from 1; each data block takes the role of its number.
void StudyReader::assignRoles(DraftRun& draft, std::vector<Expected>& expected)
{
    RunRecord& run = draft.run;
    std::array<int, 2> finishedLeft{0, 0};
    const SessionLineSettings* previous = nullptr;
    // The sessions are in session order.
    const int lastSession = run.sessions.empty() ? 0 : run.sessions.back().settings.session;
    for (int s = 1; s <= lastSession; ++s) {
        const auto found = std::find_if(run.sessions.begin(), run.sessions.end(),
                                        [&](const SessionRecord& r) { return r.settings.session == s; });
        if (found == run.sessions.end()) {
            run.problems.push_back("session " + std::to_string(s) +
                                   " has no lines: the roles of the later sessions' blocks cannot be worked out");
            break;
        }
        const SessionLineSettings& settings = found->settings;
        SessionSequenceInput input{settings.Cat1p, settings.Cat2p, settings.Catsw, previous == nullptr, {},
                                   finishedLeft};
        if (previous)
            input.sameListAsPrevious = {settings.Cat1 == previous->Cat1, settings.Cat2 == previous->Cat2};
        const SessionSequence sequence = sessionSequence(input);
        for (int half = 0; half < 2; ++half)
            for (int b = 0; b < blocksPerHalf; ++b)
                if (sequence.runs[half][b])
                    expected.push_back({s, half + 1, static_cast<BlockRole>(b), sequence.left[half],
                                        b == recordedBlock ? settings.nReal : settings.nPrac});
        finishedLeft = sequence.finishedLeft;
        previous = &settings;
    }

    for (DraftBlock& d : draft.blocks) {
        BlockRecord& block = d.block;
        const int b = block.number;
        if (b >= static_cast<int>(expected.size()) ||
            expected[static_cast<std::size_t>(b)].session != d.settings.session) {
            const std::string where = b < static_cast<int>(expected.size())
                                          ? "is block " + std::to_string(b) + " of session " +
                                                std::to_string(expected[static_cast<std::size_t>(b)].session)
                                          : "has no block " + std::to_string(b);
            run.problems.push_back("block " + std::to_string(b) + " (session " + std::to_string(d.settings.session) +
                                   ") does not fit the run's sequence of blocks, which " + where +
                                   ": its role is unknown");
            continue;
        }
        const Expected& e = expected[static_cast<std::size_t>(b)];
        block.role = e.role;
        block.half = e.half;
        block.left = e.left;
        const std::string name = "block " + std::to_string(b) + " (session " + std::to_string(e.session) + ", half " +
                                 std::to_string(e.half) + ", " + roleText(e.role) + ")";
        if (static_cast<int>(block.trials.size()) != e.trials)
            run.problems.push_back(name + " has " + plural(block.trials.size(), "line", "lines") + ", " +
                                   std::to_string(e.trials) + " are expected");
        // The key of an answered trial is the side of its category in the block's
        // arrangement: answers on the other side mean the role or the sides are wrong.
        int otherSide = 0;
        for (const TrialRecord& t : block.trials)
            if (!t.unrun && (t.key == "l") != (t.category == block.left[static_cast<std::size_t>(t.pair)]))
                ++otherSide;
        if (otherSide > 0)
            run.problems.push_back(name + ": " +
                                   plural(static_cast<std::size_t>(otherSide), "answer is", "answers are") +
                                   " on the side the block's arrangement does not give its category");
        bool gap = false;
        for (const TrialRecord& t : block.trials) {
            if (t.unrun)
                gap = true;
            else if (gap) {
                run.problems.push_back(name + ": an answered trial follows a slot without a response (line " +
                                       std::to_string(t.lineNumber) + ")");
                break;
            }
        }
    }
}

const LabelLookup& StudyReader::listLabels(const std::string& directory, const std::string& name)
{
    const std::string path = joinPath(directory, utf8ToWindows1252(name).value_or(name));
    const auto cached = labelCache_.find(path);
    if (cached != labelCache_.end())
        return cached->second;
    LabelLookup& lookup = labelCache_[path];
    if (kindOfListFile(name) == ListFileKind::Questionnaire) {
        lookup.why = name + " is a questionnaire file";
        return lookup;
    }
    // Its type is checked before it is read: what is not a regular file is not opened
    // for reading at all.
    const StreamOutcome opened = files_.openStream(path);
    if (opened.missing) {
        lookup.why = name + " is not in " + directory;
    } else if (!opened.stream) {
        lookup.why = opened.error;
    } else {
        WordList list;
        readWordListFile(path, list, files_);
        study_.listFiles.push_back(path);
        if (list.entriesA[0].empty() || list.entriesB[0].empty())
            lookup.why = name + " cannot be read" + (list.problems.empty() ? "" : ": " + list.problems.front());
        else
            lookup.labels = std::array<std::string, 2>{decodedText(list.entriesA[0].view()),
                                                       decodedText(list.entriesB[0].view())};
    }
    return lookup;
}

std::string StudyReader::listDirectoryOf(const RunRecord& run) const
{
    return !options_.studyDirectory.empty() ? options_.studyDirectory : directoryOf(run.dataFile);
}

void StudyReader::labelsFromLists(RunRecord& run)
{
    const std::string directory = listDirectoryOf(run);
    for (SessionRecord& session : run.sessions) {
        int found = 0;
        for (int p = 0; p < 2; ++p) {
            const LabelLookup& lookup = listLabels(directory, p == 0 ? session.settings.Cat1 : session.settings.Cat2);
            if (lookup.labels) {
                session.labels[static_cast<std::size_t>(p)] = *lookup.labels;
                ++found;
            }
        }
        session.labelSource = found > 0 ? "list file" : "";
    }
}

std::int64_t StudyReader::parseLog(const InputFile& file)
{
    std::string reason;
    return readLines(file, [&](std::string_view text, int lineNumber, int& malformedCount) {
        SubjectLogRecord record;
        switch (parseSubjectLogLine(text, record, reason)) {
        case LineKind::Header:
        case LineKind::Blank:
            return;
        case LineKind::Malformed:
            malformed(file.path, lineNumber, reason, malformedCount);
            return;
        case LineKind::Record:
            break;
        }
        record.file = file.path;
        record.lineNumber = lineNumber;
        logLines_.push_back(std::move(record));
    });
}

// The figures a run and its subject log line share: per session its number, CatSw
// and both halves' mean latency, error rate and N. The combinations are left out: the
// labels may come from the log line itself.
std::string figuresPrint(const RunRecord& run)
{
    std::string print;
    for (const SessionRecord& session : run.sessions) {
        print += std::to_string(session.settings.session) + ":" +
                 std::to_string(static_cast<long long>(session.settings.Catsw) + 1);
        for (const auto& half : session.halves)
            print += half ? ":" + std::to_string(half->meanLatency) + "," + std::to_string(half->errorRate) + "," +
                                std::to_string(half->n)
                          : std::string(":-");
        print += ";";
    }
    return print;
}

std::string figuresPrint(const SubjectLogRecord& log)
{
    std::string print;
    for (std::size_t s = 0; s < log.sessions.size(); ++s) {
        print += std::to_string(s + 1) + ":" + std::to_string(log.sessions[s].CatSw);
        for (const SubjectLogHalf& half : log.sessions[s].halves)
            print += ":" + std::to_string(half.meanLatency) + "," + std::to_string(half.errorRate) + "," +
                     std::to_string(half.n);
        print += ";";
    }
    return print;
}

// Each log line, in order, goes to the earliest run of its key without a line whose
// figures agree with it, else to the earliest run of its key without a line.
void StudyReader::matchLogs()
{
    // Runs in order, and how far the front ones are taken.
    struct Queue {
        std::vector<std::size_t> runs;
        std::size_t next = 0;
    };
    std::vector<bool> matched(study_.runs.size(), false);
    const auto firstUnmatched = [&](Queue& queue) -> std::optional<std::size_t> {
        while (queue.next < queue.runs.size() && matched[queue.runs[queue.next]])
            ++queue.next;
        if (queue.next == queue.runs.size())
            return std::nullopt;
        return queue.runs[queue.next];
    };
    std::unordered_map<std::string, Queue> byKey;
    std::unordered_map<std::string, Queue> byKeyAndFigures;
    for (std::size_t r = 0; r < study_.runs.size(); ++r) {
        const RunRecord& run = study_.runs[r];
        const std::string key = matchKey(run.subject, run.sex, run.other, run.inputFile);
        byKey[key].runs.push_back(r);
        byKeyAndFigures[key + "\n" + figuresPrint(run)].runs.push_back(r);
    }
    for (SubjectLogRecord& line : logLines_) {
        const std::string key = matchKey(line.subject, line.sex, line.other, line.inputPath);
        const auto ofKey = byKey.find(key);
        std::optional<std::size_t> chosen;
        if (ofKey != byKey.end()) {
            const auto agreeing = byKeyAndFigures.find(key + "\n" + figuresPrint(line));
            if (agreeing != byKeyAndFigures.end())
                chosen = firstUnmatched(agreeing->second);
            if (!chosen)
                chosen = firstUnmatched(ofKey->second);
        }
        if (!chosen) {
            const std::string who = "subject " + std::to_string(line.subject) +
                                    (line.sex.empty() ? "" : ", sex " + line.sex) +
                                    (line.other.empty() ? "" : ", other code " + line.other) + ", input file " +
                                    std::string(inputFileNameOf(line.inputPath));
            study_.problems.push_back(fileNameOf(line.file) + ":" + std::to_string(line.lineNumber) + ": " +
                                      (ofKey == byKey.end()
                                           ? "no run of " + who + " is in the data files read"
                                           : "every run of " + who + " has an earlier subject log line"));
            continue;
        }
        matched[*chosen] = true;
        RunRecord& run = study_.runs[*chosen];
        run.log = std::move(line);
        run.complete = true;
    }
    logLines_.clear();
}

// Splits a subject log combination "pair 1 label+pair 2 label". A label already known
// for one pair settles where the other starts; else the text must hold one "+" only.
bool splitCombination(const std::string& text, const std::string& first, const std::string& second,
                      std::array<std::string, 2>& parts)
{
    if (!first.empty() && text.size() > first.size() && text.starts_with(first + "+")) {
        parts = {first, text.substr(first.size() + 1)};
        return true;
    }
    if (!second.empty() && text.size() > second.size() && text.ends_with("+" + second)) {
        parts = {text.substr(0, text.size() - second.size() - 1), second};
        return true;
    }
    const std::size_t plus = text.find('+');
    if (plus == std::string::npos || text.find('+', plus + 1) != std::string::npos)
        return false;
    parts = {text.substr(0, plus), text.substr(plus + 1)};
    return true;
}

// Labels the list files did not give, from the subject log's first-half combinations:
// CatsL is pair 1's left label "+" pair 2's left label, CatsR the right ones.
void StudyReader::labelsFromLog(RunRecord& run)
{
    const SubjectLogRecord& log = *run.log;
    for (SessionRecord& session : run.sessions) {
        const int s = session.settings.session;
        auto& labels = session.labels;
        const bool known[2] = {!labels[0][0].empty(), !labels[1][0].empty()};
        if ((known[0] && known[1]) || s < 1 || s > static_cast<int>(log.sessions.size()))
            continue;
        const SubjectLogSession& logged = log.sessions[static_cast<std::size_t>(s - 1)];
        const std::array<int, 2> left{session.settings.Cat1p, session.settings.Cat2p};
        std::array<std::string, 2> leftParts;
        std::array<std::string, 2> rightParts;
        const bool split = splitCombination(logged.CatsL, labels[0][static_cast<std::size_t>(left[0])],
                                            labels[1][static_cast<std::size_t>(left[1])], leftParts) &&
                           splitCombination(logged.CatsR, labels[0][static_cast<std::size_t>(1 - left[0])],
                                            labels[1][static_cast<std::size_t>(1 - left[1])], rightParts);
        if (!split) {
            run.problems.push_back("session " + std::to_string(s) + ": the subject log's CatsL \"" + logged.CatsL +
                                   "\" and CatsR \"" + logged.CatsR +
                                   "\" do not show where pair 1's label ends (a label holds \"+\")");
            continue;
        }
        bool fromLog = false;
        for (std::size_t p = 0; p < 2; ++p) {
            if (known[p] || leftParts[p].empty() || rightParts[p].empty())
                continue;
            labels[p][static_cast<std::size_t>(left[p])] = leftParts[p];
            labels[p][static_cast<std::size_t>(1 - left[p])] = rightParts[p];
            fromLog = true;
        }
        if (fromLog)
            session.labelSource = session.labelSource.empty() ? "subject log" : "list file and subject log";
    }
}

void StudyReader::reportUnknownLabels(RunRecord& run)
{
    const std::string directory = listDirectoryOf(run);
    for (const SessionRecord& session : run.sessions) {
        for (std::size_t p = 0; p < 2; ++p) {
            if (!session.labels[p][0].empty() && !session.labels[p][1].empty())
                continue;
            const std::string& name = p == 0 ? session.settings.Cat1 : session.settings.Cat2;
            run.problems.push_back("session " + std::to_string(session.settings.session) +
                                   ": the category labels of pair " + std::to_string(p + 1) + " are unknown (" +
                                   listLabels(directory, name).why +
                                   (run.log ? ", and the subject log line does not give them)"
                                            : ", and the run has no subject log line)"));
        }
    }
}

}  // namespace

StudyResults readStudy(const std::vector<std::string>& dataFiles, const ResultsOptions& options,
                       const FileSource& files, const ReadingProgress& progress)
{
    StudyReader reader(options, files, progress);
    return reader.read(dataFiles);
}

std::vector<std::string> subjectLogPathsFor(const std::string& dataFile, const FileSource& files)
{
    const std::string beside = subjectLogPathFor(dataFile);
    const std::string besideTarget = subjectLogPathFor(files.resolvedPath(dataFile));
    // The path and its target may lie in one place, named otherwise (a relative path,
    // or "." and ".." in it).
    const std::string placed = joinPath(files.resolvedPath(directoryOf(beside)), fileNameOf(beside));
    if (besideTarget == beside || besideTarget == placed)
        return {beside};
    return {beside, besideTarget};
}

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
    }
    for (const std::string& list : study.listFiles)
        if (sameFile(path, list, files))
            return refusal("a list file", list);
    return {};
}
