// An instruction file as the instruction page editor opens it: always 1 to 60 pages,
// with empty slots beyond them, the file name the path; only a UTF-16 file is not
// opened. A file opened without problems can be saved, and what the editor saves
// opens as the pages it held.

#include "fuzz_support.h"
#include "instructions/instruction_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = "/pages/fuzz.bgi";
    MemoryFiles files;
    files.add(path, std::string(bytesOf(data, size)));

    const OpenedInstructions opened = openInstructionFile(path, files);
    if (byteOrderMarkOf(bytesOf(data, size)) == ByteOrderMark::Utf16) {
        FUZZ_REQUIRE(!opened.opened && !opened.error.empty());
        return 0;
    }
    FUZZ_REQUIRE(opened.opened && opened.pages.fileName == path);
    const InstructionPages& pages = opened.pages;
    FUZZ_REQUIRE(pages.pageCount >= 1 && pages.pageCount <= maxInstructionPages);
    for (int i = pages.pageCount; i < maxInstructionPages; ++i)
        FUZZ_REQUIRE(pages.pageTexts[i].empty());
    for (int i = 0; i < pages.pageCount; ++i)
        FUZZ_REQUIRE(!pageNumberText(i).empty() && !pageTotalText(pages.pageCount).empty());

    std::string bytes;
    std::string reason;
    const bool accepted = formatInstructionFile(pages, bytes, reason);
    if (pages.problems.empty())
        FUZZ_REQUIRE(accepted);
    if (!accepted)
        return 0;
    files.add(path, bytes);
    const OpenedInstructions saved = openInstructionFile(path, files);
    FUZZ_REQUIRE(saved.opened && saved.pages.problems.empty() && sameInstructions(saved.pages, pages));
    return 0;
}
