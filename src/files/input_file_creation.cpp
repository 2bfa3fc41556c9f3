#include "files/input_file_creation.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/field_checks.h"

std::string instructionPathPreset(std::string_view inputPath)
{
    const std::size_t slash = inputPath.rfind('/');
    if (slash == std::string_view::npos)
        return "/";
    return std::string(inputPath.substr(0, slash + 1));
}

std::string instructionFileNameOf(std::string_view instructionPath)
{
    const std::size_t slash = instructionPath.rfind('/');
    return std::string(slash == std::string_view::npos ? instructionPath : instructionPath.substr(slash + 1));
}

std::optional<std::string> checkInputFileFields(std::string_view instructionPath, std::string_view sessionCountText,
                                                int& sessionCount)
{
    if (auto message = checkTextLength(instructionPath, instructionPathCapacity))
        return message;
    return checkIntegerField(sessionCountText, 1, maxSessions, sessionCount);
}

std::optional<std::string> instructionPathRefusal(std::string_view instructionPath)
{
    const std::size_t dot = instructionPath.rfind('.');
    if (dot == std::string_view::npos || instructionPath.substr(dot + 1) != "bgi")
        return std::string(instructionExtensionMessage);
    const std::string name = instructionFileNameOf(instructionPath);
    if (name.size() > instructionFileNameCapacity)
        return "Error:  the instruction file name (after the last \"/\") may have at most " +
               std::to_string(instructionFileNameCapacity) + " characters.";
    if (containsWhiteSpace(name))
        return std::string("Error:  the instruction file name may not contain blanks.");
    return std::nullopt;
}

ExperimentDefinition newExperimentDefinition()
{
    ExperimentDefinition definition;
    definition.sessions.fill(SessionSettings{});
    definition.tutorialIncluded = 1;
    definition.editListsIncluded = 1;
    return definition;
}

void applyExperimentEntries(const ExperimentEntries& entries, ExperimentDefinition& definition)
{
    definition.instructionFileName.assign(instructionFileNameOf(entries.instructionPath));
    definition.sessionCount = entries.sessionCount;
    definition.tutorialIncluded = entries.tutorialIncluded ? 1 : 0;
    definition.editListsIncluded = entries.editListsIncluded ? 1 : 0;
}

std::vector<std::string> categoryPairLines(const ListCatalog& catalog)
{
    std::vector<std::string> lines;
    for (int i = 0; i < catalog.fileCount; ++i) {
        const WordList& list = catalog.files[i];
        const std::string a = list.entriesA[0].str();
        const std::string b = list.entriesB[0].str();
        lines.push_back(a + "-" + b);
        lines.push_back(b + "-" + a);
    }
    return lines;
}

int chosenPosition(int selectedPosition, int pairNumber)
{
    return selectedPosition >= 0 ? selectedPosition : pairNumber;
}

int initialPosition(int pairNumber, int lineCount) { return pairNumber < lineCount ? pairNumber : noSelection; }

int findLineAgain(const std::vector<std::string>& lines, int previousPosition, std::string_view previousText)
{
    if (previousPosition >= 0 && previousPosition < int(lines.size()) && lines[previousPosition] == previousText)
        return previousPosition;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == previousText)
            return int(i);
    }
    return noSelection;
}

CategoryPairChoice choiceAt(int position) { return {position / 2, position % 2}; }

std::optional<std::string> listFilesRefusal(const ListCatalog& catalog)
{
    if (catalog.fileCount < 2)
        return std::string(tooFewListFilesMessage);
    return std::nullopt;
}

std::optional<std::string> checkSessionFields(std::string_view delayText, std::string_view practiceText,
                                              std::string_view realText, SessionEntries& entries)
{
    if (auto message = checkIntegerField(delayText, 0, maxDelay, entries.delay))
        return message;
    if (auto message = checkIntegerField(practiceText, 0, maxTrials, entries.nPrac))
        return message;
    return checkIntegerField(realText, 0, maxTrials, entries.nReal);
}

std::optional<std::string> applySessionEntries(const ListCatalog& catalog, const SessionEntries& entries,
                                               SessionSettings& session)
{
    // With a single file every choice would be "the same pair": say what is missing.
    if (auto refusal = listFilesRefusal(catalog))
        return refusal;
    const CategoryPairChoice pair1 = choiceAt(chosenPosition(entries.position1, 1));
    const CategoryPairChoice pair2 = choiceAt(chosenPosition(entries.position2, 2));
    if (pair1.fileIndex >= catalog.fileCount || pair2.fileIndex >= catalog.fileCount)
        return std::string(tooFewListFilesMessage);
    if (pair1.fileIndex == pair2.fileIndex)
        return std::string(samePairMessage);
    session.Cat1 = catalog.files[pair1.fileIndex].fileName;
    session.Cat1p = pair1.order;
    session.Cat2 = catalog.files[pair2.fileIndex].fileName;
    session.Cat2p = pair2.order;
    if (entries.switchChoice == 0 || entries.switchChoice == 1)
        session.Catsw = entries.switchChoice;
    session.Delay = entries.delay;
    session.nPrac = entries.nPrac;
    session.nReal = entries.nReal;
    return std::nullopt;
}

namespace {

// The folder part of a path, "/" for a file in the root.
std::string folderOf(const std::string& path)
{
    const std::string directory = directoryOf(path);
    return directory.empty() ? std::string("/") : directory;
}

// Two folders are one when they are the same directory on disk (whatever the spelling
// of their paths), or, when either cannot be looked at, when their paths are equal.
bool sameFolder(const std::string& a, const std::string& b)
{
    struct stat infoA {
    }, infoB{};
    if (::stat(a.c_str(), &infoA) == 0 && ::stat(b.c_str(), &infoB) == 0)
        return infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
    return a == b;
}

// Anything at path, a dangling symbolic link included.
bool somethingAt(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

InstructionFilePlacement placeInstructionFile(const std::string& inputPath, const std::string& instructionPath)
{
    InstructionFilePlacement placement;
    placement.chosenPath = instructionPath;
    const std::string inputFolder = folderOf(inputPath);
    placement.runPath = joinPath(inputFolder, instructionFileNameOf(instructionPath));
    const bool elsewhere = instructionPath.find('/') != std::string::npos &&
                           !sameFolder(folderOf(instructionPath), inputFolder);
    placement.offerCopy = elsewhere && !somethingAt(placement.runPath);
    return placement;
}

WriteOutcome copyWithoutReplacing(const std::string& from, const std::string& to)
{
    WriteOutcome outcome;
    const auto refuseTaken = [&] {
        outcome.error = "cannot copy to " + to + ": a file of that name is already there";
        outcome.errorNumber = EEXIST;
        return outcome;
    };
    if (somethingAt(to))
        return refuseTaken();
    const ReadOutcome read = readFileBytes(from);
    if (!read.opened) {
        outcome.error = read.error;
        return outcome;
    }
    if (read.truncated) {
        outcome.error = "cannot copy " + from + ": it is larger than any instruction file";
        outcome.errorNumber = EFBIG;
        return outcome;
    }
    // The name is claimed first (created only if nothing is there), so the rename of
    // the atomic write replaces this empty claim and nothing else.
    const int claim = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (claim < 0) {
        if (errno == EEXIST)
            return refuseTaken();
        outcome.errorNumber = errno;
        outcome.error = "cannot write " + to + ": " + std::strerror(errno);
        return outcome;
    }
    ::close(claim);
    outcome = writeFileAtomically(to, read.bytes);
    if (!outcome)
        ::unlink(to.c_str());
    return outcome;
}
