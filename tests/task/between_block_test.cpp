#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "task/between_block.h"

TEST(NextBlockTexts, EachBlockOfAHalfShowsItsPairsAndStatus)
{
    const NextBlockLabels labels{"Fruit", "Tools", "Good", "Bad"};
    struct Case {
        BlockInHalf block;
        NextBlockTexts expected;
    };
    const Case cases[] = {
        {BlockInHalf::PairOne, {"Fruit", "Tools", "", "", "", "", "practice."}},
        {BlockInHalf::PairTwo, {"Good", "Bad", "", "", "", "", "practice."}},
        {BlockInHalf::CombinedPractice, {"Fruit", "Tools", "and", "Good", "or", "Bad", "practice."}},
        {BlockInHalf::CombinedRecorded, {"Fruit", "Tools", "and", "Good", "or", "Bad", "real."}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nextBlockTexts(c.block, labels), c.expected) << static_cast<int>(c.block);
}

TEST(BlockFeedbackTexts, TimeInTenthsRoundedHalfUp)
{
    const std::pair<double, const char*> cases[] = {
        {17100, "17.1"}, {12960, "13.0"},   {0, "0.0"},
        {59950, "60.0"}, {59949, "59.9"},   {49, "0.0"},
        {50, "0.1"},     {123456, "123.5"}, {std::numeric_limits<double>::quiet_NaN(), "0.0"},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(blockTimeText(ms), text) << ms;
}

TEST(BlockFeedbackTexts, PercentTruncatedAndNeverNegative)
{
    const std::pair<double, const char*> cases[] = {
        {95.83, "95"},
        {100, "100"},
        {70, "70"},
        {0.99, "0"},
        {0, "0"},
        // More wrong responses than trials counted: 11 trials, 11 wrong on trials 2 to 11.
        {(10.0 - 11.0) / 10.0 * 100.0, "0"},
        {-0.5, "0"},
        {std::numeric_limits<double>::quiet_NaN(), "0"},
    };
    for (const auto& [percent, text] : cases)
        EXPECT_EQ(percentText(percent), text) << percent;
}
