#include "run/output_check.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

#include <sys/stat.h>
#include <sys/statvfs.h>

#include "run/output_files.h"
#include "run/run_output.h"
#include "common/file_io.h"

namespace {

// The line end that an append writes first after a file that ends inside a line.
constexpr std::uint64_t cutLineEnd = 2;

struct Identity {
    dev_t device;
    ino_t inode;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> identityOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return Identity{info.st_dev, info.st_ino};
}

// Blocks of a session: four in each half, less the single-pair practice block that
// the switch leaves out of the second half; a later session may leave out more.
int mostBlocksOf(const SessionSettings& session) { return 4 + (session.Catsw == 0 || session.Catsw == 1 ? 3 : 4); }

int trialsOf(int count) { return std::clamp(count, 0, maxTrialsPerBlock); }

std::string text(std::size_t length) { return std::string(length, 'x'); }

}  // namespace

std::optional<FileSystemSpace> diskSpace(const std::string& directory)
{
    struct statvfs fs {};
    struct stat info {};
    if (::statvfs(directory.c_str(), &fs) != 0 || ::stat(directory.c_str(), &info) != 0)
        return std::nullopt;
    // Some network and user-space file systems report no size at all: their room is
    // unknown, not nil.
    if (fs.f_blocks == 0)
        return std::nullopt;
    const std::uint64_t block = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
    return FileSystemSpace{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(fs.f_bavail) * block,
                           std::max<std::uint64_t>(block, 1)};
}

std::uint64_t mostDataBytes(const SubjectRecord& subject, const StudyFiles& study)
{
    // The longest trial: every field at its widest.
    TrialResult widest;
    widest.trialNumber = maxTrialsPerBlock;
    widest.pair = 9;
    widest.category = 9;
    widest.item = 99;
    widest.word.assign(text(entryCapacity));
    widest.latency = INT_MIN;
    widest.wrongResponses = INT_MIN;
    widest.responseSide = "9";

    int blocks = 0;
    for (int s = 0; s < study.sessionCount; ++s)
        blocks += mostBlocksOf(study.session(s));

    std::uint64_t bytes = dataFileHeader().size();
    for (int s = 0; s < study.sessionCount; ++s) {
        const SessionSettings& session = study.session(s);
        const std::uint64_t line = formatDataLine(subject, s + 1, session, blocks, widest).size();
        const int sessionBlocks = mostBlocksOf(session);
        const int practice = sessionBlocks - 2;  // one recorded block in each half
        const std::uint64_t lines = static_cast<std::uint64_t>(practice * trialsOf(session.nPrac) +
                                                               2 * trialsOf(session.nReal));
        bytes += lines * line + static_cast<std::uint64_t>(sessionBlocks) * cutLineEnd;
    }
    return bytes;
}

std::uint64_t mostSubjectLogBytes(const SubjectRecord& subject, const StudyFiles& study)
{
    // The line without sessions, then each session's nine fields at their widest:
    // two combinations of two labels, the switch, and six numbers, each with its tab.
    ExperimentDefinition none = study.definition;
    none.sessionCount = 0;
    const std::uint64_t combination = 2 * entryCapacity + 1;
    const std::uint64_t number = std::to_string(INT_MIN).size();
    const std::uint64_t rate = errorRateText(INT_MIN).size();
    const std::uint64_t perSession = 2 * (combination + 1) + (number + 1) + 4 * (number + 1) + 2 * (rate + 1);
    const std::uint64_t line = formatSubjectLogLine(subject, none, ScoreTable()).size() +
                               static_cast<std::uint64_t>(study.sessionCount) * perSession;
    return subjectLogHeader(study.sessionCount).size() + line + cutLineEnd;
}

std::uint64_t mostTimingBytes(const SubjectRecord& subject, const StudyFiles& study)
{
    int blocks = 0;
    for (int s = 0; s < study.sessionCount; ++s)
        blocks += mostBlocksOf(study.session(s));
    BlockTiming widest;
    widest.source = OnsetSource::WaylandPresentation;
    widest.refreshMicroseconds = 1e9;
    widest.wordsShown = INT_MIN;
    widest.framesMissed = INT_MIN;
    widest.mostLate = INT64_MIN;
    widest.keyClock = "CLOCK_MONOTONIC";
    widest.keyCalibrationMicroseconds = INT64_MIN;
    const std::uint64_t row = formatTimingLine(subject, maxSessions, blocks, widest).size() + cutLineEnd;
    return timingRecordHeader().size() + static_cast<std::uint64_t>(blocks) * row;
}

