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
    std::int64_t lowest = std::numeric_limits<std::int64_t>::max();
    std::int64_t highest = std::numeric_limits<std::int64_t>::min();
    std::int64_t shortest = std::numeric_limits<std::int64_t>::max();
    for (const ServerTimeSample& s : samples) {
        const std::int64_t middle = s.before + (s.after - s.before) / 2;
        // The server's time lies somewhere in its millisecond: its middle is taken.
        const std::int64_t server = unwrapServerMilliseconds(s.serverMilliseconds, middle) * 1000 + 500;
        const std::int64_t offset = middle - server;
        lowest = std::min(lowest, offset);
        highest = std::max(highest, offset);
        if (s.after - s.before < shortest) {
            shortest = s.after - s.before;
            c.offsetMicroseconds = offset;
        }
    }
    c.roundTripMicroseconds = shortest;
    c.spreadMicroseconds = std::max(highest - lowest, shortest);
    c.usable = c.samples >= fewestCalibrationSamples && shortest >= 0 &&
               std::llabs(c.offsetMicroseconds) <= mostServerClockOffsetMicroseconds &&
               c.spreadMicroseconds <= mostServerClockOffsetMicroseconds;
    return c;
}

ServerClockCalibration calibrate(ServerClock* clock)
{
    std::vector<ServerTimeSample> samples;
    for (int i = 0; clock != nullptr && i < calibrationRoundTrips; ++i) {
        if (const std::optional<ServerTimeSample> s = clock->sample())
            samples.push_back(*s);
    }
    return calibrateServerClock(samples);
}

std::int64_t keyPressMicroseconds(std::optional<std::uint32_t> stamp, const ServerClockCalibration& calibration,
                                  std::int64_t handledMicroseconds)
{
    if (!stamp || !calibration.usable)
        return handledMicroseconds;
    const std::int64_t pressed = unwrapServerMilliseconds(*stamp, handledMicroseconds) * 1000 + 500 +
                                 calibration.offsetMicroseconds;
    return std::min(pressed, handledMicroseconds);
}
