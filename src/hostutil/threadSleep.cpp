#include "exportGuard.h"
#include "mirtadll.h"

#include <cerrno>
#include <ctime>

static int threadSleepBody(int milliseconds) {
    if (milliseconds > 0) {
        timespec left{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
        // A signal handled by the host must not cut the sleep short.
        while (nanosleep(&left, &left) == -1 && errno == EINTR) {}
    }
    return milliseconds;
}

extern "C" MIRTA_API int threadSleep(int milliseconds) {
    return hostutil::guarded("threadSleep", milliseconds, [&] { return threadSleepBody(milliseconds); });
}
