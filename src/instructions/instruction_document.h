#pragma once
// What the instruction page editor needs of the file beyond the page commands: the
// reading of a chosen file, which tells an unreadable file apart from a file read
// with problems, and the texts of its page lines.

#include <string>

#include "instructions/instruction_pages.h"

struct OpenedInstructions {
    bool opened = false;  // false: the file could not be read; error says why
    std::string error;
    InstructionPages pages;  // with problems, when opened; always at least one page
};

// Reads the file at path with the editor's reader. A file whose count gives no page
// is opened with one blank page, since the editor's document always has one.
OpenedInstructions openInstructionFile(const std::string& path, const FileSource& source = diskFiles());

// "Page 3" for page index 2, and " out of 7".
std::string pageNumberText(int pageIndex);
std::string pageTotalText(int pageCount);
