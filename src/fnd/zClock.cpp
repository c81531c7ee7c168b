#include "zClock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace fnd {

LocalTime toLocalTime(std::time_t t, int millisecond) {
    std::tm tm{};
    localtime_r(&t, &tm);
    LocalTime lt;
    lt.year = tm.tm_year + 1900;
    lt.month = tm.tm_mon + 1;
    lt.day = tm.tm_mday;
    lt.hour = tm.tm_hour;
    lt.minute = tm.tm_min;
    lt.second = tm.tm_sec;
    lt.millisecond = millisecond;
    lt.weekday = tm.tm_wday;
    return lt;
}

LocalTime localNow() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return toLocalTime(ts.tv_sec, static_cast<int>(ts.tv_nsec / 1000000));
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

int setLocalClock(const LocalTime& t) {
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 ||
        t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 || t.millisecond < 0 ||
        t.millisecond > 999)
        return EINVAL;

    if (const char* path = std::getenv("PCCLOCK_FILE"); path && *path) {
        std::FILE* f = std::fopen(path, "a");
        if (!f) return errno;
        std::fprintf(f, "%04d-%02d-%02d %02d:%02d:%02d.%03d\n", t.year, t.month, t.day, t.hour,
                     t.minute, t.second, t.millisecond);
        int rc = std::fclose(f) == 0 ? 0 : errno;
        return rc;
    }

    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    std::time_t secs = mktime(&tm);
    if (secs == static_cast<std::time_t>(-1)) return EINVAL;
    timespec ts{secs, static_cast<long>(t.millisecond) * 1000000L};
    return clock_settime(CLOCK_REALTIME, &ts) == 0 ? 0 : errno;
}

}  // namespace fnd
