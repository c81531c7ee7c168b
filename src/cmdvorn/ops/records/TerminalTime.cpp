#include "TerminalTime.h"

#include "zClock.h"

namespace {

constexpr int kFirstYear = 1990;

int daysInYear(int year) { return fnd::isLeapYear(year) ? 366 : 365; }

}  // namespace

TerminalTime TerminalTime::pcNow() {
    fnd::LocalTime now = fnd::localNow();
    CalendarRecord c;
    c.year = static_cast<std::uint8_t>(now.year - 1900);
    c.month = static_cast<std::uint8_t>(now.month);
    c.day = static_cast<std::uint8_t>(now.day);
    c.hour = static_cast<std::uint8_t>(now.hour);
    c.minute = static_cast<std::uint8_t>(now.minute);
    c.second = static_cast<std::uint8_t>(now.second);
    return fromCalendar(c);
}

CalendarRecord TerminalTime::toCalendar() const {
    std::uint32_t days = seconds_ / kSecondsPerDay;  // 1 is 1 January 1990
    // Day 0 was a Sunday. Counted rather than asked of the C library: that
    // would look up the time zone for every record written.
    auto weekday = static_cast<std::uint8_t>(days % 7 + 1);
    std::uint32_t rest = seconds_ % kSecondsPerDay;

    int year = kFirstYear;
    while (days > static_cast<std::uint32_t>(daysInYear(year))) {
        days -= daysInYear(year);
        ++year;
    }
    int month = 1;
    while (month < 12 && days > static_cast<std::uint32_t>(fnd::daysInMonth(year, month))) {
        days -= fnd::daysInMonth(year, month);
        ++month;
    }

    CalendarRecord c;
    c.second = static_cast<std::uint8_t>(rest % 60);
    c.minute = static_cast<std::uint8_t>(rest / 60 % 60);
    c.hour = static_cast<std::uint8_t>(rest / 3600);
    c.day = static_cast<std::uint8_t>(days);
    c.month = static_cast<std::uint8_t>(month);
    c.year = static_cast<std::uint8_t>(year - 1900);
    c.weekday = weekday;
    return c;
}

TerminalTime TerminalTime::fromCalendar(const CalendarRecord& c) {
    std::uint32_t days = c.day;
    int year = c.fullYear();
    for (int m = 1; m < c.month && m <= 12; ++m) days += fnd::daysInMonth(year, m);
    for (int y = kFirstYear; y < year; ++y) days += daysInYear(y);
    return TerminalTime(days * kSecondsPerDay + c.hour * 3600u + c.minute * 60u + c.second);
}
