// The questionnaire file as the editor reads it (a UTF-16 file it does not open).
// Opening gives at least one page and blank slots beyond the count; showing a page
// and storing it back, as the editor does on every page command, changes nothing;
// and what the editor then saves reads back as the document it holds.

#include "fuzz_support.h"
#include "questionnaire/questionnaire_editing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = "/lists/fuzz.qls";
    MemoryFiles files;
    files.add(path, std::string(bytesOf(data, size)));
    const OpenedQuestionnaire opened = readQuestionnaireForEditing(path, files);
    if (byteOrderMarkOf(bytesOf(data, size)) == ByteOrderMark::Utf16) {
        FUZZ_REQUIRE(!opened.opened && !opened.error.empty());
        return 0;
    }
    FUZZ_REQUIRE(opened.opened && opened.document.fileName == path);

    QuestionnaireEditing editing;
    editing.replace(opened.document);
    const QuestionnaireDocument& document = editing.document();
    FUZZ_REQUIRE(document.pageCount >= 1 && document.pageCount <= maxQuestionnairePages);
    FUZZ_REQUIRE(document.problems.empty());
    for (int i = 0; i < maxQuestionnairePages; ++i) {
        if (i < opened.document.pageCount)
            FUZZ_REQUIRE(samePage(document.pages[i], opened.document.pages[i]));
        else
            FUZZ_REQUIRE(samePage(document.pages[i], QuestionnairePage{}));
    }
    FUZZ_REQUIRE(editing.needsItemCountWarning() == !isUsable(itemCounts(document)));

    // Page by page, as the editor flips through the document: the form shown for a
    // page, stored back from a form that selected no category before, leaves it as it was.
    const QuestionnaireDocument before = document;
    QuestionnairePages& pages = editing.pages();
    for (int i = 0; i < pages.count(); ++i) {
        FUZZ_REQUIRE(pages.current() == i);
        const QuestionnaireForm form = editing.show(QuestionnaireForm{});
        FUZZ_REQUIRE(form.pageIndex == i && form.pageCount == document.pageCount);
        editing.store(form);
        FUZZ_REQUIRE(listedChoices(pages.currentPage()).size() <= static_cast<std::size_t>(maxChoices));
        editing.choiceBoxes();
        pages.flipForward();
    }
    FUZZ_REQUIRE(sameQuestionnaire(document, before));

    std::string bytes;
    std::string reason;
    if (!formatQuestionnaireFile(document, bytes, reason))
        return 0;
    files.add(path, bytes);
    const OpenedQuestionnaire saved = readQuestionnaireForEditing(path, files);
    FUZZ_REQUIRE(saved.opened && sameQuestionnaire(saved.document, document));
    return 0;
}
