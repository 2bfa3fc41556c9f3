#include "platform/platform.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <set>
#include <string>

namespace {

// raisePriority changes the calling process for good, so it runs in a child. The child
// reports through its exit status: 0 passed, 77 skipped, anything else names the check
// that failed.
constexpr int skipped = 77;

int inChild(const std::function<int()>& body)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

int niceValue()
{
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    return errno == 0 ? nice : 1000;
}

}  // namespace

TEST(Priority, DescribesEveryLevelDifferently)
{
    std::set<std::string> texts;
    for (const auto level : {PriorityLevel::RealTime, PriorityLevel::LowestNice, PriorityLevel::Normal}) {
        const std::string text = describe(level);
        EXPECT_FALSE(text.empty());
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 3u);
}

// Whatever the privileges of the machine running the test, the level reported is the
// one the process is left at.
TEST(Priority, ReportsTheLevelItReached)
{
    const int result = inChild([] {
        const int niceBefore = niceValue();
        const PriorityLevel level = raisePriority();
        sched_param param{};
        const int policy = sched_getscheduler(0);
        sched_getparam(0, &param);
        switch (level) {
        case PriorityLevel::RealTime:
            if (policy != SCHED_FIFO)
                return 1;
            if (param.sched_priority < sched_get_priority_min(SCHED_FIFO))
                return 2;
            return 0;
        case PriorityLevel::LowestNice:
            if (policy == SCHED_FIFO)
                return 3;
            return niceValue() < 0 && niceValue() <= niceBefore ? 0 : 4;
        case PriorityLevel::Normal:
            if (policy != SCHED_OTHER)
                return 5;
            return niceValue() == niceBefore ? 0 : 6;
        }
        return 7;
    });
    EXPECT_EQ(result, 0);
}

// Without privileges and with no limits that allow raising anything, start-up goes on at
// the priority it had.
TEST(Priority, RefusedEverywhereLeavesThePriorityAlone)
{
    const int result = inChild([] {
        if (geteuid() == 0 && setuid(65534) != 0)
            return skipped;
        const rlimit none{0, 0};
        if (setrlimit(RLIMIT_RTPRIO, &none) != 0 || setrlimit(RLIMIT_NICE, &none) != 0)
            return skipped;
        const int niceBefore = niceValue();
        if (niceBefore < 0)
            return skipped;  // already raised by whoever started the test
        const int policyBefore = sched_getscheduler(0);
        if (raisePriority() != PriorityLevel::Normal)
            return 1;
        if (niceValue() != niceBefore || sched_getscheduler(0) != policyBefore)
            return 2;
        return 0;
    });
    if (result == skipped)
        GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(result, 0);
}
