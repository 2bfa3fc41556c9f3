#include <gtest/gtest.h>

#include "platform/presentation.h"

// The clock learns the interval from its first and last reports, predicts forward
// from the last, never targets a refresh already past, and starts afresh when the
// counter goes back.
TEST(RefreshClock, PredictsTheFirstRefreshAtOrAfterAMomentFromItsReports)
{
    RefreshClock clock;
    clock.observe({100, 1'000'000});
    EXPECT_FALSE(clock.known());
    clock.observe({100, 1'000'000});  // the same report again changes nothing
    EXPECT_FALSE(clock.known());
    clock.observe({103, 1'050'000});
    ASSERT_TRUE(clock.known());
    EXPECT_NEAR(clock.intervalMicroseconds(), 16'666.67, 0.01);

    const struct {
        std::int64_t t;
        Refresh expected;
    } cases[] = {
        {900'000, {104, 1'066'667}},                                   // long past: the last report's successor
        {1'050'001, {104, 1'066'667}},                                 // just after the last
        {1'066'667, {104, 1'066'667}},                                 // on a predicted refresh: that one
        {1'066'668, {105, 1'083'333}}, {1'300'000, {118, 1'300'000}},  // 15 refreshes on
    };
    for (const auto& c : cases)
        EXPECT_EQ(clock.firstAtOrAfter(c.t), c.expected) << c.t;

    clock.observe({5, 2'000'000});  // a counter that went back: a new display
    EXPECT_FALSE(clock.known());
    clock.observe({6, 2'010'000});
    EXPECT_DOUBLE_EQ(clock.intervalMicroseconds(), 10'000);
}
