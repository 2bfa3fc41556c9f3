// The head of a questionnaire file, its two labels, as the list catalogue reads them
// for a run. Whatever the bytes, the list is a questionnaire of two labels and no
// items. For a file the questionnaire writer wrote, the head reader gives the labels
// the full reader gives, without problems.

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

    // The catalogue's path through a file source reads the same.
    MemoryFiles files;
    files.add("/study/fuzz.qls", std::string(bytes));
    WordList read;
    readQuestionnaireLabels("/study/fuzz.qls", read, files);
    FUZZ_REQUIRE(sameWordList(read, list) && read.problems == list.problems);

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
