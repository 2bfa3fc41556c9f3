#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/word_list_review.h"

namespace {

using Words = std::vector<std::string>;

Entries makeEntries(const Words& words)
{
    Entries entries{};
    for (std::size_t i = 0; i < words.size(); ++i)
        entries[i].assign(words[i]);
    return entries;
}

// A label and the items "<prefix>1" to "<prefix>n".
Words numbered(const std::string& label, const std::string& prefix, int n)
{
    Words words{label};
    for (int i = 1; i <= n; ++i)
        words.push_back(prefix + std::to_string(i));
    return words;
}

// Plays the participant: applies its double-clicks (list, line) to the state it is
// given, noting whether each was taken and list A's count after it, then closes
// with OK or Escape.
struct ScriptedReview : ReviewScreens {
    std::vector<std::pair<int, int>> clicks;
    bool ok = true;
    int shown = 0;
    std::vector<bool> taken;
    std::vector<int> countsA;
    std::string instruction;

    std::optional<std::pair<Entries, Entries>> reviewLists(const ListReviewState& given) override
    {
        ++shown;
        ListReviewState state = given;
        instruction = state.instruction();
        countsA.push_back(state.wordCount(0));
        for (const auto& [list, line] : clicks) {
            taken.push_back(state.removeLine(list, line));
            countsA.push_back(state.wordCount(0));
        }
        if (!ok)
            return std::nullopt;
        return std::pair{state.entries(0), state.entries(1)};
    }
};

struct Outcome {
    Entries listA, packedA, listB, packedB;
    ReviewCounts counts;
};

Outcome review(ScriptedReview& screens, const Words& a, const Words& b, int allowed = 1, int wording = 1)
{
    Outcome out{makeEntries(a), {}, makeEntries(b), {}, {}};
    // A stale entry past the packed count would show in the comparisons.
    out.packedA[18].assign("stale");
    out.packedB[18].assign("stale");
    out.counts = reviewWordLists(screens, out.listA, out.packedA, out.listB, out.packedB, wording,
                                 static_cast<int>(a.size()), static_cast<int>(b.size()), allowed);
    return out;
}

void expectPacked(const Entries& packed, int count, const Words& words)
{
    EXPECT_EQ(count, static_cast<int>(words.size()));
    EXPECT_EQ(packed, makeEntries(words));
}

const Words fourB = numbered("Bad", "b", 4);

}  // namespace

TEST(WordListReview, IsShownOnlyWhenAllowedAndOneListHasFiveWordsOrMore)
{
    const Words four = numbered("Good", "g", 4);
    const Words six = numbered("Good", "g", 6);
    ScriptedReview notShown;
    notShown.clicks = {{0, 0}};
    Outcome out = review(notShown, four, fourB);
    expectPacked(out.packedA, out.counts.countA, four);
    expectPacked(out.packedB, out.counts.countB, fourB);
    for (const int allowed : {0, 2}) {
        out = review(notShown, six, fourB, allowed);
        expectPacked(out.packedA, out.counts.countA, six);
    }
    EXPECT_EQ(notShown.shown, 0);

    ScriptedReview shown;
    review(shown, four, numbered("Bad", "b", 5));
    review(shown, six, fourB);
    EXPECT_EQ(shown.shown, 2);
}

