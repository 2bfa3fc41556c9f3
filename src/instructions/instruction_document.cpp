#include "instructions/instruction_document.h"

OpenedInstructions openInstructionFile(const std::string& path, const FileSource& source)
{
    OpenedInstructions result;
    const TextReadOutcome read = source.readText(path);
    if (!read.opened) {
        result.error = read.error;
        return result;
    }
    // A file the editor cannot read at all leaves its pages as they are.
    if (read.encodingRefused) {
        result.error = "cannot read " + path + ": " + read.encodingProblem;
        return result;
    }
    result.opened = true;
    result.pages = parseInstructionFile(read.bytes, fileNameOf(path));
    result.pages.fileName = path;
    if (read.truncated)
        result.pages.problems.insert(result.pages.problems.begin(),
                                     "instruction file " + fileNameOf(path) + ": the file is larger than " +
                                         std::to_string(maxReadBytes) + " bytes; only its start was read");
    read.noteEncodingProblem("instruction file " + fileNameOf(path) + ": ", result.pages.problems);
    if (result.pages.pageCount < 1)
        result.pages.pageCount = 1;
    return result;
}

std::string pageNumberText(int pageIndex) { return "Page " + std::to_string(pageIndex + 1); }

std::string pageTotalText(int pageCount) { return " out of " + std::to_string(pageCount); }
