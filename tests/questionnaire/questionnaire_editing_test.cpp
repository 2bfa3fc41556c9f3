// The questionnaire editor's rules without widgets: store and show page, the
// choices of a list page, opening for editing, and what its boxes may hold.
#include <gtest/gtest.h>

#include <string>

#include "common/temp_directory.h"
#include "questionnaire/document_builder.h"
#include "instructions/page_text.h"
#include "questionnaire/field_text.h"
#include "questionnaire/questionnaire_editing.h"

namespace {

QuestionnaireForm filledForm()
{
    QuestionnaireForm f;
    f.category1Label = "Fruit";
    f.category2Label = "Tools";
    f.category = 2;
    f.type = 3;
    f.pageText = "Which one?\r\nPick";
    f.radioItems = {"apple", "saw"};
    f.experimenterItem = "pear";
    return f;
}

ChoiceBoxes boxes(std::initializer_list<std::string> filled)
{
    ChoiceBoxes b;
    std::size_t k = 0;
    for (const std::string& text : filled)
        b[k++] = text;
    return b;
}

}  // namespace

TEST(QuestionnaireEditing, StoreTakesEveryFieldWhateverTheTypeAndKeepsUnselectedButtonsValues)
{
    QuestionnaireEditing e;
    e.store(filledForm());
    const QuestionnaireDocument& d = e.document();
    EXPECT_EQ(d.category1Label, "Fruit");
    EXPECT_EQ(d.category2Label, "Tools");
    const QuestionnairePage& p = d.pages[0];
    EXPECT_EQ(p.type, PageType::RadioChoice);
    EXPECT_EQ(p.category, 2);
    EXPECT_EQ(p.text, "Which one?\r\nPick");
    EXPECT_EQ(p.radioItems[0], "apple");
    EXPECT_EQ(p.radioItems[1], "saw");
    EXPECT_EQ(p.experimenterItem, "pear") << "stored although the page is a radio page";

    // Neither category button nor any type button selected: both stay.
    QuestionnaireForm none = filledForm();
    none.category = 0;
    none.type = 0;
    e.store(none);
    EXPECT_EQ(d.pages[0].category, 2);
    EXPECT_EQ(d.pages[0].type, PageType::RadioChoice);

    // A field over its capacity is cut to it.
    QuestionnaireForm longer = filledForm();
    longer.experimenterItem = "sixteen-letters!";
    longer.pageText = std::string(1200, 'x');
    e.store(longer);
    EXPECT_EQ(d.pages[0].experimenterItem, "sixteen-letters");
    EXPECT_EQ(d.pages[0].text.size(), 999u);
}

TEST(QuestionnaireEditing, ShowGivesThePageAndABlankPageKeepsTheCategoryTheButtonsShow)
{
    QuestionnaireEditing e;
    e.store(filledForm());
    QuestionnaireForm shown = e.show(QuestionnaireForm{});
    QuestionnaireForm expected = filledForm();
    expected.pageCount = 1;
    EXPECT_EQ(shown, expected);

    // A page added after a page of category 2, stored without touching the
    // category buttons, gets category 2.
    ASSERT_TRUE(e.pages().addPage());
    shown = e.show(shown);
    EXPECT_EQ(shown.category, 2);
    EXPECT_EQ(shown.type, 1) << "a blank page is an instruction page";
    EXPECT_EQ(shown.pageText, "");
    EXPECT_EQ(shown.radioItems[0], "");
    EXPECT_EQ(shown.pageIndex, 1);
    EXPECT_EQ(shown.pageCount, 2);
    EXPECT_EQ(e.document().pages[1].category, 0);
    e.store(shown);
    EXPECT_EQ(e.document().pages[1].category, 2);

    // With no button selected yet, a blank page shows none.
    QuestionnaireEditing fresh;
    EXPECT_EQ(fresh.show(QuestionnaireForm{}).category, 0);

    // A page of category 1 selects the first button whatever was shown.
    QuestionnaireForm one = filledForm();
    one.category = 1;
    e.store(one);
    EXPECT_EQ(e.show(shown).category, 1);
}

TEST(QuestionnaireEditing, APageOfAnUnknownTypeSelectsNoTypeButtonAndKeepsItsType)
{
    QuestionnaireDocument d = makeDocument("A", "B", {instructionPage("x")});
    d.pages[0].type = static_cast<PageType>(7);
    QuestionnaireEditing e;
    e.replace(d);
    const QuestionnaireForm shown = e.show(QuestionnaireForm{});
    EXPECT_EQ(shown.type, 0);
    e.store(shown);
    EXPECT_EQ(static_cast<int>(e.document().pages[0].type), 7);
}

