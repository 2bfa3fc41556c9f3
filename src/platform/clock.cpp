#include "platform/platform.h"

#include <cerrno>

#include <time.h>

std::int64_t MonotonicClock::nowMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1'000;
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
