#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "common/temp_directory.h"
#include "questionnaire/document_builder.h"

namespace {

bool mentions(const Problems& problems, const std::string& part)
{
    for (const std::string& p : problems) {
        if (p.find(part) != std::string::npos)
            return true;
    }
    return false;
}

std::string joined(const Problems& problems)
{
    std::string all;
    for (const std::string& p : problems)
        all += p + "\n";
    return all;
}

std::vector<std::string> keptChoices(const QuestionnairePage& page)
{
    std::vector<std::string> kept;
    for (int i = 0; i < page.choiceCount; ++i)
        kept.push_back(page.choices[i].str());
    return kept;
}

// A radio page of category 1 and a list page of category 2.
const std::string exampleBytes = "Mine#\r\nOthers#\r\n2\r\n"
                                 "1\r\nAre you a cat person or a dog person?#\r\n3\r\ncat person#\r\ndog person#\r\n"
                                 "2\r\nWhich flavour?#\r\n4\r\n3\r\nChocolate#\r\nVanilla#\r\nMint#\r\n";

const QuestionnaireDocument exampleDocument =
    makeDocument("Mine", "Others",
                 {radioPage(1, "Are you a cat person or a dog person?", "cat person", "dog person"),
                  listPage(2, "Which flavour?", {"Chocolate", "Vanilla", "Mint"})});

// One page of every type; page texts with line breaks, one at the very start; an
// experimenter page keeps its text; a list without choices before another page.
QuestionnaireDocument everyKindOfPage()
{
    return makeDocument("Me", "Not me",
                        {instructionPage("\r\nWelcome.\r\n\r\nPlease answer."), textPage(1, "Your town?\r\n(city)"),
                         listPage(2, "Nothing to pick", {}), radioPage(0, "Tea or coffee?", "tea", "coffee"),
                         itemPage(2, "Zanzibar", "note to self"), listPage(1, "Pick", {"one", "two"})});
}

void expectSamePages(const QuestionnaireDocument& a, const QuestionnaireDocument& b)
{
    EXPECT_EQ(a.category1Label, b.category1Label);
    EXPECT_EQ(a.category2Label, b.category2Label);
    ASSERT_EQ(a.pageCount, b.pageCount);
    for (int i = 0; i < a.pageCount; ++i) {
        const QuestionnairePage& p = a.pages[i];
        const QuestionnairePage& q = b.pages[i];
        EXPECT_EQ(p.type, q.type) << i;
        EXPECT_EQ(p.category, q.category) << i;
        EXPECT_EQ(p.text, q.text) << i;
        EXPECT_EQ(p.radioItems, q.radioItems) << i;
        EXPECT_EQ(keptChoices(p), keptChoices(q)) << i;
        EXPECT_EQ(p.experimenterItem, q.experimenterItem) << i;
    }
}

void expectWithinCapacity(const QuestionnaireDocument& d)
{
    ASSERT_GE(d.pageCount, 0);
    ASSERT_LE(d.pageCount, maxQuestionnairePages);
    for (const QuestionnairePage& p : d.pages) {
        EXPECT_GE(p.choiceCount, 0);
        EXPECT_LE(p.choiceCount, maxChoices);
    }
}

}  // namespace

TEST(QuestionnaireFile, TheExampleFileByteForByte)
{
    EXPECT_EQ(formatted(exampleDocument), exampleBytes);
    const QuestionnaireDocument read = parseQuestionnaireFile(exampleBytes, "pets.qls");
    EXPECT_TRUE(read.problems.empty()) << joined(read.problems);
    EXPECT_EQ(read.fileName, "pets.qls");
    expectSamePages(read, exampleDocument);
}