TEST(WordListReview, EachListKeepsFiveWords)
{
    // Seven words: two deletions, the third ignored; the count reads 7, 6, 5.
    ScriptedReview seven;
    seven.clicks = {{0, 0}, {0, 1}, {0, 2}};
    Outcome out = review(seven, numbered("Good", "g", 7), fourB);
    EXPECT_EQ(seven.taken, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(seven.countsA, (std::vector<int>{7, 6, 5, 5}));
    expectPacked(out.packedA, out.counts.countA, {"Good", "g3", "g4", "g5", "g6", "g7"});

    // Six words and four: the first list loses one word, the second none.
    ScriptedReview sixAndFour;
    sixAndFour.clicks = {{0, 5}, {0, 4}, {1, 0}};
    out = review(sixAndFour, numbered("Good", "g", 6), fourB);
    EXPECT_EQ(sixAndFour.taken, (std::vector<bool>{true, false, false}));
    expectPacked(out.packedB, out.counts.countB, fourB);

    // One word six times: a double-click takes only its own line, so five remain.
    ScriptedReview same;
    same.clicks = {{0, 2}, {0, 3}};
    out = review(same, {"Good", "joy", "joy", "joy", "joy", "joy", "joy"}, fourB);
    EXPECT_EQ(same.taken, (std::vector<bool>{true, false}));
    expectPacked(out.packedA, out.counts.countA, {"Good", "joy", "joy", "joy", "joy", "joy"});

    // An emptied line, an empty line and lines outside the list change nothing.
    ScriptedReview empty;
    empty.clicks = {{0, 1}, {0, 1}, {0, 10}, {0, 18}, {0, -1}};
    review(empty, numbered("Good", "g", 8), fourB);
    EXPECT_EQ(empty.countsA, (std::vector<int>{8, 7, 7, 7, 7, 7}));
}

TEST(WordListReview, OkKeepsTheDeletionsPackedAndEscapeDropsThem)
{
    ScriptedReview screens;
    screens.clicks = {{0, 2}, {0, 4}, {1, 0}, {1, 5}};
    Outcome out = review(screens, numbered("Good", "g", 8), numbered("Bad", "b", 7));
    EXPECT_EQ(out.listA, makeEntries({"Good", "g1", "g2", "", "g4", "", "g6", "g7", "g8"}));
    expectPacked(out.packedA, out.counts.countA, {"Good", "g1", "g2", "g4", "g6", "g7", "g8"});
    expectPacked(out.packedB, out.counts.countB, {"Bad", "b2", "b3", "b4", "b5", "b7"});

    // Escape: the lists stay as given; a gap they came with is still packed.
    screens.ok = false;
    const Words a{"Good", "g1", "", "g3", "g4", "g5", "g6", "g7"};
    out = review(screens, a, numbered("Bad", "b", 7));
    EXPECT_EQ(out.listA, makeEntries(a));
    expectPacked(out.packedA, out.counts.countA, {"Good", "g1", "g3", "g4", "g5", "g6", "g7"});
    expectPacked(out.packedB, out.counts.countB, numbered("Bad", "b", 7));
}

TEST(WordListReview, InstructionTextQuotesTheLabelsAndNamesTheWording)
{
    const std::string head =
        "Here are two categories of words that will be used in the Categorization Task.  The words are either "
        "\"Good\" or \"Bad\".  Check them over, and double-click on any items in the \"Good\" list that don't "
        "seem particularly \"Good\" to you, and double-click on any items in the \"Bad\" list that don't seem "
        "particularly \"Bad\" to you.  ";
    const std::string tail = "These items will be deleted from the list.  Leave a minimum of 5 words in each list.";
    EXPECT_EQ(reviewInstructionText("Good", "Bad", wordingMisspelled),
              head + "Also, double-click on any words that are misspelled.  " + tail);
    for (const int wording : {wordingUnfamiliar, 2, -1})
        EXPECT_EQ(reviewInstructionText("Good", "Bad", wording),
                  head + "Also, double-click on any words that seem unfamiliar.  " + tail);

    ScriptedReview screens;
    review(screens, numbered("Good", "g", 6), fourB, 1, wordingMisspelled);
    EXPECT_EQ(screens.instruction, reviewInstructionText("Good", "Bad", wordingMisspelled));
}

TEST(WordListReview, AnEmptyLabelKeepsItsPlaceWhenPacking)
{
    // A pair whose label is empty (a questionnaire without category names): its
    // items stay items and the count still includes the label slot.
    Entries a{}, b{}, packedA{}, packedB{};
    for (int i = 1; i <= 4; ++i) {
        a[i].assign("a" + std::to_string(i));
        b[i].assign("b" + std::to_string(i));
    }
    b[0].assign("Theirs");
    struct NoReview : ReviewScreens {
        std::optional<std::pair<Entries, Entries>> reviewLists(const ListReviewState&) override { return {}; }
    } screens;
    const ReviewCounts counts = reviewWordLists(screens, a, packedA, b, packedB, wordingMisspelled, 5, 5, 0);
    EXPECT_EQ(counts.countA, 5);
    EXPECT_EQ(counts.countB, 5);
    EXPECT_TRUE(packedA[0].empty());
    EXPECT_EQ(packedA[1], "a1");
    EXPECT_EQ(packedB[0], "Theirs");
}
