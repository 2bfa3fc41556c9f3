// The word list file reader. Whatever the bytes, the kept entry counts lie within 0
// (no count could be read) and 19; a list read without problems can be written; and
// a list the writer accepts reads back as written, without problems, and writes the
// same bytes again.

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WordList list;
    parseWordListFile(bytesOf(data, size), "fuzz.wls", list);
    FUZZ_REQUIRE(list.entryCountA >= 0 && list.entryCountA <= maxEntries);
    FUZZ_REQUIRE(list.entryCountB >= 0 && list.entryCountB <= maxEntries);

    std::string bytes;
    std::string reason;
    const bool written = formatWordListFile(list, bytes, reason);
    if (list.problems.empty())
        FUZZ_REQUIRE(written);
    if (!written)
        return 0;

    WordList again;
    parseWordListFile(bytes, "fuzz.wls", again);
    FUZZ_REQUIRE(again.problems.empty());
    FUZZ_REQUIRE(sameWordList(again, list));
    std::string bytesAgain;
    FUZZ_REQUIRE(formatWordListFile(again, bytesAgain, reason));
    FUZZ_REQUIRE(bytesAgain == bytes);
    return 0;
}
