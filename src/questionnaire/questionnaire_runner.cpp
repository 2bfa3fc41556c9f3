#include "questionnaire/questionnaire_runner.h"

#include <algorithm>
#include <vector>

namespace {

const char* const textPracticeQuestion =
    "For some of the questions, you will be asked to type in editing boxes like the one below.  Go ahead and "
    "practice using the editing box now by typing in \"howdy\".  If you have problems with these instructions, "
    "have the experimenter help you.  Click on the OK button, or press \"enter\" when you are done.";
const char* const listPracticeQuestion =
    "For some of the questions, you will be asked to select an item from a list of items.  To practice selecting "
    "an item from a list of items, go ahead and select an ice cream flavor from the list below.  To select a "
    "flavor, simply click on it.   Your selection should become highlighted.  Click on the OK button or press "
    "\"enter\" when you are done.";
const char* const radioPracticeQuestion =
    "Sometimes, you will have no answer to a particular question.  In such a case, you would click your mouse on "
    "the circle next to the \"no answer\" option.  For practice, do so now.  Click on the OK button or press "
    "\"enter\" when you are done.";

// One category's list as the run fills it: the label, then items at the next free
// index. An entry may stay empty (a radio page of neither category); the review
// closes such gaps.
struct WorkingList {
    Entries entries;
    int next = 1;

    void append(std::string_view item)
    {
        // The item count rule keeps a usable questionnaire within the list.
        if (next >= maxEntries)
            return;
        entries[next].assign(item);
        ++next;
    }
    void skip()
    {
        if (next < maxEntries)
            ++next;
    }
};

int pageCountOf(const QuestionnaireDocument& document)
{
    return std::clamp(document.pageCount, 0, maxQuestionnairePages);
}

bool holdsPageOf(const QuestionnaireDocument& document, PageType type)
{
    const auto first = document.pages.begin();
    return std::any_of(first, first + pageCountOf(document),
                       [type](const QuestionnairePage& p) { return p.type == type; });
}

}  // namespace

QuestionnaireRunner::QuestionnaireRunner(QuestionnaireScreens& questions, PageScreens& pages, ReviewScreens& review)
    : questions_(questions), pages_(pages), review_(review)
{
}

void QuestionnaireRunner::runFile(const std::string& path, QuestionnaireResult& result)
{
    run(readQuestionnaireFile(path), result);
}

// The two categories' lists as the run fills them: the labels, then the
// experimenter items, which come first in their lists, in page order, ahead of every
// answer; an item of neither category is placed nowhere.
struct QuestionnaireRunner::Lists {
    WorkingList byCategory[2];

    explicit Lists(const QuestionnaireDocument& document)
    {
        byCategory[0].entries[0] = document.category1Label;
        byCategory[1].entries[0] = document.category2Label;
        for (int i = 0; i < pageCountOf(document); ++i) {
            const QuestionnairePage& page = document.pages[i];
            if (page.type == PageType::ExperimenterItem) {
                if (WorkingList* list = of(page.category))
                    list->append(page.experimenterItem);
            }
        }
    }
    // The list of category 1 or 2; nothing for a page of neither category.
    WorkingList* of(int category) { return category == 1 || category == 2 ? &byCategory[category - 1] : nullptr; }
};

void QuestionnaireRunner::run(const QuestionnaireDocument& document, QuestionnaireResult& result)
{
    result.usable = false;
    result.entryCount1 = 0;
    result.entryCount2 = 0;
    result.entries1 = Entries{};
    result.entries2 = Entries{};

    Lists lists(document);
    if (!isUsable(document)) {
        questions_.showWarning(unusableQuestionnaireMessage);
        return;
    }
    result.usable = true;
    offerPractice(document, result);
    for (int i = 0; i < pageCountOf(document); ++i)
        askPage(document.pages[i], lists);
    review(lists, result);
}

