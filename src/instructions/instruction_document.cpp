#include "instructions/instruction_document.h"

#include "common/study_file.h"

OpenedInstructions openInstructionFile(const std::string& path, const FileSource& source)
{
    OpenedInstructions result;
    const StudyFileText file = readStudyFileForEditing(path, "instruction file", source);
    // A file the editor cannot read leaves its pages as they are.
    if (!file.opened) {
        result.error = file.error;
        return result;
    }
    result.opened = true;
    result.pages = parseInstructionFile(file.bytes, file.fileName);
    result.pages.fileName = path;
    file.noteProblems(result.pages.problems);
    if (result.pages.pageCount < 1)
        result.pages.pageCount = 1;
    return result;
}

std::string pageNumberText(int pageIndex) { return "Page " + std::to_string(pageIndex + 1); }

std::string pageTotalText(int pageCount) { return " out of " + std::to_string(pageCount); }
