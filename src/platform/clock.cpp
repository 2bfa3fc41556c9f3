#include "platform/platform.h"
#include "platform/server_clock.h"

#include <cerrno>

#include <time.h>

namespace {

std::int64_t microsecondsOf(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1'000;
}

}  // namespace

std::int64_t MonotonicClock::nowMicroseconds() { return microsecondsOf(CLOCK_MONOTONIC); }

KeyHandlingClocks readKeyHandlingClocks()
{
    KeyHandlingClocks clocks;
    clocks.monotonicBefore = microsecondsOf(CLOCK_MONOTONIC);
    clocks.realTime = microsecondsOf(CLOCK_REALTIME);
    clocks.monotonicAfter = microsecondsOf(CLOCK_MONOTONIC);
    return clocks;
}

void MonotonicClock::sleepUntil(std::int64_t deadlineMicroseconds)
{
    timespec deadline{};
    deadline.tv_sec = static_cast<time_t>(deadlineMicroseconds / 1'000'000);
    deadline.tv_nsec = static_cast<long>(deadlineMicroseconds % 1'000'000) * 1'000;
    // A signal ends the sleep early: sleep again to the same deadline.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}