TEST(QuestionnaireFile, EveryPageTypeRoundTripsByteIdentical)
{
    const QuestionnaireDocument d = everyKindOfPage();
    const std::string bytes = formatted(d);
    // Line breaks in a page text are CR CR LF on disk; the list without choices is
    // its count line alone; types 1 and 2 end with their type line.
    EXPECT_EQ(bytes, "Me#\r\nNot me#\r\n6\r\n"
                     "0\r\n\r\r\nWelcome.\r\r\n\r\r\nPlease answer.#\r\n1\r\n"
                     "1\r\nYour town?\r\r\n(city)#\r\n2\r\n"
                     "2\r\nNothing to pick#\r\n4\r\n0\r\n"
                     "0\r\nTea or coffee?#\r\n3\r\ntea#\r\ncoffee#\r\n"
                     "2\r\nnote to self#\r\n5\r\nZanzibar#\r\n"
                     "1\r\nPick#\r\n4\r\n2\r\none#\r\ntwo#\r\n");

    TempDirectory dir;
    ASSERT_TRUE(writeQuestionnaireFile(d, dir.file("all.qls")));
    EXPECT_EQ(dir.read("all.qls"), bytes);
    const QuestionnaireDocument read = readQuestionnaireFile(dir.file("all.qls"));
    EXPECT_TRUE(read.problems.empty()) << joined(read.problems);
    EXPECT_EQ(read.fileName, dir.file("all.qls"));
    expectSamePages(read, d);
    EXPECT_EQ(read.pages[0].text, "\r\nWelcome.\r\n\r\nPlease answer.");

    ASSERT_TRUE(writeQuestionnaireFile(read, dir.file("again.qls")));
    EXPECT_EQ(dir.read("again.qls"), bytes);
}

