#pragma once
// The terminals' time stamp: seconds since 31 December 1989 00:00 local
// time, so that 1 January 1990 00:00 is 86400.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vornsim {

struct CalendarTime {
    int year = 1990, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    bool operator==(const CalendarTime&) const = default;
};

std::uint32_t toTerminalTime(const CalendarTime& t);
CalendarTime fromTerminalTime(std::uint32_t value);

// "YYYY-MM-DD HH:MM:SS"
std::string formatTerminalTime(std::uint32_t value);
std::optional<std::uint32_t> parseTerminalTime(std::string_view text);

// The host's local time now, as a terminal time stamp.
std::uint32_t hostTerminalNow();

// Day of week 1..7, Monday first, of a calendar date.
int isoWeekday(const CalendarTime& t);

}  // namespace vornsim
