#include "run/study_files.h"

#include <algorithm>

#include "common/file_existence.h"

std::string StudyFiles::instructionFilePath() const
{
    return joinPath(inputDirectory, definition.instructionFileName.str());
}

std::optional<Refusal> loadDefinition(StudyFiles& study, const std::string& inputPath, const FileSource& source)
{
    study.inputPath = inputPath;
    study.inputDirectory = directoryOf(inputPath);
    study.definition = readInputFile(inputPath, source);
    // A count outside 1 to 9 is a problem, refused below; the model holds 1 to 9.
    study.sessionCount = std::clamp(study.definition.sessionCount, 1, maxSessions);
    if (!study.definition.problems.empty())
        return Refusal{unusableInputMessage, joinLines(study.definition.problems)};
    return std::nullopt;
}

std::optional<Refusal> loadStudyLists(StudyFiles& study, const FileSource& source)
{
    ListCatalog& catalog = study.catalog;
    for (int s = 0; s < study.sessionCount; ++s) {
        catalog.requestedNames[2 * s] = study.session(s).Cat1;
        catalog.requestedNames[2 * s + 1] = study.session(s).Cat2;
    }
    catalog.loadForExperiment(study.sessionCount, study.inputDirectory, source);
    for (int s = 0; s < study.sessionCount; ++s)
        study.listIndex[s] = {catalog.indexOf(study.session(s).Cat1.view()),
                              catalog.indexOf(study.session(s).Cat2.view())};
    if (catalog.errorCode == errorMissingFile) {
        const std::string& path = catalog.missingPath;
        return Refusal{missingFileMessage, pathWithReason(path, source.absenceReason(path))};
    }

    Problems problems;
    for (int i = 0; i < catalog.fileCount; ++i)
        problems.insert(problems.end(), catalog.files[i].problems.begin(), catalog.files[i].problems.end());
    if (!problems.empty())
        return Refusal{unusableInputMessage, joinLines(problems)};
    return std::nullopt;
}

CategoryCounts loadedCounts(const StudyFiles& study)
{
    CategoryCounts counts{};
    for (int s = 0; s < study.sessionCount; ++s)
        for (int p = 0; p < 2; ++p)
            counts[s][p] = {study.listOf(s, p).entryCountA, study.listOf(s, p).entryCountB};
    return counts;
}

std::vector<ItemShortage> itemShortages(const StudyFiles& study, const CategoryCounts& counts,
                                        bool questionnairesFilled)
{
    std::vector<ItemShortage> shortages;
    // A file used by several pairs is named once, at its first use: one file to mend.
    std::vector<std::pair<int, int>> named;  // catalogue index, category
    for (int s = 0; s < study.sessionCount; ++s) {
        for (int p = 0; p < 2; ++p) {
            const WordList& file = study.listOf(s, p);
            if (file.isQuestionnaire && !questionnairesFilled)
                continue;
            const Entry* labels[2] = {&file.entriesA[0], &file.entriesB[0]};
            for (int c = 0; c < 2; ++c) {
                const std::pair<int, int> category{study.listIndex[s][p], c};
                if (counts[s][p][c] >= 2 || std::find(named.begin(), named.end(), category) != named.end())
                    continue;
                named.push_back(category);
                shortages.push_back({file.fileName.str(), "session " + std::to_string(s + 1) + ": category \"" +
                                                              labels[c]->str() + "\" of " + file.fileName.str() +
                                                              " has no items"});
            }
        }
    }
    return shortages;
}

std::optional<Refusal> shortageRefusal(const std::vector<ItemShortage>& shortages)
{
    if (shortages.empty())
        return std::nullopt;
    std::vector<std::string> lines;
    for (const ItemShortage& shortage : shortages)
        lines.push_back(shortage.text);
    return Refusal{unusableInputMessage, joinLines(lines)};
}

// A file not read as saved, and more pages than the run shows, which would leave the
// participant on pages the file does not hold.
Problems instructionFileProblems(const InstructionFileRun& file, const std::string& path)
{
    Problems problems = file.problems();
    if (file.pageCountInFile() > maxInstructionPages)
        problems.push_back("instruction file " + fileNameOf(path) + ": the page count is " +
                           std::to_string(file.pageCountInFile()) + ", at most " + std::to_string(maxInstructionPages) +
                           " pages are allowed");
    return problems;
}

std::optional<Refusal> instructionFileRefusal(const StudyFiles& study, const FileSource& source)
{
    const std::string path = study.instructionFilePath();
    if (!source.exists(path))
        return Refusal{missingFileMessage, pathWithReason(path, source.absenceReason(path))};
    const InstructionFileRun file = InstructionFileRun::open(path, source);
    if (const Problems problems = instructionFileProblems(file, path); !problems.empty())
        return Refusal{unusableInputMessage, joinLines(problems)};
    return std::nullopt;
}
