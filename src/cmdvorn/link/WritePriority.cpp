#include "WritePriority.h"

#include <algorithm>
#include <cerrno>
#include <pthread.h>
#include <sys/resource.h>

WritePriority::WritePriority() {
    errno = 0;
    int nice = getpriority(PRIO_PROCESS, 0);
    if (errno == 0 && setpriority(PRIO_PROCESS, 0, kNice) == 0) {
        oldNice_ = nice;
        niceRaised_ = true;
    }
    if (pthread_getschedparam(pthread_self(), &oldPolicy_, &oldParam_) == 0) {
        sched_param raised{};
        raised.sched_priority =
            std::clamp(kRealtimePriority, sched_get_priority_min(kPolicy), sched_get_priority_max(kPolicy));
        schedRaised_ = pthread_setschedparam(pthread_self(), kPolicy, &raised) == 0;
    }
}

WritePriority::~WritePriority() {
    if (schedRaised_) pthread_setschedparam(pthread_self(), oldPolicy_, &oldParam_);
    if (niceRaised_) setpriority(PRIO_PROCESS, 0, oldNice_);
}