TEST(QuestionnaireFile, LineEndsAreConsumedWithAtMostOneByteBeforeThem)
{
    const std::string tail = "1\r\n3\r\nq#\r\n2\r\n";  // one TextResponse page of category 3
    struct Case {
        std::string bytes;
        const char* label2;
        const char* text;
    };
    const Case cases[] = {
        {"A#\r\nB#\r\n" + tail, "B", "q"},
        // One stray byte before a line end goes with it; a second one does not.
        {"A#x\r\nB#\r\n" + tail, "B", "q"},
        {"A#xy\r\nB#\r\n" + tail, "\nB", "q"},
        {"A#\r\nB#\r\n1\r\n3 \r\nq#\r\n2\r\n", "B", "q"},
        {"A#\r\nB#\r\n1\r\n3  \r\nq#\r\n2\r\n", "B", "\nq"},
        // Numbers skip all white space before them.
        {"A#\r\nB#\r\n\r\n  1 \r\n\r\n 3\r\nq#\r\n\r\n2\r\n", "B", "q"},
    };
    for (const Case& c : cases) {
        const QuestionnaireDocument read = parseQuestionnaireFile(c.bytes, "q.qls");
        EXPECT_TRUE(read.problems.empty()) << c.bytes << joined(read.problems);
        EXPECT_EQ(read.category2Label, c.label2) << c.bytes;
        ASSERT_EQ(read.pageCount, 1) << c.bytes;
        EXPECT_EQ(read.pages[0].category, 3);
        EXPECT_EQ(read.pages[0].type, PageType::TextResponse);
        EXPECT_EQ(read.pages[0].text, c.text) << c.bytes;
    }

    // A stray byte after a list's count and after each choice.
    const QuestionnaireDocument list =
        parseQuestionnaireFile("A#\r\nB#\r\n2\r\n1\r\nq#\r\n4\r\n2 \r\na# \r\nb#;\r\n2\r\nnext#\r\n1\r\n", "q.qls");
    EXPECT_TRUE(list.problems.empty()) << joined(list.problems);
    EXPECT_EQ(keptChoices(list.pages[0]), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(list.pages[1].text, "next");
}

TEST(QuestionnaireFile, WhatExceedsTheModelIsCutAndRecorded)
{
    // 61 pages: the first 60 are read.
    std::string bytes = "A#\r\nB#\r\n61\r\n";
    for (int i = 1; i <= 61; ++i)
        bytes += "1\r\npage " + std::to_string(i) + "#\r\n2\r\n";
    QuestionnaireDocument read = parseQuestionnaireFile(bytes, "long.qls");
    EXPECT_EQ(read.pageCount, 60);
    EXPECT_EQ(read.pages[59].text, "page 60");
    ASSERT_EQ(read.problems.size(), 1u) << joined(read.problems);
    EXPECT_EQ(read.problems[0], "questionnaire long.qls: the file has 61 pages, at most 60 are allowed; the last 1 "
                                "were left out");

    // 20 choices: all are read, 18 kept, and the next page is intact.
    bytes = "A#\r\nB#\r\n2\r\n1\r\nq#\r\n4\r\n20\r\n";
    for (int i = 1; i <= 20; ++i)
        bytes += "c" + std::to_string(i) + "#\r\n";
    bytes += "2\r\nafter#\r\n5\r\nitem#\r\n";
    read = parseQuestionnaireFile(bytes, "wide.qls");
    EXPECT_EQ(read.pages[0].choiceCount, 18);
    EXPECT_EQ(read.pages[0].choices[17], "c18");
    EXPECT_EQ(read.pages[1].text, "after");
    EXPECT_EQ(read.pages[1].experimenterItem, "item");
    ASSERT_EQ(read.problems.size(), 1u) << joined(read.problems);
    EXPECT_TRUE(mentions(read.problems, "page 1 has 20 choices, at most 18"));

    // Over-long fields keep their first 15 (999) characters; the next field is intact.
    const std::string text1000(1000, 't');
    read = parseQuestionnaireFile("Sixteen letters!#\r\nB#\r\n1\r\n1\r\n" + text1000 +
                                      "#\r\n3\r\n0123456789abcdefg#\r\nshort#\r\n",
                                  "cut.qls");
    EXPECT_EQ(read.category1Label, "Sixteen letters");
    EXPECT_EQ(read.category2Label, "B");
    EXPECT_EQ(read.pages[0].text.size(), 999u);
    EXPECT_EQ(read.pages[0].radioItems[0], "0123456789abcde");
    EXPECT_EQ(read.pages[0].radioItems[1], "short");
    EXPECT_EQ(read.problems.size(), 3u) << joined(read.problems);
    EXPECT_TRUE(mentions(read.problems, "the first label \"Sixteen letters!\" is longer than 15 characters"));
    EXPECT_TRUE(mentions(read.problems, "the text of page 1 \"tttttttttttttttttttt...\" is longer than 999"));

    // A type outside 1 to 5 reads nothing more; a negative choice count gives none.
    read = parseQuestionnaireFile("A#\r\nB#\r\n3\r\n1\r\nodd#\r\n7\r\n1\r\nq#\r\n4\r\n-2\r\n2\r\nz#\r\n2\r\n",
                                  "odd.qls");
    EXPECT_EQ(static_cast<int>(read.pages[0].type), 7);
    EXPECT_EQ(read.pages[1].choiceCount, 0);
    EXPECT_EQ(read.pages[2].text, "z");
    EXPECT_TRUE(mentions(read.problems, "page 1 has the type 7, which is not one of 1 to 5"));
    EXPECT_TRUE(mentions(read.problems, "page 2 has the choice count -2"));
    EXPECT_FALSE(isUsable(read));
}

TEST(QuestionnaireFile, MoreExperimenterItemsThanAListHoldsAreAProblem)
{
    std::vector<QuestionnairePage> pages;
    for (int i = 0; i < 18; ++i)
        pages.push_back(itemPage(1, "e" + std::to_string(i)));
    for (int i = 0; i < 4; ++i)
        pages.push_back(textPage(2, "q"));
    pages.push_back(itemPage(0, "nowhere"));
    EXPECT_TRUE(parseQuestionnaireFile(formatted(makeDocument("A", "B", pages)), "x.qls").problems.empty());

    pages.push_back(itemPage(1, "one too many"));
    const QuestionnaireDocument read = parseQuestionnaireFile(formatted(makeDocument("A", "B", pages)), "x.qls");
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_EQ(read.problems[0],
              "questionnaire x.qls: category 1 has 19 experimenter items, but its list holds at most 18 items");
}

TEST(QuestionnaireFile, FilesThatEndEarlyOrCarryMoreAreRecorded)
{
    struct Case {
        std::string bytes;
        int pageCount;
        const char* problem;  // nullptr: none
    };
    const Case cases[] = {
        {"", 0, "ends before the first label"},
        {"A", 0, "ends before the \"#\" after the first label"},
        {"A#\r\nB#\r\n", 0, "ends before the page count"},
        {"A#\r\nB#\r\ntwo\r\n", 0, "the page count is \"two\", not an integer"},
        {"A#\r\nB#\r\n-1\r\n", 0, "the page count is -1"},
        {"A#\r\nB#\r\n99999999999\r\n", 0, "not an integer"},
        {"A#\r\nB#\r\n2\r\n1\r\nq#\r\n2\r\n", 2, "ends before the category of page 2"},
        {"A#\r\nB#\r\n1\r\n1\r\nq#\r\n3\r\nyes#\r\n", 1, "ends before radio item 2 of page 1"},
        {"A#\r\nB#\r\n1\r\n1\r\nq#\r\n4\r\n3\r\na#\r\nb", 1, "ends before the \"#\" after choice 2 of page 1"},
        {"A#\r\nB#\r\n1\r\n1\r\nq#\r\n4\r\n20\r\na#\r\n", 1, "ends before choice 2 of page 1"},
        {"A#\r\nB#\r\n1\r\n1\r\nq#\r\n5\r\n", 1, "ends before the experimenter item of page 1"},
        {"A#\r\nB#\r\n1\r\n1\r\nq#\r\n2\r\n1\r\nextra#\r\n2\r\n", 1, "text follows the last page"},
        // Nothing is missing when only the last line end is.
        {"A#\r\nB#\r\n1\r\n1\r\nq#\r\n5\r\nlast#", 1, nullptr},
        {"A#\r\nB#\r\n1\r\n1\r\nq#\r\n2", 1, nullptr},
        {"A#\r\nB#\r\n0\r\n\r\n  \r\n", 0, nullptr},
    };
    for (const Case& c : cases) {
        const QuestionnaireDocument read = parseQuestionnaireFile(c.bytes, "q.qls");
        EXPECT_EQ(read.pageCount, c.pageCount) << c.bytes;
        if (c.problem)
            EXPECT_TRUE(mentions(read.problems, c.problem)) << c.bytes << "\n" << joined(read.problems);
        else
            EXPECT_TRUE(read.problems.empty()) << c.bytes << "\n" << joined(read.problems);
    }

    TempDirectory dir;
    const QuestionnaireDocument missing = readQuestionnaireFile(dir.file("absent.qls"));
    EXPECT_EQ(missing.pageCount, 0);
    EXPECT_TRUE(missing.category1Label.empty());
    EXPECT_TRUE(mentions(missing.problems, "absent.qls"));
    EXPECT_FALSE(isUsable(missing));
}

TEST(QuestionnaireFile, MalformedFilesNeverBreakTheReader)
{
    // Every prefix of a valid file: a prefix that cuts a field or number short is
    // a problem.
    const std::string bytes = formatted(everyKindOfPage());
    const std::size_t lastHash = bytes.rfind('#');
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        const QuestionnaireDocument read = parseQuestionnaireFile(bytes.substr(0, length), "cut.qls");
        expectWithinCapacity(read);
        if (length <= lastHash) {
            EXPECT_FALSE(read.problems.empty()) << length;
        }
    }

    // Random bytes, and random lines drawn from the format's own characters.
    std::mt19937 random(20240611);
    const std::string alphabet = "#\r\n\r\n0123456789-+ 45ab";
    for (int round = 0; round < 2000; ++round) {
        std::string noise(random() % 400, '\0');
        for (char& c : noise)
            c = round % 2 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
        const QuestionnaireDocument read = parseQuestionnaireFile(noise, "noise.qls");
        expectWithinCapacity(read);
    }
}

