#include <gtest/gtest.h>

#include <vector>

#include "platform/server_clock.h"

namespace {

// Round trips of 100 us whose server reads its clock, lagging the monotonic clock by
// lagMicroseconds, in the middle of each, cut to the millisecond; one round trip a
// millisecond from start (microseconds), at phases spread over the millisecond.
std::vector<ServerTimeSample> samples(std::int64_t start, int count, std::int64_t lagMicroseconds,
                                      std::int64_t roundTrip = 100)
{
    std::vector<ServerTimeSample> s;
    for (int i = 0; i < count; ++i) {
        const std::int64_t before = start + i * 1000 + i * 1000 / count;
        const std::int64_t middle = before + roundTrip / 2;
        s.push_back({before, static_cast<std::uint32_t>((middle - lagMicroseconds) / 1000), before + roundTrip});
    }
    return s;
}

constexpr std::int64_t day = 86'400'000'000;  // microseconds

}  // namespace

TEST(ServerClock, UnwrapsTheServersMillisecondsNearNow)
{
    const struct {
        std::uint32_t stamp;
        std::int64_t now;  // microseconds
        std::int64_t ms;
    } cases[] = {
        {5000, 5'000'400, 5000},
        {4990, 5'000'400, 4990},                                  // an event 10 ms ago
        {0xFFFFFFF0u, 4'294'967'296'000 + 5'000, 4'294'967'280},  // stamped just before the wrap
        {5, 4'294'967'296'000 + 5'000, 4'294'967'301},            // just after it
        {static_cast<std::uint32_t>((60 * day / 1000) % 4'294'967'296), 60 * day + 300, 60 * day / 1000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(unwrapServerMilliseconds(c.stamp, c.now), c.ms) << c.stamp << " at " << c.now;
}

// The same clock (stamps cut to the millisecond) calibrates, from round trips at
// spread phases, to its offset within a round trip; another clock, a coarse one, a
// slow display or too few round trips do not calibrate.
TEST(ServerClock, CalibratesOnlyWhenBothClocksAgreeClosely)
{
    for (const std::int64_t lag : {0, 300, -700}) {
        const ServerClockCalibration c = calibrateServerClock(samples(7 * day, 12, lag));
        EXPECT_TRUE(c.usable) << lag;
        EXPECT_LE(std::llabs(c.offsetMicroseconds - lag), 100) << lag;
        EXPECT_LE(c.spreadMicroseconds, 200) << lag;
        EXPECT_EQ(c.samples, 12);
        EXPECT_EQ(c.roundTripMicroseconds, 100);
    }

    const struct {
        std::vector<ServerTimeSample> samples;
        const char* why;
    } refused[] = {
        {samples(7 * day, 7, 3000), "a server clock 3 ms behind"},
        {samples(7 * day, 7, -2600), "a server clock ahead"},
        {samples(7 * day, 7, 0, 4000), "round trips of 4 ms (a remote display)"},
        {samples(7 * day, 2, 0), "two round trips"},
        {{}, "none"},
    };
    for (const auto& r : refused)
        EXPECT_FALSE(calibrateServerClock(r.samples).usable) << r.why;

    // One sample far off (a stall) widens the spread beyond use.
    std::vector<ServerTimeSample> stalled = samples(7 * day, 7, 0);
    stalled[3].serverMilliseconds -= 4;
    EXPECT_FALSE(calibrateServerClock(stalled).usable);
}

// Which time a key gets: with a usable calibration the middle of its stamp's
// millisecond (plus the offset, widened by the spread) cut back at its handling;
// else, or where stamp and handling contradict each other, its handling.
TEST(ServerClock, AKeyIsTimedFromItsStampOnlyWithAUsableCalibration)
{
    ServerClockCalibration usable;
    usable.usable = true;
    usable.offsetMicroseconds = 200;
    ServerClockCalibration unusable = usable;
    unusable.usable = false;
    const std::int64_t handled = 9 * day + 8'000;  // 8 ms after the key's millisecond
    const std::uint32_t stamp = static_cast<std::uint32_t>((9 * day) / 1000);

    EXPECT_EQ(keyPressMicroseconds(stamp, usable, handled), 9 * day + 700);
    EXPECT_EQ(keyPressMicroseconds(std::nullopt, usable, handled), handled);
    EXPECT_EQ(keyPressMicroseconds(stamp, unusable, handled), handled);
    EXPECT_EQ(keyPressMicroseconds(stamp, usable, 9 * day + 300), 9 * day + 250) << "handled within its millisecond";
    EXPECT_EQ(keyPressMicroseconds(stamp, usable, 9 * day + 100), 9 * day + 100) << "handled before its stamp";
    ServerClockCalibration spread = usable;
    spread.spreadMicroseconds = 400;
    EXPECT_EQ(keyPressMicroseconds(stamp, spread, 9 * day + 400), 9 * day + 200);
}

TEST(ServerClock, AKeysClockIsTheOneItCameBeforeItsHandlingOn)
{
    // Monotonic: 9 days after boot; real time: 2026-12-08 in microseconds since 1970.
    const std::int64_t monotonic = 9 * day + 8'000;
    const std::int64_t realTime = 1'796'688'000'000'000 + 5'000;
    const KeyHandlingClocks handled{monotonic - 2, realTime, monotonic + 2};
    const auto stampOf = [](std::int64_t microseconds) { return static_cast<std::uint32_t>(microseconds / 1000); };

    const std::optional<FoundKeyClock> onMonotonic = findKeyClock(stampOf(monotonic - 3'000), handled);
    ASSERT_TRUE(onMonotonic);
    EXPECT_EQ(onMonotonic->clock, KeyClock::Monotonic);
    EXPECT_EQ(onMonotonic->calibration.offsetMicroseconds, 0);

    // A stamp in real time's milliseconds, 3 ms before handling: later keys of the block
    // are put on the monotonic clock with the offset found.
    const std::optional<FoundKeyClock> onRealTime = findKeyClock(stampOf(realTime - 3'000), handled);
    ASSERT_TRUE(onRealTime);
    EXPECT_EQ(onRealTime->clock, KeyClock::RealTime);
    EXPECT_EQ(onRealTime->calibration.offsetMicroseconds, monotonic - realTime);
    const std::uint32_t later = stampOf(realTime + 500'000);  // a key half a second later
    EXPECT_NEAR(keyPressMicroseconds(later, onRealTime->calibration, monotonic + 520'000), monotonic + 500'500, 10);

    // After its handling on both clocks, or waiting longer than a stall allows: no clock.
    EXPECT_FALSE(findKeyClock(stampOf(monotonic + 5'000), handled));
    EXPECT_FALSE(findKeyClock(stampOf(realTime - 2 * mostKeyWaitMicroseconds), handled));
}
