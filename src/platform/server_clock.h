#pragma once
// The display server's clock against the monotonic clock. An X server stamps every
// event with its own time in milliseconds (32 bits, wrapping after 49.7 days); on
// Linux that is CLOCK_MONOTONIC, the clock the program reads, though a server may
// read a coarse version of it. A key's time is taken from its stamp when a
// calibration of round trips to the server shows the two clocks agree closely;
// otherwise from the clock read when the key is handled.

#include <cstdint>
#include <optional>
#include <vector>

// One round trip to the server: the monotonic clock read before the request and
// after its answer (microseconds), and the server's stamp in the answer (milliseconds).
struct ServerTimeSample {
    std::int64_t before = 0;
    std::uint32_t serverMilliseconds = 0;
    std::int64_t after = 0;
};

// A source of round trips: the display server's, or none.
class ServerClock {
public:
    virtual ~ServerClock() = default;
    // Nothing when the round trip failed.
    virtual std::optional<ServerTimeSample> sample() = 0;
};

struct ServerClockCalibration {
    bool usable = false;                  // key stamps are used
    std::int64_t offsetMicroseconds = 0;  // monotonic = server time + offset
    std::int64_t spreadMicroseconds = 0;  // of the samples' offsets, and their shortest round trip
    std::int64_t roundTripMicroseconds = 0;
    int samples = 0;
};

// The most offset or spread a usable calibration has: more means a remote display,
// another server's clock or a coarse one.
inline constexpr std::int64_t mostServerClockOffsetMicroseconds = 2000;
// Round trips a calibration makes, and the fewest that must succeed.
inline constexpr int calibrationRoundTrips = 7;
inline constexpr int fewestCalibrationSamples = 3;

// The server's 32-bit millisecond time as the millisecond on the monotonic clock's
// scale nearest to nowMicroseconds (the stamp of an event that has just happened).
std::int64_t unwrapServerMilliseconds(std::uint32_t serverMilliseconds, std::int64_t nowMicroseconds);

// The offset from the sample of the shortest round trip; the spread from all of them.
ServerClockCalibration calibrateServerClock(const std::vector<ServerTimeSample>& samples);

// Makes calibrationRoundTrips round trips (none without a clock).
ServerClockCalibration calibrate(ServerClock* clock);

// When a key was pressed, in monotonic microseconds: from its server stamp when the
// calibration is usable (the middle of its millisecond), never later than it was
// handled; else when it was handled.
std::int64_t keyPressMicroseconds(std::optional<std::uint32_t> stamp, const ServerClockCalibration& calibration,
                                  std::int64_t handledMicroseconds);
