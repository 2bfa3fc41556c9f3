#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/paged_document.h"

namespace {

struct Pages {
    std::array<std::string, 5> texts;
    int count = 1;
    PagedDocument<std::string, 5> doc{texts, count};

    explicit Pages(std::vector<std::string> initial)
    {
        doc.clear();
        count = static_cast<int>(initial.size());
        for (std::size_t i = 0; i < initial.size(); ++i)
            texts[i] = initial[i];
    }
    std::vector<std::string> inUse() const { return {texts.begin(), texts.begin() + count}; }
};

using V = std::vector<std::string>;

}  // namespace

TEST(PagedDocument, FlipsStopAtBothEnds)
{
    Pages p({"a", "b", "c"});
    p.doc.flipBack();
    EXPECT_EQ(p.doc.current(), 0);
    p.doc.flipForward();
    p.doc.flipForward();
    p.doc.flipForward();
    EXPECT_EQ(p.doc.current(), 2);
    EXPECT_EQ(p.doc.currentPage(), "c");
}

TEST(PagedDocument, AddInsertsABlankPageAfterTheCurrentOneAndShowsIt)
{
    Pages p({"a", "b"});
    EXPECT_TRUE(p.doc.addPage());  // in the middle
    EXPECT_EQ(p.inUse(), (V{"a", "", "b"}));
    EXPECT_EQ(p.doc.current(), 1);
    p.doc.flipForward();
    EXPECT_TRUE(p.doc.addPage());  // at the end: page n+1 of n+1
    EXPECT_EQ(p.inUse(), (V{"a", "", "b", ""}));
    EXPECT_EQ(p.doc.current(), 3);
    EXPECT_TRUE(p.doc.addPage());
    EXPECT_FALSE(p.doc.addPage()) << "every page in use";
    EXPECT_EQ(p.count, 5);
}

TEST(PagedDocument, RemoveMovesBackEvenWhenCancelledAndKeepsTheLastPage)
{
    Pages p({"a", "b", "c"});
    p.doc.flipForward();
    p.doc.flipForward();
    p.doc.removeCurrent(false);  // cancelled: all pages kept, the previous current
    EXPECT_EQ(p.inUse(), (V{"a", "b", "c"}));
    EXPECT_EQ(p.doc.current(), 1);
    p.doc.removeCurrent(true);
    EXPECT_EQ(p.inUse(), (V{"a", "c"}));
    EXPECT_EQ(p.doc.current(), 0);
    p.doc.removeCurrent(true);  // page 0 stays 0
    EXPECT_EQ(p.inUse(), (V{"c"}));
    EXPECT_EQ(p.doc.current(), 0);
    EXPECT_FALSE(p.doc.canRemove());
    p.doc.removeCurrent(true);  // the only page stays
    EXPECT_EQ(p.inUse(), (V{"c"}));
    EXPECT_TRUE(p.texts[1].empty()) << "slots beyond the count are blank";
}

TEST(PagedDocument, MovesExchangeNeighboursAndDoNothingAtTheEnds)
{
    Pages p({"a", "b", "c"});
    p.doc.moveTowardsFront();
    EXPECT_EQ(p.inUse(), (V{"a", "b", "c"}));
    p.doc.moveTowardsBack();
    EXPECT_EQ(p.inUse(), (V{"b", "a", "c"}));
    EXPECT_EQ(p.doc.current(), 1);
    p.doc.moveTowardsBack();
    EXPECT_EQ(p.inUse(), (V{"b", "c", "a"}));
    p.doc.moveTowardsBack();  // the last page towards the back
    EXPECT_EQ(p.inUse(), (V{"b", "c", "a"}));
    EXPECT_EQ(p.doc.current(), 2);
    p.doc.moveTowardsFront();
    EXPECT_EQ(p.inUse(), (V{"b", "a", "c"}));
    EXPECT_EQ(p.count, 3);
}

TEST(PagedDocument, OnlyTheFirstNewOrOpenGoesWithoutTheWarning)
{
    Pages p({"a"});
    EXPECT_FALSE(p.doc.needsOverwriteWarning());
    p.doc.newOrOpenDone();
    EXPECT_TRUE(p.doc.needsOverwriteWarning());
    p.doc.clear();
    EXPECT_TRUE(p.doc.needsOverwriteWarning()) << "even without a change in between";
    EXPECT_EQ(p.inUse(), (V{""}));
}
