#include "TimeCode.h"

#include "TerminalTime.h"
#include "zClock.h"

namespace {

// The decimal number at `at`, as far as its digits go; -1 without a digit.
int numberAt(std::string_view line, std::size_t at, std::size_t maxDigits = 4) {
    int value = -1;
    for (std::size_t i = at; i < line.size() && i < at + maxDigits && line[i] >= '0' && line[i] <= '9'; ++i)
        value = (value < 0 ? 0 : value * 10) + (line[i] - '0');
    return value;
}

}  // namespace

bool TimeCode::parse(std::string_view line, TimeCode& out) {
    if (line.size() != kLineLength || line[kLineLength - 1] != '\n' || line[kMarkAt] != '*') return false;
    TimeCode c;
    c.year = numberAt(line, 0);
    c.month = numberAt(line, 5, 2);
    c.day = numberAt(line, 8, 2);
    c.hour = numberAt(line, 45, 2);
    c.minute = numberAt(line, 14, 2);
    c.second = numberAt(line, 17, 2);
    c.weekday = numberAt(line, 25, 1);
    if (c.year < 1990 || c.month < 1 || c.month > 12 || c.day < 1 || c.day > fnd::daysInMonth(c.year, c.month) ||
        c.hour < 0 || c.hour > 23 || c.minute < 0 || c.minute > 59 || c.second < 0 || c.second > 59)
        return false;
    out = c;
    return true;
}

int TimeCode::differenceFrom(const fnd::LocalTime& pc) const {
    return (pc.hour * 3600 + pc.minute * 60 + pc.second) - (hour * 3600 + minute * 60 + second);
}

bool TimeCode::sameDate(const fnd::LocalTime& pc) const {
    return pc.year == year && pc.month == month && pc.day == day;
}

fnd::LocalTime TimeCode::asLocalTime() const {
    fnd::LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.millisecond = 0;
    // The service counts 1 = Monday .. 7 = Sunday.
    t.weekday = weekday % 7;
    return t;
}
