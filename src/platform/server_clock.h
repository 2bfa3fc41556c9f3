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
// The stamp is the server's clock cut to its millisecond, read somewhere between the
// two readings.
struct ServerTimeSample {
    std::int64_t before = 0;
    std::uint32_t serverMilliseconds = 0;
    std::int64_t after = 0;
};

// A source of round trips: the display server's, or none.
class ServerClock {
public:
    virtual ~ServerClock() = default;
    // A round trip started once the monotonic clock is phaseMicroseconds (0 to 999)
    // into a millisecond, so that round trips at several phases pin down where the
    // server's milliseconds begin. Nothing when the round trip failed.
    virtual std::optional<ServerTimeSample> sample(int phaseMicroseconds) = 0;
};

// Each round trip bounds the offset between the clocks: the server's clock was read
// between the two monotonic readings and lay within the stamp's millisecond. The
// bounds of all the round trips together leave an interval; its middle is the offset
// and its width the spread. Bounds that contradict each other (a stall, a coarse
// or another clock) leave no interval: the spread is then how far they contradict.
struct ServerClockCalibration {
    bool usable = false;                     // key stamps are used
    std::int64_t offsetMicroseconds = 0;     // monotonic = server clock + offset
    std::int64_t spreadMicroseconds = 0;     // width of the offset's interval
    std::int64_t roundTripMicroseconds = 0;  // the shortest
    int samples = 0;
};

// The most offset or spread a usable calibration has: more means a remote display,
// another server's clock or a coarse one.
inline constexpr std::int64_t mostServerClockOffsetMicroseconds = 2000;
// Round trips a calibration makes, and the fewest that must succeed.
inline constexpr int calibrationRoundTrips = 12;
inline constexpr int fewestCalibrationSamples = 3;

// The server's 32-bit millisecond time as the millisecond on the monotonic clock's
// scale nearest to nowMicroseconds (the stamp of an event that has just happened).
std::int64_t unwrapServerMilliseconds(std::uint32_t serverMilliseconds, std::int64_t nowMicroseconds);

ServerClockCalibration calibrateServerClock(const std::vector<ServerTimeSample>& samples);

// Makes calibrationRoundTrips round trips at phases spread over the millisecond (none
// without a clock).
ServerClockCalibration calibrate(ServerClock* clock);

// The clocks a key's stamp may be on, read one after the other when the key is
// handled (microseconds): a Wayland compositor stamps keys in milliseconds of
// CLOCK_MONOTONIC (mutter) or of CLOCK_REALTIME (KWin, Weston's input time stamps).
struct KeyHandlingClocks {
    std::int64_t monotonicBefore = 0;
    std::int64_t realTime = 0;
    std::int64_t monotonicAfter = 0;
};

// Reads the three clocks, monotonic, real time, monotonic, now.
KeyHandlingClocks readKeyHandlingClocks();

enum class KeyClock { Monotonic, RealTime };
const char* describe(KeyClock clock);

// How long before its handling a key whose stamp tells its clock may have been
// pressed: a key that waited longer (a stall) tells nothing, and the next one is asked.
inline constexpr std::int64_t mostKeyWaitMicroseconds = 1000000;

struct FoundKeyClock {
    KeyClock clock = KeyClock::Monotonic;
    ServerClockCalibration calibration;  // usable; the offset from that clock to the monotonic one
};

// The clock of a key's stamp: the one on which the key was pressed no later than it
// was handled and at most mostKeyWaitMicroseconds before (the monotonic clock where
// both would do). Nothing where neither does.
std::optional<FoundKeyClock> findKeyClock(std::uint32_t stampMilliseconds, const KeyHandlingClocks& handled);

// When a key was pressed, in monotonic microseconds. With a usable calibration the
// stamp puts the press within its millisecond (widened by the offset's uncertainty),
// and the press came before its handling: the middle of what is left of that window.
// Without one, or where the two contradict each other, when it was handled.
std::int64_t keyPressMicroseconds(std::optional<std::uint32_t> stamp, const ServerClockCalibration& calibration,
                                  std::int64_t handledMicroseconds);
