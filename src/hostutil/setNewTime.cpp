#include "exportGuard.h"
#include "mirtadll.h"
#include "zClock.h"

#include <cstdint>

static int SetNewTimeBody(int year, int month, int day, int hour, int minute) {
    // Each value counts as a signed 16-bit number; a negative one (or a zero
    // date field) keeps the current value.
    const auto asShort = [](int v) { return static_cast<int>(static_cast<std::int16_t>(v)); };
    fnd::LocalTime t = fnd::localNow();
    if (asShort(year) > 0) t.year = asShort(year);
    if (asShort(month) > 0) t.month = asShort(month);
    if (asShort(day) > 0) t.day = asShort(day);
    if (asShort(hour) >= 0) t.hour = asShort(hour);
    if (asShort(minute) >= 0) t.minute = asShort(minute);

    // A date that does not exist (31 February) is refused, not rolled over.
    return fnd::setLocalClock(t) == 0 ? 1 : 0;
}

extern "C" MIRTA_API int SetNewTime(int year, int month, int day, int hour, int minute) {
    return hostutil::guarded("SetNewTime", 0, [&] { return SetNewTimeBody(year, month, day, hour, minute); });
}