TEST(QuestionnaireFile, TheWriterRefusesWhatTheFormatCannotHold)
{
    struct Case {
        const char* what;
        std::function<void(QuestionnaireDocument&)> change;
        const char* reason;
    };
    const Case cases[] = {
        {"label", [](QuestionnaireDocument& d) { d.category2Label.assign("#2"); }, "the second label contains \"#\""},
        {"text", [](QuestionnaireDocument& d) { d.pages[0].text.assign("No. #1"); }, "the text of page 1 contains"},
        {"radio", [](QuestionnaireDocument& d) { d.pages[3].radioItems[1].assign("c#"); }, "radio item 2 of page 4"},
        {"choice", [](QuestionnaireDocument& d) { d.pages[5].choices[1].assign("#"); }, "choice 2 of page 6"},
        {"item", [](QuestionnaireDocument& d) { d.pages[4].experimenterItem.assign("a#b"); }, "experimenter item"},
        {"no pages", [](QuestionnaireDocument& d) { d.pageCount = 0; }, "the page count is 0; it must be 1 to 60"},
        {"61 pages", [](QuestionnaireDocument& d) { d.pageCount = 61; }, "the page count is 61"},
        {"19 choices", [](QuestionnaireDocument& d) { d.pages[5].choiceCount = 19; }, "choice count 19"},
        {"type 6", [](QuestionnaireDocument& d) { d.pages[1].type = static_cast<PageType>(6); }, "the type 6"},
    };
    TempDirectory dir;
    const QuestionnaireDocument good = everyKindOfPage();
    ASSERT_TRUE(writeQuestionnaireFile(good, dir.file("q.qls")));
    for (const Case& c : cases) {
        QuestionnaireDocument d = good;
        c.change(d);
        std::string bytes, reason;
        EXPECT_FALSE(formatQuestionnaireFile(d, bytes, reason)) << c.what;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << c.what << ": " << reason;
        const WriteOutcome outcome = writeQuestionnaireFile(d, dir.file("q.qls"));
        EXPECT_FALSE(outcome.ok) << c.what;
        EXPECT_NE(outcome.error.find(dir.file("q.qls")), std::string::npos) << outcome.error;
    }
    EXPECT_EQ(dir.read("q.qls"), formatted(good));

    // A "#" in a field the page's type does not write is no obstacle.
    QuestionnaireDocument unwritten = good;
    unwritten.pages[1].radioItems[0].assign("#");
    unwritten.pages[1].choices[0].assign("#");
    EXPECT_EQ(formatted(unwritten), formatted(good));
}

