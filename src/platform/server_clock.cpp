#include "platform/server_clock.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

constexpr std::int64_t wrapMilliseconds = std::int64_t{1} << 32;

}  // namespace

std::int64_t unwrapServerMilliseconds(std::uint32_t serverMilliseconds, std::int64_t nowMicroseconds)
{
    const std::int64_t now = nowMicroseconds / 1000;
    // The stamp's distance from now, folded into [-2^31, 2^31).
    std::int64_t difference = (static_cast<std::int64_t>(serverMilliseconds) - now) % wrapMilliseconds;
    if (difference < 0)
        difference += wrapMilliseconds;
    if (difference >= wrapMilliseconds / 2)
        difference -= wrapMilliseconds;
    return now + difference;
}

ServerClockCalibration calibrateServerClock(const std::vector<ServerTimeSample>& samples)
{
    ServerClockCalibration c;
    c.samples = static_cast<int>(samples.size());
    if (samples.empty())
        return c;
    // The offset lies in (before - end of the stamp's millisecond, after - its start].
    std::int64_t low = std::numeric_limits<std::int64_t>::min();
    std::int64_t high = std::numeric_limits<std::int64_t>::max();
    std::int64_t shortest = std::numeric_limits<std::int64_t>::max();
    for (const ServerTimeSample& s : samples) {
        const std::int64_t middle = s.before + (s.after - s.before) / 2;
        const std::int64_t server = unwrapServerMilliseconds(s.serverMilliseconds, middle) * 1000;
        low = std::max(low, s.before - (server + 1000));
        high = std::min(high, s.after - server);
        shortest = std::min(shortest, s.after - s.before);
    }
    c.offsetMicroseconds = low + (high - low) / 2;
    c.spreadMicroseconds = std::llabs(high - low);
    c.roundTripMicroseconds = shortest;
    c.usable = c.samples >= fewestCalibrationSamples && shortest >= 0 &&
               shortest <= mostServerClockOffsetMicroseconds &&
               std::llabs(c.offsetMicroseconds) <= mostServerClockOffsetMicroseconds &&
               c.spreadMicroseconds <= mostServerClockOffsetMicroseconds;
    return c;
}

ServerClockCalibration calibrate(ServerClock* clock)
{
    std::vector<ServerTimeSample> samples;
    for (int i = 0; clock != nullptr && i < calibrationRoundTrips; ++i) {
        if (const std::optional<ServerTimeSample> s = clock->sample(i * 1000 / calibrationRoundTrips))
            samples.push_back(*s);
    }
    return calibrateServerClock(samples);
}

std::int64_t keyPressMicroseconds(std::optional<std::uint32_t> stamp, const ServerClockCalibration& calibration,
                                  std::int64_t handledMicroseconds)
{
    if (!stamp || !calibration.usable)
        return handledMicroseconds;
    // The stamp is unwrapped on its own clock's scale: the handling time on that clock.
    const std::int64_t start = unwrapServerMilliseconds(*stamp, handledMicroseconds - calibration.offsetMicroseconds) *
                                   1000 +
                               calibration.offsetMicroseconds - calibration.spreadMicroseconds / 2;
    const std::int64_t end = std::min(start + 1000 + calibration.spreadMicroseconds, handledMicroseconds);
    if (end < start)
        return handledMicroseconds;
    return start + (end - start) / 2;
}

const char* describe(KeyClock clock) { return clock == KeyClock::Monotonic ? "CLOCK_MONOTONIC" : "CLOCK_REALTIME"; }

std::optional<FoundKeyClock> findKeyClock(std::uint32_t stampMilliseconds, const KeyHandlingClocks& handled)
{
    const std::int64_t gap = handled.monotonicAfter - handled.monotonicBefore;
    const std::int64_t monotonic = handled.monotonicBefore + gap / 2;
    // The key's millisecond began no later than its handling on that clock, and not
    // long before.
    const auto fits = [&](std::int64_t now) {
        const std::int64_t waited = now - unwrapServerMilliseconds(stampMilliseconds, now) * 1000;
        return waited >= 0 && waited <= mostKeyWaitMicroseconds;
    };
    FoundKeyClock found;
    found.calibration.usable = true;
    found.calibration.samples = 1;
    if (fits(monotonic)) {
        found.clock = KeyClock::Monotonic;
        return found;
    }
    if (fits(handled.realTime)) {
        found.clock = KeyClock::RealTime;
        found.calibration.offsetMicroseconds = monotonic - handled.realTime;
        found.calibration.spreadMicroseconds = gap;
        return found;
    }
    return std::nullopt;
}
