#include "exportGuard.h"
#include "mirtadll.h"
#include "zDeadline.h"

// A signal handled by the host does not cut the sleep short.
static int threadSleepBody(int milliseconds) {
    fnd::sleepMs(milliseconds);
    return milliseconds;
}

extern "C" MIRTA_API int threadSleep(int milliseconds) {
    return hostutil::guarded("threadSleep", milliseconds, [&] { return threadSleepBody(milliseconds); });
}
