#pragma once
// The time code of the public time service dialled by modem: lines of 79
// characters and a line feed with "*" at position 77. Only the positions of
// the date, the time and the weekday are read.
#include "zClock.h"

#include <string_view>

struct TimeCode {
    static constexpr int kLineLength = 80;  // the line feed included
    static constexpr int kMarkAt = 77;

    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0;  // as the service sends it

    // False for any line that is not a time code: wrong length, no line
    // feed at the end, no "*" at 77, or a date or time that cannot be.
    static bool parse(std::string_view line, TimeCode& out);

    // PC date and time minus the code's, in seconds: a clock a day or an
    // hour off across midnight is off by that much, not by the time of day.
    long long differenceFrom(const fnd::LocalTime& pc) const;
    // The PC clock's new setting: the code's date and time, milliseconds 0.
    fnd::LocalTime asLocalTime() const;
};
