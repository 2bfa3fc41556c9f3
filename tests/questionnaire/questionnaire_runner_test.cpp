#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "common/temp_directory.h"
#include "questionnaire/document_builder.h"
#include "questionnaire/questionnaire_runner.h"

namespace {

using Log = std::vector<std::string>;
using Words = std::vector<std::string>;

// Questions shorter than this are logged whole; the practice pages by their start.
std::string shortened(std::string_view text)
{
    constexpr std::size_t shown = 40;
    return std::string(text.substr(0, shown)) + (text.size() > shown ? "..." : "");
}

// Answers every page from a script and logs what it was shown. A page without a
// scripted reply is closed with Escape.
class ScriptedQuestions : public QuestionnaireScreens {
public:
    explicit ScriptedQuestions(Log& log) : log_(log) {}

    std::deque<TextReply> texts;
    std::deque<RadioReply> radios;
    std::deque<ListReply> lists;

    TextReply askText(std::string_view question) override
    {
        log_.push_back("text: " + shortened(question));
        return next(texts);
    }
    RadioReply askRadio(std::string_view question, std::string_view first, std::string_view second) override
    {
        log_.push_back("radio: " + shortened(question) + " | " + std::string(first) + " | " + std::string(second));
        return next(radios);
    }
    ListReply askList(std::string_view question, const std::vector<std::string>& choices) override
    {
        std::string line = "list: " + shortened(question) + " |";
        for (const std::string& c : choices)
            line += " " + c;
        log_.push_back(line);
        return next(lists);
    }
    void showWarning(std::string_view message) override { log_.push_back("warning: " + std::string(message)); }

private:
    template <typename Reply>
    static Reply next(std::deque<Reply>& script)
    {
        if (script.empty())
            return Reply{};
        Reply reply = script.front();
        script.pop_front();
        return reply;
    }

    Log& log_;
};

class ScriptedPages : public PageScreens {
public:
    explicit ScriptedPages(Log& log) : log_(log) {}
    void showPage(std::string_view text) override { log_.push_back("page: " + std::string(text)); }

private:
    Log& log_;
};

// Logs the lists it is shown and lets the script edit them; without a script it is
// closed with Escape.
class ScriptedReview : public ReviewScreens {
public:
    explicit ScriptedReview(Log& log) : log_(log) {}

    std::function<void(ListReviewState&)> edit;
    std::string instruction;
    Words shownA;
    Words shownB;

    std::optional<std::pair<Entries, Entries>> reviewLists(const ListReviewState& state) override
    {
        log_.push_back("review");
        instruction = state.instruction();
        shownA = nonEmpty(state.entries(0));
        shownB = nonEmpty(state.entries(1));
        if (!edit)
            return std::nullopt;
        ListReviewState edited = state;
        edit(edited);
        return std::make_pair(edited.entries(0), edited.entries(1));
    }

    static Words nonEmpty(const Entries& entries)
    {
        Words words;
        for (const Entry& e : entries) {
            if (!e.empty())
                words.push_back(e.str());
        }
        return words;
    }

private:
    Log& log_;
};

struct ScriptedRun {
    Log log;
    ScriptedQuestions questions{log};
    ScriptedPages pages{log};
    ScriptedReview review{log};
    QuestionnaireRunner runner{questions, pages, review};
    QuestionnaireResult result;

    // Practice pages off, for runs about the pages themselves.
    ScriptedRun() { result.textPracticeShown = result.radioPracticeShown = result.listPracticeShown = true; }

    void run(const QuestionnaireDocument& document) { runner.run(document, result); }
};

Words used(const Entries& entries, int count)
{
    Words words;
    for (int i = 0; i < count; ++i)
        words.push_back(entries[i].str());
    return words;
}

TextReply typed(const std::string& answer) { return {true, false, answer}; }
RadioReply chose(int selection) { return {true, false, selection}; }
ListReply picked(int selection) { return {true, false, selection}; }

// Four unanswered text pages of each category, so that a test's own pages make a
// usable questionnaire.
std::vector<QuestionnairePage> withFillers(std::vector<QuestionnairePage> pages)
{
    for (int i = 0; i < 4; ++i) {
        pages.push_back(textPage(1, "filler 1"));
        pages.push_back(textPage(2, "filler 2"));
    }
    return pages;
}

}  // namespace

