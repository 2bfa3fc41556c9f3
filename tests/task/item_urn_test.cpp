#include <gtest/gtest.h>

#include <set>

#include "engine_fakes.h"

TEST(ItemUrn, DrawsEveryValueOnceBeforeAnyTwiceAndReseedsAtEveryFill)
{
    ScriptedRandom random({7, 3, 11, 2, 5});
    FixedCalendar calendar;
    ItemUrn urn(1, 4, random, calendar);
    ASSERT_EQ(random.seeds, std::vector<unsigned>{1'700'000'000u});

    for (int round = 0; round < 3; ++round) {
        std::set<int> seen;
        for (int d = 0; d < 4; ++d) {
            const int v = urn.draw(false);
            EXPECT_GE(v, 1);
            EXPECT_LE(v, 4);
            EXPECT_TRUE(seen.insert(v).second) << "value " << v << " repeated before the urn was empty";
        }
        EXPECT_EQ(urn.remaining(), 0);
    }
    // Created once, refilled twice: each fill reseeds from the calendar.
    EXPECT_EQ(random.seeds.size(), 3u);
}

TEST(ItemUrn, TakesTheKthRemainingValueInAscendingOrder)
{
    // k = next mod remaining: 6 mod 4 = 2 -> the third value (3); then 5 mod 3 = 2
    // among {1, 2, 4} -> 4; then 1 mod 2 = 1 among {1, 2} -> 2.
    ScriptedRandom random({6, 5, 1});
    FixedCalendar calendar;
    ItemUrn urn(1, 4, random, calendar);
    EXPECT_EQ(urn.draw(false), 3);
    EXPECT_EQ(urn.draw(false), 4);
    EXPECT_EQ(urn.draw(false), 2);
    EXPECT_EQ(urn.remaining(), 1);
}

TEST(ItemUrn, WithReplacementLeavesTheUrnAsItWas)
{
    ScriptedRandom random({2});
    FixedCalendar calendar;
    ItemUrn urn(0, 19, random, calendar);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(urn.draw(true), 2);
    EXPECT_EQ(urn.remaining(), 20);
    EXPECT_EQ(random.seeds.size(), 1u);
}

TEST(ItemUrn, TheCLibraryGeneratorRepeatsWithinOneSecond)
{
    // Two urns filled in the same second give the same sequence.
    CRandomGenerator random;
    FixedCalendar calendar;
    std::vector<int> first, second;
    ItemUrn a(1, 18, random, calendar);
    for (int i = 0; i < 18; ++i)
        first.push_back(a.draw(false));
    ItemUrn b(1, 18, random, calendar);
    for (int i = 0; i < 18; ++i)
        second.push_back(b.draw(false));
    EXPECT_EQ(first, second);
}
