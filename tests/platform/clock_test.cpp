#include "platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

std::int64_t steadyMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

// steady_clock is CLOCK_MONOTONIC on Linux (libstdc++): a reading taken between two of
// its readings lies between them, in the same unit and from the same origin, and so
// successive readings never go back. This holds however slowly the machine runs.
TEST(MonotonicClock, ReadsTheMonotonicClockInMicroseconds)
{
    MonotonicClock clock;
    for (int i = 0; i < 100; ++i) {
        const std::int64_t before = steadyMicroseconds();
        const std::int64_t reading = clock.nowMicroseconds();
        const std::int64_t after = steadyMicroseconds();
        ASSERT_LE(before, reading);
        ASSERT_LE(reading, after);
    }
}

// Independent of the library's clock: a sleep lasts at least as long as asked; the upper
// bound only tells microseconds from nanoseconds, so a busy machine cannot fail it.
TEST(MonotonicClock, CountsASleepInMicroseconds)
{
    MonotonicClock clock;
    const std::int64_t start = clock.nowMicroseconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::int64_t elapsed = clock.nowMicroseconds() - start;
    EXPECT_GE(elapsed, 20'000);
    EXPECT_LT(elapsed, 20'000'000);
}