TEST(QuestionnaireEditing, ARadioPageKeepsItsListAndItemInMemoryButTheFileHoldsOnlyItsRadioItems)
{
    QuestionnaireEditing e;
    e.applyChoiceBoxes(boxes({"saw", "drill"}));
    e.store(filledForm());  // type 3, experimenter item "pear"
    EXPECT_EQ(e.document().pages[0].choiceCount, 2);
    EXPECT_EQ(e.document().pages[0].experimenterItem, "pear");
    EXPECT_EQ(formatted(e.document()),
              "Fruit#\r\nTools#\r\n1\r\n2\r\nWhich one?\r\r\nPick#\r\n3\r\napple#\r\nsaw#\r\n");
}

TEST(QuestionnaireEditing, ChoiceBoxesDropEmptyBoxesAndLeaveSlotsBeyondTheCount)
{
    QuestionnaireEditing e;
    // Ten and more choices come back unchanged, each in its own box.
    const ChoiceBoxes many = boxes({"c1", "c2", "c3", "c4", "c5", "c6", "c7", "c8", "c9", "c10", "c11", "c12"});
    e.applyChoiceBoxes(many);
    EXPECT_EQ(e.document().pages[0].choiceCount, 12);
    EXPECT_EQ(e.choiceBoxes(), many);
    e.applyChoiceBoxes(e.choiceBoxes());
    EXPECT_EQ(e.choiceBoxes(), many);

    // Emptying box 2 of five: four choices, 3 to 5 moving up; slot 5 keeps its text.
    QuestionnaireEditing five;
    five.applyChoiceBoxes(boxes({"a", "b", "c", "d", "e"}));
    five.applyChoiceBoxes(boxes({"a", "", "c", "d", "e"}));
    const QuestionnairePage& p = five.document().pages[0];
    EXPECT_EQ(p.choiceCount, 4);
    EXPECT_EQ(listedChoices(p), (std::vector<std::string>{"a", "c", "d", "e"}));
    EXPECT_EQ(p.choices[4], "e");
    EXPECT_EQ(five.choiceBoxes()[4], "e") << "the box shows what the page holds there";

    // Every box emptied: no choices; the type is not changed.
    five.applyChoiceBoxes(ChoiceBoxes{});
    EXPECT_EQ(five.document().pages[0].choiceCount, 0);
    EXPECT_EQ(five.document().pages[0].type, PageType::InstructionOnly);
}

