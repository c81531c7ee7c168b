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

// Days from 1 March of year 0 in the Gregorian calendar, for differences.
long long dayNumber(int year, int month, int day) {
    constexpr int kMonthsFromMarch = 3;
    constexpr long long kDaysPer400Years = 146097;
    if (month < kMonthsFromMarch) --year;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const int shiftedMonth = (month + 9) % 12;  // March = 0
    const long long dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPer400Years + dayOfEra;
}

long long secondsOf(int year, int month, int day, int hour, int minute, int second) {
    constexpr long long kDay = 86400;
    return dayNumber(year, month, day) * kDay + hour * 3600LL + minute * 60LL + second;
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

long long TimeCode::differenceFrom(const fnd::LocalTime& pc) const {
    return secondsOf(pc.year, pc.month, pc.day, pc.hour, pc.minute, pc.second) -
           secondsOf(year, month, day, hour, minute, second);
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
