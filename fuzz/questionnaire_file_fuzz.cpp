// The questionnaire file as a run reads it: the document, its item counts and the
// usability rule, and the runner, whose screens answer every page with a reply and
// "no answer" in turn. A questionnaire that is not usable only shows the warning; a
// usable one gives lists that hold their labels and then their items without gaps,
// within 19 entries. A document the writer accepts reads back as written and writes
// the same bytes again; one read without problems (and with pages) can be written
// and reads back without problems.

#include <string>

#include "fuzz_support.h"
#include "questionnaire/questionnaire_runner.h"

namespace {

// Every question answered as a participant can answer it: a typed word, a selected
// alternative or choice, or "no answer", in turn; a list without choices can only be
// answered "no answer". The review removes a word of each list and closes with OK,
// or closes with Escape, in turn.
class AnsweringScreens final : public QuestionnaireScreens, public PageScreens, public ReviewScreens {
public:
    int questions = 0;
    int pages = 0;
    int warnings = 0;
    int reviews = 0;

    TextReply askText(std::string_view) override
    {
        if (skipThisOne())
            return {true, true, {}};
        return {true, false, "word" + std::to_string(questions)};
    }
    RadioReply askRadio(std::string_view, std::string_view, std::string_view) override
    {
        if (skipThisOne())
            return {true, true, -1};
        return {true, false, (questions / 2) % 2};
    }
    ListReply askList(std::string_view, const std::vector<std::string>& choices) override
    {
        if (skipThisOne() || choices.empty())
            return {true, true, -1};
        return {true, false, questions % static_cast<int>(choices.size())};
    }
    void showWarning(std::string_view) override { ++warnings; }
    void showPage(std::string_view) override { ++pages; }

    std::optional<std::pair<Entries, Entries>> reviewLists(const ListReviewState& state) override
    {
        if (++reviews % 2 == 0)
            return std::nullopt;
        ListReviewState edited = state;
        edited.removeLine(0, 0);
        edited.removeLine(1, state.wordCount(1) - 1);
        return std::make_pair(edited.entries(0), edited.entries(1));
    }

private:
    bool skipThisOne() { return ++questions % 2 == 0; }
};

// The label, then count - 1 items, then nothing.
bool packedList(const Entries& entries, int count, const Entry& label)
{
    if (count < 1 || count > maxEntries || !(entries[0] == label))
        return false;
    for (int i = 1; i < maxEntries; ++i)
        if (entries[i].empty() != (i >= count))
            return false;
    return true;
}

// A questionnaire that is not usable shows only the warning.
void checkRun(const QuestionnaireDocument& document)
{
    AnsweringScreens screens;
    QuestionnaireRunner runner(screens, screens, screens);
    QuestionnaireResult result;
    runner.run(document, result);

    FUZZ_REQUIRE(result.usable == isUsable(document));
    if (!result.usable) {
        FUZZ_REQUIRE(screens.warnings == 1 && screens.questions == 0 && screens.pages == 0);
        FUZZ_REQUIRE(result.entryCount1 == 0 && result.entryCount2 == 0);
        return;
    }
    FUZZ_REQUIRE(screens.warnings == 0);
    // One screen a page at most, and the three practice pages.
    FUZZ_REQUIRE(screens.questions + screens.pages <= document.pageCount + 3);
    FUZZ_REQUIRE(packedList(result.entries1, result.entryCount1, document.category1Label));
    FUZZ_REQUIRE(packedList(result.entries2, result.entryCount2, document.category2Label));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QuestionnaireDocument document = parseQuestionnaireFile(bytesOf(data, size), "fuzz.qls");
    FUZZ_REQUIRE(document.pageCount >= 0 && document.pageCount <= maxQuestionnairePages);
    const ItemCounts counts = itemCounts(document);
    FUZZ_REQUIRE(counts.category1 >= 0 && counts.category1 <= document.pageCount);
    FUZZ_REQUIRE(counts.category2 >= 0 && counts.category2 <= document.pageCount);
    checkRun(document);

    std::string bytes;
    std::string reason;
    const bool written = formatQuestionnaireFile(document, bytes, reason);
    if (document.problems.empty() && document.pageCount >= 1)
        FUZZ_REQUIRE(written);
    if (!written)
        return 0;

    const QuestionnaireDocument again = parseQuestionnaireFile(bytes, "fuzz.qls");
    FUZZ_REQUIRE(sameQuestionnaire(again, document));
    if (document.problems.empty())
        FUZZ_REQUIRE(again.problems.empty());
    std::string bytesAgain;
    FUZZ_REQUIRE(formatQuestionnaireFile(again, bytesAgain, reason));
    FUZZ_REQUIRE(bytesAgain == bytes);
    return 0;
}
