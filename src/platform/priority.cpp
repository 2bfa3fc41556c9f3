#include "platform/platform.h"

#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

namespace {

// On Linux the scheduling policy belongs to each thread; threads started later inherit
// the policy of the thread that starts them, so this is done before any is started.
// The highest priority first; if that is refused, the highest that RLIMIT_RTPRIO
// allows an unprivileged process.
bool becomeRealTime()
{
    const int highest = sched_get_priority_max(SCHED_FIFO);
    if (highest < 0)
        return false;
    int priorities[] = {highest, 0};
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur > 0 &&
        static_cast<int>(limit.rlim_cur) < highest)
        priorities[1] = static_cast<int>(limit.rlim_cur);
    for (const int priority : priorities) {
        if (priority <= 0)
            continue;
        sched_param param{};
        param.sched_priority = priority;
        if (sched_setscheduler(0, SCHED_FIFO, &param) == 0) {
            pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
            return true;
        }
    }
    return false;
}

int currentNice()
{
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    return errno == 0 ? nice : 0;
}

// Steps from -20 towards the present value and keeps the first one allowed: the lowest
// that privileges or RLIMIT_NICE permit. Never raises the nice value.
bool lowerNice()
{
    const int before = currentNice();
    for (int nice = -20; nice < before; ++nice)
        if (setpriority(PRIO_PROCESS, 0, nice) == 0)
            return true;
    return before < 0;  // already below the default, and no lower value is allowed
}

// With a finite lock limit, MCL_FUTURE makes later allocations fail once the limit is
// reached, so memory is locked only when the limit is unlimited or the process is root
// (which is exempt from it).
void lockMemory()
{
    rlimit limit{};
    const bool unlimited = getrlimit(RLIMIT_MEMLOCK, &limit) == 0 && limit.rlim_cur == RLIM_INFINITY;
    if (unlimited || geteuid() == 0)
        mlockall(MCL_CURRENT | MCL_FUTURE);
}

}  // namespace

PriorityLevel raisePriority()
{
    PriorityLevel level = PriorityLevel::Normal;
    if (becomeRealTime())
        level = PriorityLevel::RealTime;
    else if (lowerNice())
        level = PriorityLevel::LowestNice;
    lockMemory();
    return level;
}

const char* describe(PriorityLevel level)
{
    switch (level) {
    case PriorityLevel::RealTime:
        return "real-time scheduling (SCHED_FIFO)";
    case PriorityLevel::LowestNice:
        return "raised priority (lowest nice value allowed)";
    case PriorityLevel::Normal:
        break;
    }
    return "normal priority (raising it was refused)";
}
