// The instruction file through both of its readers. The editor's reader keeps 0 to
// 60 pages of at most 999 characters with empty slots beyond them; a file read
// without problems (and with pages) can be written; a document the writer accepts
// reads back as written and writes the same bytes again. The run's reader gives at
// most 60 pages of at most 999 characters, and empty ones once the file is
// exhausted; for a file the writer wrote it gives the editor's pages, the first
// behind the line end of the count line.

#include <algorithm>

#include "fuzz_support.h"

namespace {

// Once the file is exhausted every further page must be empty; the count of the
// pages shown never exceeds 60, whatever the file's count.
constexpr int pagesPastTheEnd = 300;

std::vector<std::string> runPages(std::string_view bytes)
{
    InstructionFileRun run(bytes);
    FUZZ_REQUIRE(run.pageCount() >= 0 && run.pageCount() == std::min(run.pageCountInFile(), maxInstructionPages));
    std::vector<std::string> pages;
    std::string page;
    int pastTheEnd = 0;
    while (pastTheEnd < pagesPastTheEnd) {
        const bool exhausted = run.exhausted();
        if (!run.nextPage(page))
            break;
        FUZZ_REQUIRE(page.size() <= pageTextCapacity);
        if (exhausted) {
            FUZZ_REQUIRE(page.empty());
            ++pastTheEnd;
        }
        pages.push_back(page);
    }
    FUZZ_REQUIRE(static_cast<int>(pages.size()) <= run.pageCount());
    return pages;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = bytesOf(data, size);
    runPages(bytes);

    const InstructionPages pages = parseInstructionFile(bytes, "fuzz.bgi");
    FUZZ_REQUIRE(pages.pageCount >= 0 && pages.pageCount <= maxInstructionPages);
    for (int i = pages.pageCount; i < maxInstructionPages; ++i)
        FUZZ_REQUIRE(pages.pageTexts[i].empty());

    std::string written;
    std::string reason;
    const bool accepted = formatInstructionFile(pages, written, reason);
    if (pages.problems.empty() && pages.pageCount >= 1)
        FUZZ_REQUIRE(accepted);
    if (!accepted)
        return 0;

    const InstructionPages again = parseInstructionFile(written, "fuzz.bgi");
    FUZZ_REQUIRE(again.problems.empty());
    FUZZ_REQUIRE(sameInstructions(again, pages));
    std::string writtenAgain;
    FUZZ_REQUIRE(formatInstructionFile(again, writtenAgain, reason));
    FUZZ_REQUIRE(writtenAgain == written);

    // The run shows the count line's line end at the top of the first page.
    const std::vector<std::string> shown = runPages(written);
    FUZZ_REQUIRE(static_cast<int>(shown.size()) == pages.pageCount);
    for (int i = 0; i < pages.pageCount; ++i) {
        const std::string text = pages.pageTexts[i].str();
        const std::string expected = i == 0 ? ("\n" + text).substr(0, pageTextCapacity) : text;
        FUZZ_REQUIRE(shown[i] == expected);
    }
    return 0;
}