TEST(QuestionnaireEditing, MovingAListPageCarriesItsChoicesAndEveryOtherField)
{
    QuestionnaireEditing e;
    e.replace(makeDocument("A", "B",
                           {textPage(1, "first"), listPage(2, "pick", {"x", "y", "z"}), itemPage(1, "pear", "n")}));
    e.pages().flipForward();
    e.pages().moveTowardsBack();
    const QuestionnaireDocument& d = e.document();
    EXPECT_EQ(e.pages().current(), 2);
    EXPECT_EQ(d.pages[1].experimenterItem, "pear");
    EXPECT_EQ(d.pages[2].type, PageType::ListOfChoices);
    EXPECT_EQ(d.pages[2].category, 2);
    EXPECT_EQ(listedChoices(d.pages[2]), (std::vector<std::string>{"x", "y", "z"}));
    e.pages().moveTowardsFront();
    e.pages().moveTowardsFront();
    EXPECT_EQ(listedChoices(d.pages[0]), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(d.pages[1].text, "first");
}

TEST(QuestionnaireEditing, ReplaceShowsTheFirstPageAndGivesAFileWithoutPagesOneBlankPage)
{
    QuestionnaireEditing e;
    e.replace(makeDocument("A", "B", {textPage(1, "a"), textPage(2, "b"), textPage(1, "c")}));
    e.pages().flipForward();
    e.pages().flipForward();
    QuestionnaireDocument shorter = makeDocument("C", "D", {textPage(2, "only")});
    shorter.fileName = "/tmp/short.qls";
    shorter.problems.push_back("something");
    e.replace(shorter);
    EXPECT_EQ(e.pages().current(), 0);
    EXPECT_EQ(e.pages().count(), 1);
    EXPECT_EQ(e.document().pages[1].text, "") << "no page of the earlier document is left behind";
    EXPECT_EQ(e.document().fileName, "/tmp/short.qls");
    EXPECT_TRUE(e.document().problems.empty());

    QuestionnaireDocument empty = parseQuestionnaireFile("L1#\r\nL2#\r\n0\r\n", "empty.qls");
    e.replace(empty);
    EXPECT_EQ(e.pages().count(), 1);
    EXPECT_EQ(e.document().pages[0].text, "");
    EXPECT_EQ(e.document().category1Label, "L1");

    e.clear();
    EXPECT_EQ(e.document().category1Label, "");
    EXPECT_EQ(e.document().fileName, "");
    EXPECT_EQ(e.pages().count(), 1);
}

TEST(QuestionnaireEditing, ReadingForEditingTellsAFileThatCannotBeReadFromOneWithProblems)
{
    TempDirectory dir;
    const OpenedQuestionnaire missing = readQuestionnaireForEditing(dir.file("none.qls"));
    EXPECT_FALSE(missing.opened);
    EXPECT_EQ(missing.error, "cannot read " + dir.file("none.qls") + ": No such file or directory");

    dir.write("cut.qls", "Fruit#\r\nTools#\r\n2\r\n1\r\nName one#\r\n2\r\n");
    const OpenedQuestionnaire cut = readQuestionnaireForEditing(dir.file("cut.qls"));
    ASSERT_TRUE(cut.opened);
    EXPECT_EQ(cut.document.fileName, dir.file("cut.qls"));
    EXPECT_EQ(cut.document.pages[0].text, "Name one");
    ASSERT_EQ(cut.document.problems.size(), 1u);
    EXPECT_NE(cut.document.problems[0].find("cut.qls"), std::string::npos);
}

TEST(QuestionnaireEditing, TheItemCountWarningFollowsTheRuleForBothCategories)
{
    QuestionnaireEditing e;
    const auto withPages = [&](const std::vector<QuestionnairePage>& pages) {
        e.replace(makeDocument("A", "B", pages));
        return e.needsItemCountWarning();
    };
    EXPECT_FALSE(withPages({radioPage(0, "q", "a", "b"), radioPage(0, "q", "a", "b"), textPage(1, "q"),
                            itemPage(1, "x"), listPage(2, "q", {"a"}), itemPage(2, "y")}));
    EXPECT_TRUE(withPages({radioPage(0, "q", "a", "b"), radioPage(0, "q", "a", "b"), textPage(1, "q"), itemPage(1, "x"),
                           listPage(2, "q", {"a"}), instructionPage("not an item")}));
    EXPECT_TRUE(withPages({instructionPage("nothing")}));
    std::vector<QuestionnairePage> nineteen(19, radioPage(1, "q", "a", "b"));
    EXPECT_TRUE(withPages(nineteen));
    nineteen.pop_back();
    EXPECT_FALSE(withPages(nineteen));
}

TEST(FieldText, AnEntryIsSingleByteWithoutHashAndAtMostItsCapacity)
{
    EXPECT_EQ(entryFromBox("caf\xC3\xA9", 15), std::optional<std::string>("caf\xE9"));
    EXPECT_EQ(entryFromBox("fifteen-letters", 15), std::optional<std::string>("fifteen-letters"));
    EXPECT_FALSE(entryFromBox("sixteen-letters!", 15));
    EXPECT_EQ(entryFromBox("\xC3\xA9\xC3\xA9\xC3\xA9", 3), std::optional<std::string>("\xE9\xE9\xE9"))
        << "counted in single bytes, not UTF-8 bytes";
    EXPECT_FALSE(entryFromBox("a#b", 15));
    EXPECT_FALSE(entryFromBox("\xE2\x86\x92", 15)) << "an arrow has no single-byte form";
    EXPECT_EQ(entryFromBox("", 15), std::optional<std::string>(""));
}

// A questionnaire page's text box follows the instruction page's rules.
TEST(FieldText, APageTextCountsEachBreakAsTwoAndRefusesHashAndForeignCharacters)
{
    EXPECT_EQ(boxToPageText("one\ntwo"), "one\r\ntwo");
    EXPECT_EQ(pageBytesOf(std::string(997, 'a') + "\n"), 999u);
    EXPECT_EQ(admitIntoPage("\n", 1), "") << "a break needs two";
    EXPECT_EQ(admitIntoPage("no # here", 999), "no  here");
    EXPECT_EQ(admitIntoPage("\xE2\x86\x92", 999), "");

    // A text over the limit (lone line ends read from a file) is cut to the page.
    PageText page;
    storeBoxText(page, std::string(1000, 'a'));
    EXPECT_EQ(page.view(), std::string(999, 'a'));

    // The box shows every kind of line end as one break; CR LF comes back unchanged.
    EXPECT_EQ(pageToBoxText("a\r\nb\rc\nd\xE9"), "a\nb\nc\nd\xE9");
    EXPECT_EQ(boxToPageText(pageToBoxText("a\r\nb")), "a\r\nb");
}
