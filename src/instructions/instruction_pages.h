#pragma once
// The instruction file (.bgi): a page count, then each page's text ended by "#" and
// a line end. InstructionPages is its in-memory form for the editor; the run reads
// the same file page by page through InstructionFileRun.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "common/bounded_text.h"
#include "common/file_io.h"
#include "common/file_source.h"
#include "common/problems.h"
#include "common/text_stream.h"

inline constexpr int maxInstructionPages = 60;
inline constexpr std::size_t pageTextCapacity = 999;

// A page text in memory holds its line breaks as CR LF, as a multi-line edit box
// produces them; on disk each becomes CR CR LF.
using PageText = BoundedText<pageTextCapacity>;

struct InstructionPages {
    int pageCount = 1;  // pages in use; slots beyond it are empty
    std::array<PageText, maxInstructionPages> pageTexts;
    std::string fileName;  // the path last opened or saved; empty for a new document

    // What the reader had to cut or clamp.
    Problems problems;
};

// Parses the bytes of an instruction file the way the editor reads it. fileName
// names the file in problems and becomes the document's file name. A count outside
// 0 to 60 keeps 0 or 60 pages, a page over 999 characters keeps its first 999 and
// the pages after it stay intact, and a file that ends early leaves the missing
// pages empty; each is recorded as a problem.
InstructionPages parseInstructionFile(std::string_view bytes, const std::string& fileName);
// Reads the file at path; a file that cannot be opened gives an empty one-page
// document with a problem. The document's file name is path.
InstructionPages readInstructionFile(const std::string& path, const FileSource& source = diskFiles());

// The file's bytes for the pages in use. Refuses a count outside 1 to 60 and a page
// that contains "#", which the format cannot hold.
bool formatInstructionFile(const InstructionPages& pages, std::string& bytes, std::string& reason);
// Formats and replaces the file at path atomically.
WriteOutcome writeInstructionFile(const InstructionPages& pages, const std::string& path);

// The run's reading of an instruction file: as many pages as the count says, at most
// 60, one at a time. The line end after the count is not consumed, so the first page
// begins with "\n". A count of 0, a negative or a non-numeric count gives no page;
// pages beyond the end of the file are empty. Pages are read only when asked for.
// The run refuses a file with problems or a count above 60 before it shows a page.
class InstructionFileRun {
public:
    explicit InstructionFileRun(std::string_view bytes);
    // A file that cannot be opened gives no page (the run checks the file first), as
    // does a UTF-16 file, which is a problem.
    static InstructionFileRun open(const std::string& path, const FileSource& source = diskFiles());

    // The pages shown.
    int pageCount() const { return count_; }
    // The count as the file gives it (0 for none), which may exceed the 60 shown.
    int pageCountInFile() const { return countInFile_; }
    // Why the file was not read as saved: its encoding.
    const Problems& problems() const { return problems_; }
    // The next page's text, at most 999 characters; false once every page is given.
    bool nextPage(std::string& text);
    // True once the file has no bytes left: every page still to come is empty.
    bool exhausted() const { return reader_.atEnd(); }

private:
    TextReader reader_;
    int countInFile_ = 0;
    int count_ = 0;
    int given_ = 0;
    Problems problems_;
};

// A page text as it is displayed: CR LF, a lone CR and LF all become one "\n".
std::string pageDisplayText(std::string_view pageText);
