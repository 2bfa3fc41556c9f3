#include "files/input_file_creation.h"

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