TEST(QuestionnaireRunner, AWholeQuestionnaireThroughScriptedScreens)
{
    const QuestionnaireDocument document = makeDocument(
        "Mine", "Others",
        {instructionPage("Welcome.\r\nPlease answer."), textPage(1, "Your home town?"),
         radioPage(2, "Cat or dog?", "cat person", "dog person"), itemPage(1, "Zebra", "the experimenter's"),
         listPage(1, "Favourite flavour?", {"Chocolate", "Vanilla", "Mint"}), textPage(2, "Your street?"),
         radioPage(1, "Tea or coffee?", "tea", "coffee"), textPage(2, "Best friend?"), itemPage(2, "Quokka"),
         listPage(2, "Colour?", {"red", "green"}), itemPage(0, "Ghost"), textPage(1, "Your pet's name?"),
         itemPage(1, "Yak")});

    ScriptedRun r;
    r.result = QuestionnaireResult{};
    // The practice pages come first: "howdy", a flavour, and "no answer".
    r.questions.texts = {typed("howdy"), typed("Boston"), {true, true, "Elm"}, typed("Sam"), typed("Rex")};
    r.questions.lists = {picked(0), picked(2), ListReply{}};
    r.questions.radios = {{true, true, -1}, chose(1), chose(0)};
    r.review.edit = [](ListReviewState& s) { EXPECT_TRUE(s.removeLine(0, 4)); };  // "Mint"
    r.run(document);

    EXPECT_EQ(r.log, (Log{
                         "text: For some of the questions, you will be a...",
                         "list: For some of the questions, you will be a... | Chocolate Vanilla Strawberry "
                         "Cookie Dough",
                         "radio: Sometimes, you will have no answer to a ... | cat person | dog person",
                         "page: Welcome.\r\nPlease answer.",
                         "text: Your home town?",
                         "radio: Cat or dog? | cat person | dog person",
                         "list: Favourite flavour? | Chocolate Vanilla Mint",
                         "text: Your street?",
                         "radio: Tea or coffee? | tea | coffee",
                         "text: Best friend?",
                         "list: Colour? | red green",
                         "text: Your pet's name?",
                         "review",
                     }));

    // Experimenter items stand first, in page order; the answers follow in page
    // order; the category 0 item is placed nowhere.
    EXPECT_EQ(r.review.shownA, (Words{"Mine", "Zebra", "Yak", "Boston", "cat person", "Mint", "tea", "Rex"}));
    EXPECT_EQ(r.review.shownB, (Words{"Others", "Quokka", "dog person", "coffee", "Sam"}));
    EXPECT_NE(r.review.instruction.find("double-click on any words that are misspelled"), std::string::npos);

    EXPECT_TRUE(r.result.usable);
    EXPECT_EQ(used(r.result.entries1, r.result.entryCount1),
              (Words{"Mine", "Zebra", "Yak", "Boston", "cat person", "tea", "Rex"}));
    EXPECT_EQ(used(r.result.entries2, r.result.entryCount2),
              (Words{"Others", "Quokka", "dog person", "coffee", "Sam"}));
    EXPECT_TRUE(r.result.entries1[r.result.entryCount1].empty());
    EXPECT_TRUE(r.result.textPracticeShown);
    EXPECT_TRUE(r.result.listPracticeShown);
    EXPECT_TRUE(r.result.radioPracticeShown);
}

TEST(QuestionnaireRunner, AnUnusableQuestionnaireIsRefusedBeforeAnyPage)
{
    std::vector<QuestionnairePage> threeAndTen;
    for (int i = 0; i < 3; ++i)
        threeAndTen.push_back(textPage(1, "q"));
    for (int i = 0; i < 10; ++i)
        threeAndTen.push_back(listPage(2, "q", {"x"}));
    threeAndTen.push_back(instructionPage("never shown"));
    QuestionnaireDocument withProblem = makeDocument("A", "B", withFillers({}));
    withProblem.problems.push_back("questionnaire x.qls: page 1 has 20 choices, at most 18 are allowed");

    TempDirectory dir;
    const std::function<void(ScriptedRun&)> refusals[] = {
        [&](ScriptedRun& r) { r.run(makeDocument("A", "B", threeAndTen)); },
        [&](ScriptedRun& r) { r.run(withProblem); },
        [&](ScriptedRun& r) { r.runner.runFile(dir.file("absent.qls"), r.result); },
        [&](ScriptedRun& r) {
            dir.write("cut.qls", formatted(makeDocument("A", "B", withFillers({}))).substr(0, 40));
            r.runner.runFile(dir.file("cut.qls"), r.result);
        },
    };
    for (const auto& refuse : refusals) {
        ScriptedRun r;
        r.result.listPracticeShown = false;
        r.result.usable = true;
        r.result.entryCount1 = 3;
        r.result.entries1[1].assign("stale");
        refuse(r);
        EXPECT_EQ(r.log,
                  Log{"warning: Cannot use *.qls file: there's a minimum 4 and maximum 18 items in each category"});
        EXPECT_FALSE(r.result.usable);
        EXPECT_EQ(r.result.entryCount1, 0);
        EXPECT_EQ(r.result.entryCount2, 0);
        EXPECT_TRUE(r.result.entries1[1].empty());
        // The practice flags stay as they came in.
        EXPECT_TRUE(r.result.textPracticeShown);
        EXPECT_FALSE(r.result.listPracticeShown);
    }
}