// A reply is recorded only when the page was closed with OK, "no answer" is
// unchecked and the reply passes the page's check.
void QuestionnaireRunner::askPage(const QuestionnairePage& page, Lists& lists)
{
    switch (page.type) {
    case PageType::InstructionOnly:
        pages_.showPage(page.text.view());
        break;
    case PageType::TextResponse:
        askText(page, lists);
        break;
    case PageType::RadioChoice:
        askRadio(page, lists);
        break;
    case PageType::ListOfChoices:
        askList(page, lists);
        break;
    case PageType::ExperimenterItem:  // placed before the first page
        break;
    }
}

void QuestionnaireRunner::askText(const QuestionnairePage& page, Lists& lists)
{
    const TextReply reply = questions_.askText(page.text.view());
    if (reply.closedWithOk && !reply.noAnswer && !checkTextReply(reply.answer, reply.noAnswer)) {
        if (WorkingList* list = lists.of(page.category))
            list->append(reply.answer);
    }
}

void QuestionnaireRunner::askRadio(const QuestionnairePage& page, Lists& lists)
{
    const RadioReply reply = questions_.askRadio(page.text.view(), page.radioItems[0], page.radioItems[1]);
    if (!reply.closedWithOk || reply.noAnswer || checkRadioReply(reply.selection, reply.noAnswer))
        return;
    const Entry& chosen = page.radioItems[reply.selection];
    const Entry& other = page.radioItems[1 - reply.selection];
    // The chosen item joins the page's category, the other item the other
    // category; a page of neither category leaves a gap in both lists.
    auto& [list1, list2] = lists.byCategory;
    if (page.category == 1) {
        list1.append(chosen);
        list2.append(other);
    } else if (page.category == 2) {
        list1.append(other);
        list2.append(chosen);
    } else {
        list1.skip();
        list2.skip();
    }
}

void QuestionnaireRunner::askList(const QuestionnairePage& page, Lists& lists)
{
    const int count = std::clamp(page.choiceCount, 0, maxChoices);
    std::vector<std::string> choices;
    for (int j = 0; j < count; ++j)
        choices.push_back(page.choices[j].str());
    const ListReply reply = questions_.askList(page.text.view(), choices);
    if (reply.closedWithOk && !reply.noAnswer && !checkListReply(reply.selection, reply.noAnswer) &&
        reply.selection < count) {
        if (WorkingList* list = lists.of(page.category))
            list->append(choices[reply.selection]);
    }
}

void QuestionnaireRunner::review(Lists& lists, QuestionnaireResult& result)
{
    auto& [list1, list2] = lists.byCategory;
    Entries packed1;
    Entries packed2;
    const ReviewCounts counts = reviewWordLists(review_, list1.entries, packed1, list2.entries, packed2,
                                                wordingMisspelled, list1.next, list2.next, 1);
    result.entries1 = packed1;
    result.entries2 = packed2;
    result.entryCount1 = counts.countA;
    result.entryCount2 = counts.countB;
}

void QuestionnaireRunner::offerPractice(const QuestionnaireDocument& document, QuestionnaireResult& result)
{
    // Once in a run for each kind of question, before the pages of the first
    // questionnaire that asks it: a practice page of that kind, recording nothing.
    if (!result.textPracticeShown && holdsPageOf(document, PageType::TextResponse)) {
        questions_.askText(textPracticeQuestion);
        result.textPracticeShown = true;
    }
    if (!result.listPracticeShown && holdsPageOf(document, PageType::ListOfChoices)) {
        questions_.askList(listPracticeQuestion, {"Chocolate", "Vanilla", "Strawberry", "Cookie Dough"});
        result.listPracticeShown = true;
    }
    if (!result.radioPracticeShown && holdsPageOf(document, PageType::RadioChoice)) {
        questions_.askRadio(radioPracticeQuestion, "cat person", "dog person");
        result.radioPracticeShown = true;
    }
}
