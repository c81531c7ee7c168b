#pragma once
// The terminals' time stamp: seconds since 31 December 1989 00:00 local
// time, so that 1 January 1990 00:00 is 86400. Terminals keep no time zone;
// the value is converted to calendar fields by plain day arithmetic.
#include <cstdint>

// The 7-byte calendar record terminals and the tool exchange.
struct CalendarRecord {
    std::uint8_t second = 0;
    std::uint8_t minute = 0;
    std::uint8_t hour = 0;
    std::uint8_t day = 0;      // 1..31
    std::uint8_t month = 0;    // 1..12
    std::uint8_t year = 0;     // year - 1900
    std::uint8_t weekday = 0;  // 1 = Sunday .. 7 = Saturday

    int fullYear() const { return 1900 + year; }
};

class TerminalTime {
public:
    static constexpr std::uint32_t kSecondsPerDay = 86400;

    constexpr TerminalTime() = default;
    constexpr explicit TerminalTime(std::uint32_t seconds) : seconds_(seconds) {}

    // Calendar fields back to seconds; the weekday is not read.
    static TerminalTime fromCalendar(const CalendarRecord& calendar);
    // The PC's local time, seconds included.
    static TerminalTime pcNow();

    CalendarRecord toCalendar() const;
    std::uint32_t seconds() const { return seconds_; }

private:
    std::uint32_t seconds_ = 0;
};
