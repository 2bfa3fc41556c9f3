#include "files/list_catalogue.h"

#include <algorithm>

#include "platform/directory_listing.h"

ListFileKind kindOfListFile(std::string_view name)
{
    if (name.find(".qls") != std::string_view::npos || name.find(".QLS") != std::string_view::npos)
        return ListFileKind::Questionnaire;
    return ListFileKind::WordList;
}

namespace {

// A name that a catalogue entry and an input file can hold as written.
bool isUsableListFileName(const std::string& name)
{
    return !name.empty() && name.size() <= listFileNameCapacity && !containsWhiteSpace(name);
}

}  // namespace

void ListCatalog::fillFromDirectory(const std::string& directory)
{
    files.fill(WordList{});
    fileCount = 0;
    errorCode = 0;
    missingPath.clear();
    missingPaths.clear();

    const auto add = [&](const std::string& name, ListFileKind kind) {
        WordList& list = files[fileCount++];
        if (kind == ListFileKind::Questionnaire)
            readQuestionnaireLabels(joinPath(directory, name), list);
        else
            readWordListFile(joinPath(directory, name), list);
        list.fileName.assign(name);
    };
    for (const std::string& name : listDirectory(directory, "wls")) {
        if (fileCount == catalogueCapacity)
            return;
        if (isUsableListFileName(name))
            add(name, ListFileKind::WordList);
    }
    for (const std::string& name : listDirectory(directory, "qls")) {
        if (fileCount == catalogueCapacity)
            return;
        if (isUsableListFileName(name))
            add(name, ListFileKind::Questionnaire);
    }
}

void ListCatalog::loadForExperiment(int sessionCount, const std::string& inputDirectory, const FileSource& source)
{
    files.fill(WordList{});
    fileCount = 0;
    missingPath.clear();
    missingPaths.clear();

    // Two names a session; never more than the 18 requested names held.
    const int requested = 2 * std::clamp(sessionCount, 0, catalogueCapacity / 2);
    for (int i = 0; i < requested; ++i) {
        const auto& name = requestedNames[i];
        if (indexOf(name) >= 0)
            continue;
        WordList& list = files[fileCount++];
        list.fileName = name;
        list.isQuestionnaire = kindOfListFile(name) == ListFileKind::Questionnaire;
    }

    errorCode = 0;
    for (int i = 0; i < fileCount; ++i) {
        WordList& list = files[i];
        const std::string path = joinPath(inputDirectory, list.fileName.str());
        if (!source.exists(path)) {
            errorCode = errorMissingFile;
            missingPath = path;
            missingPaths.push_back(path);
            continue;
        }
        if (list.isQuestionnaire)
            readQuestionnaireLabels(path, list, source);
        else
            readWordListFile(path, list, source);
    }
}

int ListCatalog::indexOf(std::string_view name) const
{
    for (int i = 0; i < fileCount; ++i) {
        if (files[i].fileName == name)
            return i;
    }
    return -1;
}
