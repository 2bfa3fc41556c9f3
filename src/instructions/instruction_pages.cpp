#include "instructions/instruction_pages.h"

#include <algorithm>

#include "common/study_file.h"

namespace {

enum class PageEnd { Hash, EndOfFile, Missing };

// Reads one page: the text up to the next "#", which is dropped, then its line end
// (with at most one byte before it).
PageEnd readPage(TextReader& reader, std::string& page)
{
    page.clear();
    bool closed = false;
    if (!reader.readUntil('#', page, closed))
        return PageEnd::Missing;
    if (!closed)
        return PageEnd::EndOfFile;
    reader.consumeLineEnd();
    return PageEnd::Hash;
}

}  // namespace

InstructionPages parseInstructionFile(std::string_view bytes, const std::string& fileName)
{
    InstructionPages pages;
    pages.fileName = fileName;
    pages.pageCount = 0;
    const auto problem = [&](const std::string& text) {
        pages.problems.push_back("instruction file " + fileName + ": " + text);
    };

    const std::string text = diskToMemoryText(bytes);
    TextReader reader(text);
    int count = 0;
    if (!reader.readInt(count)) {
        if (reader.onlyWhiteSpaceLeft())
            problem("the file ends before the page count; it has no pages");
        else
            problem("the page count " + quoted(reader.peekToken()) + " cannot be read as a number; no pages were read");
        return pages;
    }
    if (count < 0) {
        problem("the page count is " + std::to_string(count) + "; no pages were read");
        return pages;
    }
    if (count > maxInstructionPages) {
        problem("the file has " + std::to_string(count) + " pages, at most " + std::to_string(maxInstructionPages) +
                " are allowed; the last " + std::to_string(count - maxInstructionPages) + " were left out");
    }
    pages.pageCount = std::min(count, maxInstructionPages);
    // The rest of the count line: its line end, with at most one byte before it.
    reader.consumeLineEnd();

    std::string page;
    for (int i = 0; i < pages.pageCount; ++i) {
        const PageEnd end = readPage(reader, page);
        if (end == PageEnd::Missing) {
            problem("the file ends after " + std::to_string(i) + " of " + std::to_string(count) +
                    " pages; the missing pages are empty");
            break;
        }
        if (!pages.pageTexts[i].assign(page))
            problem("page " + std::to_string(i + 1) + " is longer than " + std::to_string(pageTextCapacity) +
                    " characters; it was cut");
        if (end == PageEnd::EndOfFile) {
            problem("the file ends before the \"#\" of page " + std::to_string(i + 1) + " of " + std::to_string(count));
            break;
        }
    }
    return pages;
}

InstructionPages readInstructionFile(const std::string& path, const FileSource& source)
{
    const StudyFileText file = readStudyFile(path, "instruction file", source);
    if (!file.opened) {
        InstructionPages pages;
        pages.fileName = path;
        pages.problems.push_back(file.error);
        return pages;
    }
    InstructionPages pages = parseInstructionFile(file.bytes, file.fileName);
    pages.fileName = path;
    file.noteProblems(pages.problems);
    return pages;
}

bool formatInstructionFile(const InstructionPages& pages, std::string& bytes, std::string& reason)
{
    reason.clear();
    if (pages.pageCount < 1 || pages.pageCount > maxInstructionPages) {
        reason = "the page count is " + std::to_string(pages.pageCount) + "; it must be 1 to " +
                 std::to_string(maxInstructionPages);
        return false;
    }
    for (int i = 0; i < pages.pageCount; ++i) {
        if (pages.pageTexts[i].view().find('#') != std::string_view::npos) {
            reason = "page " + std::to_string(i + 1) + " contains \"#\", which ends a page in the file";
            return false;
        }
    }

    TextWriter out;
    out << pages.pageCount << '\n';
    for (int i = 0; i < pages.pageCount; ++i)
        out << pages.pageTexts[i].view() << "#\n";
    bytes = out.bytes();
    return true;
}

WriteOutcome writeInstructionFile(const InstructionPages& pages, const std::string& path)
{
    return writeStudyFile(formatInstructionFile, pages, path);
}

InstructionFileRun::InstructionFileRun(std::string_view bytes) : reader_(diskToMemoryText(bytes))
{
    int count = 0;
    // A failed count leaves the reader failed, and a negative one shows nothing.
    if (reader_.readInt(count) && count > 0)
        countInFile_ = count;
    count_ = std::min(countInFile_, maxInstructionPages);
}

InstructionFileRun InstructionFileRun::open(const std::string& path, const FileSource& source)
{
    const StudyFileText read = readStudyFile(path, "instruction file", source);
    InstructionFileRun file(read.opened ? std::string_view(read.bytes) : std::string_view());
    read.noteEncodingProblem(read.prefix, file.problems_);
    return file;
}

bool InstructionFileRun::nextPage(std::string& text)
{
    if (given_ >= count_)
        return false;
    ++given_;
    text.clear();
    // Once the file is exhausted every further page is empty.
    if (reader_.readUntil('#', text)) {
        if (text.size() > pageTextCapacity)
            text.resize(pageTextCapacity);
        reader_.consumeLineEnd();
    }
    return true;
}

std::string pageDisplayText(std::string_view pageText)
{
    std::string shown;
    shown.reserve(pageText.size());
    for (std::size_t i = 0; i < pageText.size(); ++i) {
        if (pageText[i] == '\r') {
            if (i + 1 < pageText.size() && pageText[i + 1] == '\n')
                ++i;
            shown += '\n';
        } else {
            shown += pageText[i];
        }
    }
    return shown;
}