TEST(ItemCountRule, CountsPagesPerCategoryAndRefusesOutsideFourToEighteen)
{
    const auto pagesOf = [](int n, const std::function<QuestionnairePage()>& make) {
        return std::vector<QuestionnairePage>(static_cast<std::size_t>(n), make());
    };
    const auto concat = [](std::vector<std::vector<QuestionnairePage>> parts) {
        std::vector<QuestionnairePage> all;
        for (auto& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    const auto text1 = [] { return textPage(1, "q"); };
    const auto text2 = [] { return textPage(2, "q"); };
    const auto radio = [] { return radioPage(1, "q", "a", "b"); };
    struct Case {
        const char* what;
        std::vector<QuestionnairePage> pages;
        int count1;
        int count2;
        bool usable;
    };
    const Case cases[] = {
        {"four and four", concat({pagesOf(4, text1), pagesOf(4, text2)}), 4, 4, true},
        {"three in category 1", concat({pagesOf(3, text1), pagesOf(10, text2)}), 3, 10, false},
        {"eighteen radio pages", pagesOf(18, radio), 18, 18, true},
        {"nineteen radio pages", pagesOf(19, radio), 19, 19, false},
        {"radio pages of category 0 count for both", concat({pagesOf(4, [] { return radioPage(0, "q", "a", "b"); })}),
         4, 4, true},
        {"every kind of item",
         {textPage(1, "q"), listPage(1, "q", {"x"}), itemPage(1, "e"), radioPage(2, "q", "a", "b"), textPage(2, "q"),
          listPage(2, "q", {}), itemPage(2, "e"), instructionPage("hello")},
         4,
         4,
         true},
        {"category 0 and instruction pages count for neither",
         concat({pagesOf(4, radio),
                 {textPage(0, "q"), listPage(0, "q", {"x"}), itemPage(0, "e"), itemPage(3, "e"), textPage(3, "q"),
                  instructionPage("i")}}),
         4, 4, true},
        {"only category 0 answer pages",
         {textPage(0, "q"), textPage(0, "q"), textPage(0, "q"), textPage(0, "q"), listPage(0, "q", {}),
          itemPage(0, "e")},
         0,
         0,
         false},
        {"eighteen and one more through a radio page", concat({pagesOf(18, text1), pagesOf(4, text2), {radio()}}), 19,
         5, false},
    };
    for (const Case& c : cases) {
        QuestionnaireDocument d = makeDocument("A", "B", c.pages);
        const ItemCounts counts = itemCounts(d);
        EXPECT_EQ(counts.category1, c.count1) << c.what;
        EXPECT_EQ(counts.category2, c.count2) << c.what;
        EXPECT_EQ(isUsable(counts), c.usable) << c.what;
        EXPECT_EQ(isUsable(d), c.usable) << c.what;
        // Pages beyond the count do not count.
        d.pages[d.pageCount] = textPage(1, "unused");
        EXPECT_EQ(itemCounts(d).category1, c.count1) << c.what;
    }

    // A document with problems is not usable whatever its counts.
    QuestionnaireDocument withProblem = makeDocument("A", "B", concat({pagesOf(4, text1), pagesOf(4, text2)}));
    withProblem.problems.push_back("questionnaire x.qls: the first label is longer than 15 characters; it was cut");
    EXPECT_FALSE(isUsable(withProblem));
}
