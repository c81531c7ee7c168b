#pragma once
// The one clock of the suite: reading the local time to the millisecond and
// setting the PC clock. When PCCLOCK_FILE names a file, setting the clock
// appends the requested local time to it ("YYYY-MM-DD HH:MM:SS.mmm\n") and
// succeeds without touching the machine's clock; every test relies on that.
#include <ctime>

namespace fnd {

struct LocalTime {
    int year = 0;    // e.g. 2026
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int weekday = 0; // 0 = Sunday
};

bool isLeapYear(int year);
// Days of a month (1..12) in the Gregorian calendar; 0 for no such month.
int daysInMonth(int year, int month);

LocalTime localNow();
LocalTime toLocalTime(std::time_t t, int millisecond = 0);

// Sets the PC clock to the given local time. Returns 0 on success or an
// errno value (EINVAL for an impossible date, EPERM without the right).
int setLocalClock(const LocalTime& t);

}  // namespace fnd