TEST(QuestionnaireRunner, TheChosenRadioItemJoinsThePagesCategoryTheOtherTheOtherCategory)
{
    struct Case {
        int category;
        int selection;
        Words list1;
        Words list2;
    };
    const Case cases[] = {
        {1, 0, {"A", "tea"}, {"B", "coffee"}},
        {1, 1, {"A", "coffee"}, {"B", "tea"}},
        {2, 0, {"A", "coffee"}, {"B", "tea"}},
        {2, 1, {"A", "tea"}, {"B", "coffee"}},
        // Neither category: a gap in both lists, closed up by the review.
        {0, 0, {"A"}, {"B"}},
    };
    for (const Case& c : cases) {
        ScriptedRun r;
        r.questions.radios = {chose(c.selection)};
        r.run(makeDocument("A", "B", withFillers({radioPage(c.category, "q", "tea", "coffee")})));
        EXPECT_EQ(used(r.result.entries1, r.result.entryCount1), c.list1) << c.category << c.selection;
        EXPECT_EQ(used(r.result.entries2, r.result.entryCount2), c.list2) << c.category << c.selection;
    }
}

TEST(QuestionnaireRunner, NoAnswerEscapeAndRepliesThePageWouldRefuseRecordNothing)
{
    const std::vector<QuestionnairePage> pages = withFillers({textPage(1, "t"), radioPage(1, "r", "tea", "coffee"),
                                                              listPage(1, "l", {"x", "y"}), itemPage(1, "kept")});
    struct Case {
        const char* what;
        TextReply text;
        RadioReply radio;
        ListReply list;
    };
    const Case cases[] = {
        {"no answer with an answer given", {true, true, "Boston"}, {true, true, 1}, {true, true, 0}},
        {"Escape", {false, false, "Boston"}, {false, false, 1}, {false, false, 0}},
        {"refused by the page", typed("B"), chose(-1), picked(-1)},
        {"a choice beyond the list", typed(""), chose(2), picked(2)},
    };
    for (const Case& c : cases) {
        ScriptedRun r;
        r.questions.texts = {c.text};
        r.questions.radios = {c.radio};
        r.questions.lists = {c.list};
        r.run(makeDocument("A", "B", pages));
        EXPECT_EQ(used(r.result.entries1, r.result.entryCount1), (Words{"A", "kept"})) << c.what;
        EXPECT_EQ(used(r.result.entries2, r.result.entryCount2), Words{"B"}) << c.what;
        EXPECT_TRUE(r.result.usable);
    }

    // A two-character answer is enough.
    ScriptedRun r;
    r.questions.texts = {typed("Bo")};
    r.run(makeDocument("A", "B", pages));
    EXPECT_EQ(used(r.result.entries1, r.result.entryCount1), (Words{"A", "kept", "Bo"}));
}

TEST(QuestionnaireRunner, AListPageOffersItsChoicesInFileOrder)
{
    Words eighteen;
    for (int i = 18; i >= 1; --i)
        eighteen.push_back("c" + std::to_string(i));
    ScriptedRun r;
    r.questions.lists = {picked(17)};
    r.run(makeDocument("A", "B", withFillers({listPage(2, "Pick one", eighteen)})));
    std::string expected = "list: Pick one |";
    for (const std::string& c : eighteen)
        expected += " " + c;
    EXPECT_EQ(r.log.front(), expected);
    EXPECT_EQ(used(r.result.entries2, r.result.entryCount2), (Words{"B", "c1"}));
}

TEST(QuestionnaireRunner, PracticePagesAreShownOncePerRunAcrossQuestionnaireFiles)
{
    TempDirectory dir;
    dir.write("first.qls", formatted(makeDocument("A", "B", withFillers({radioPage(1, "r", "x", "y")}))));
    dir.write("second.qls",
              formatted(makeDocument("C", "D",
                                     withFillers({radioPage(1, "r", "x", "y"), listPage(2, "l", {"p", "q"})}))));
    dir.write("tiny.qls", formatted(makeDocument("E", "F", {listPage(1, "l", {"p"})})));

    Log log;
    ScriptedQuestions questions(log);
    ScriptedPages pages(log);
    ScriptedReview review(log);
    QuestionnaireRunner runner(questions, pages, review);
    QuestionnaireResult result;  // the run's record: every flag clear at its start

    const auto practiceShown = [&] {
        Log practice;
        for (const std::string& line : log) {
            if (line.find("...") != std::string::npos)
                practice.push_back(line.substr(0, line.find(':')));
        }
        log.clear();
        return practice;
    };

    runner.runFile(dir.file("first.qls"), result);
    EXPECT_EQ(practiceShown(), (Log{"text", "radio"}));
    EXPECT_TRUE(result.textPracticeShown);
    EXPECT_TRUE(result.radioPracticeShown);
    EXPECT_FALSE(result.listPracticeShown);

    // An unusable file in between shows none and changes no flag.
    runner.runFile(dir.file("tiny.qls"), result);
    EXPECT_EQ(practiceShown(), Log{});
    EXPECT_FALSE(result.listPracticeShown);

    runner.runFile(dir.file("second.qls"), result);
    EXPECT_EQ(practiceShown(), Log{"list"});
    EXPECT_TRUE(result.listPracticeShown);
    EXPECT_TRUE(result.usable);
    EXPECT_EQ(result.entries1[0], "C");

    runner.runFile(dir.file("second.qls"), result);
    EXPECT_EQ(practiceShown(), Log{});
}
