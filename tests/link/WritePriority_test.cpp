// A serial write's raised priority: round-robin realtime at 10 and nice -10
// while it is held, never the top FIFO priority that could starve the
// machine, and exactly what was there before once the write is over.
#include "WritePriority.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Scheduling {
    int policy = -1;
    int priority = -1;
    int nice = 0;
};

Scheduling now() {
    Scheduling s;
    sched_param param{};
    pthread_getschedparam(pthread_self(), &s.policy, &param);
    s.priority = param.sched_priority;
    errno = 0;
    s.nice = getpriority(PRIO_PROCESS, 0);
    return s;
}

}  // namespace

TEST(WritePriority, RaisedToBoundedRoundRobinWhileHeldAndRestoredAfter) {
    if (geteuid() != 0) GTEST_SKIP() << "raising the priority needs root";
    const Scheduling before = now();
    {
        WritePriority raised;
        const Scheduling during = now();
        EXPECT_EQ(during.policy, SCHED_RR);
        EXPECT_EQ(during.priority, 10);
        EXPECT_EQ(during.nice, -10);
    }
    const Scheduling after = now();
    EXPECT_EQ(after.policy, before.policy);
    EXPECT_EQ(after.priority, before.priority);
    EXPECT_EQ(after.nice, before.nice);
}

TEST(WritePriority, WithoutPermissionNothingChanges) {
    // An ordinary user may not raise: the write goes on at its priority.
    if (geteuid() == 0) GTEST_SKIP() << "root may raise";
    const Scheduling before = now();
    {
        WritePriority raised;
        const Scheduling during = now();
        EXPECT_EQ(during.policy, before.policy);
        EXPECT_EQ(during.nice, before.nice);
    }
    EXPECT_EQ(now().policy, before.policy);
}
