#include "common/study_file.h"

void StudyFileText::noteProblems(Problems& problems) const
{
    if (truncated)
        problems.insert(problems.begin(), prefix + "the file is larger than " + std::to_string(maxReadBytes) +
                                              " bytes; only its start was read");
    noteEncodingProblem(prefix, problems);
}

StudyFileText readStudyFile(const std::string& path, std::string_view kind, const FileSource& source)
{
    const std::string name = fileNameOf(path);
    return StudyFileText{source.readText(path), name, std::string(kind) + " " + name + ": "};
}

StudyFileText readStudyFileForEditing(const std::string& path, std::string_view kind, const FileSource& source)
{
    StudyFileText file = readStudyFile(path, kind, source);
    if (file.opened && file.encodingRefused) {
        file.opened = false;
        file.error = "cannot read " + path + ": " + file.encodingProblem;
    }
    return file;
}

std::string quoted(std::string_view text)
{
    constexpr std::size_t shown = 20;
    if (text.size() <= shown)
        return "\"" + std::string(text) + "\"";
    return "\"" + std::string(text.substr(0, shown)) + "...\"";
}
