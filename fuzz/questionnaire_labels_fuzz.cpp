// The head of a questionnaire file, its two labels, as the list catalogue reads them
// for a run. Whatever the bytes, the list is a questionnaire of two labels and no
// items. The catalogue reads a file without a byte order mark as its bytes, and a
// UTF-8 file of plain ASCII as the same file without its mark. For a file the
// questionnaire writer wrote, the head reader gives the labels the full reader gives,
// without problems.

#include <algorithm>

#include "fuzz_support.h"

namespace {

bool onlyLabels(const WordList& list)
{
    if (!list.isQuestionnaire || list.entryCountA != 1 || list.entryCountB != 1)
        return false;
    for (int i = 1; i < maxEntries; ++i)
        if (!list.entriesA[i].empty() || !list.entriesB[i].empty())
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = bytesOf(data, size);
    WordList list;
    parseQuestionnaireLabels(bytes, "fuzz.qls", list);
    FUZZ_REQUIRE(onlyLabels(list));

    MemoryFiles files;
    files.add("/study/fuzz.qls", std::string(bytes));
    WordList read;
    readQuestionnaireLabels("/study/fuzz.qls", read, files);
    FUZZ_REQUIRE(onlyLabels(read));
    switch (byteOrderMarkOf(bytes)) {
    case ByteOrderMark::None:
        FUZZ_REQUIRE(sameWordList(read, list) && read.problems == list.problems);
        break;
    case ByteOrderMark::Utf8:
        if (std::all_of(bytes.begin() + 3, bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            WordList unmarked;
            parseQuestionnaireLabels(bytes.substr(3), "fuzz.qls", unmarked);
            FUZZ_REQUIRE(sameWordList(read, unmarked) && read.problems == unmarked.problems);
        }
        break;
    case ByteOrderMark::Utf16:
        FUZZ_REQUIRE(read.problems.size() == 1);
        break;
    }

    const QuestionnaireDocument document = parseQuestionnaireFile(bytes, "fuzz.qls");
    std::string written;
    std::string reason;
    if (!formatQuestionnaireFile(document, written, reason))
        return 0;
    WordList head;
    parseQuestionnaireLabels(written, "fuzz.qls", head);
    FUZZ_REQUIRE(head.problems.empty());
    FUZZ_REQUIRE(head.entriesA[0] == document.category1Label && head.entriesB[0] == document.category2Label);
    return 0;
}