std::optional<std::string> studyFileAt(const std::string& path, const StudyFiles& study)
{
    // By what the files are on disk: a hard link or a symbolic link to one of them,
    // or a path spelt another way, is the same file.
    const auto identity = identityOf(path);
    if (!identity)
        return std::nullopt;  // a new file: nothing of the study's
    std::vector<std::string> studyFiles{study.inputPath};
    if (!study.definition.instructionFileName.empty())
        studyFiles.push_back(study.instructionFilePath());
    for (int i = 0; i < study.catalog.fileCount; ++i)
        if (!study.catalog.files[i].fileName.empty())
            studyFiles.push_back(joinPath(study.inputDirectory, study.catalog.files[i].fileName.str()));
    for (const std::string& file : studyFiles)
        if (identityOf(file) == identity)
            return file;
    return std::nullopt;
}

std::string mountPointOf(const std::string& path)
{
    // The deepest folder of the path that exists, then up while the parent is on the
    // same file system; a relative path is taken from the current folder.
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(path, error).lexically_normal().parent_path();
    struct stat info {};
    while (!folder.empty() && folder != folder.root_path() && ::stat(folder.c_str(), &info) != 0)
        folder = folder.parent_path();
    if (folder.empty() || ::stat(folder.c_str(), &info) != 0)
        return "/";
    while (folder != folder.root_path()) {
        const std::filesystem::path parent = folder.parent_path();
        struct stat above {};
        if (::stat(parent.c_str(), &above) != 0 || above.st_dev != info.st_dev)
            break;
        folder = parent;
    }
    return folder.string();
}

std::optional<Refusal> outputRefusal(const SubjectRecord& subject, const StudyFiles& study, const SpaceProbe& space)
{
    const struct {
        const std::string& path;
        const char* message;
        const char* what;
    } outputs[] = {{subject.dataPath, unwritableDataFileMessage, "data file"},
                   {subject.subjectLogPath, unwritableSubjectLogMessage, "subject log"},
                   {subject.timingPath, unwritableTimingRecordMessage, "timing record"}};
    for (const auto& output : outputs)
        if (const auto own = studyFileAt(output.path, study))
            return Refusal{output.message, "cannot write " + output.path + ": it is the study's own file " + *own +
                                               ", which the run would change"};
    for (std::size_t i = 0; i < std::size(outputs); ++i)
        for (std::size_t j = i + 1; j < std::size(outputs); ++j)
            if (const auto one = identityOf(outputs[i].path), other = identityOf(outputs[j].path);
                one && other && *one == *other)
                return Refusal{outputs[i].message, "cannot write " + outputs[i].path + ": it is the same file as the " +
                                                       outputs[j].what + " " + outputs[j].path};

    // Room for everything the run can write, on each file system (both files may
    // share one). Each file may need one block more than its bytes fill.
    struct Need {
        FileSystemSpace space;
        std::uint64_t bytes = 0;
        std::vector<std::string> paths;
    };
    std::map<std::uint64_t, Need> needs;
    const std::pair<const std::string&, std::uint64_t> files[] = {
        {subject.dataPath, mostDataBytes(subject, study)},
        {subject.subjectLogPath, mostSubjectLogBytes(subject, study)},
        {subject.timingPath, mostTimingBytes(subject, study)}};
    for (const auto& [path, bytes] : files) {
        std::string directory = directoryOf(path);
        if (directory.empty())
            directory = "/";
        const auto found = space(directory);
        if (!found)
            continue;
        Need& need = needs[found->device];
        need.space = *found;
        const std::uint64_t block = found->blockSize;
        need.bytes += (bytes + block - 1) / block * block + block;
        need.paths.push_back(path);
    }
    for (const auto& [device, need] : needs) {
        if (need.bytes <= need.space.availableBytes)
            continue;
        // "a, b and c"
        std::string where;
        for (std::size_t i = 0; i < need.paths.size(); ++i)
            where += (i == 0 ? "" : i + 1 == need.paths.size() ? " and " : ", ") + need.paths[i];
        return Refusal{noRoomMessage, where + ": the file system has " + sizeText(need.space.availableBytes) +
                                          " free, and this run may write up to " + sizeText(need.bytes)};
    }
    return std::nullopt;
}
