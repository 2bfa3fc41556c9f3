#include <gtest/gtest.h>

#include "platform/presentation.h"

#include <optional>
#include <vector>

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

// The offset comes from the reading whose monotonic readings lie closest together: a
// reading interrupted between its two monotonic readings is not taken.
TEST(MonotonicOffset, IsTakenFromTheTightestReading)
{
    const struct {
        std::vector<ClockReading> readings;
        std::int64_t expected;
    } cases[] = {
        {{}, 0},
        {{{1000, 400, 1010}}, 605},                                          // the middle of the pair
        {{{1000, 400, 1500}, {2000, 1500, 2010}, {3000, 2300, 3100}}, 505},  // the second
        {{{5000, 9000, 5004}, {6000, 9990, 6002}}, -3989},                   // another clock ahead
    };
    for (const auto& c : cases)
        EXPECT_EQ(monotonicOffset(c.readings.data(), static_cast<int>(c.readings.size())), c.expected)
            << c.readings.size();
}

// A report's counter is the display's own; without one, refreshes are counted from the
// last report by the interval (the first from the clock's zero); a report with neither
// has no counter.
TEST(RefreshCounter, CountsTheReportedRefreshes)
{
    const struct {
        std::int64_t time;
        std::uint64_t counter;
        std::uint32_t interval;
        std::optional<Refresh> expected;
    } reports[] = {
        {1'000'000, 0, 0, std::nullopt},                      // neither
        {1'004'900, 0, 10'000'000, Refresh{100, 1'004'900}},  // from zero: 100.49 refreshes
        {1'034'600, 0, 10'000'000, Refresh{103, 1'034'600}},  // 2.97 refreshes on: the third
        {1'034'600, 0, 10'000'000, Refresh{103, 1'034'600}},  // the same refresh again
        // 5.04 refreshes on, though 108.5 from zero: refreshes a little longer than
        // reported are counted from the last
        {1'085'000, 0, 10'000'000, Refresh{108, 1'085'000}},
        {1'100'000, 77, 10'000'000, Refresh{77, 1'100'000}},  // the display's own counter
        {1'120'000, 0, 10'000'000, Refresh{79, 1'120'000}},   // and on from it
    };
    RefreshCounter counter;
    for (const auto& r : reports)
        EXPECT_EQ(counter.counted(r.time, r.counter, r.interval), r.expected) << r.time;
}
