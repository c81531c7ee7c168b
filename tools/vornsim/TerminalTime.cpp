#include "TerminalTime.h"

#include <cstdio>
#include <ctime>

namespace vornsim {
namespace {

constexpr std::uint32_t kDay = 86400;

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int yearLength(int y) { return leap(y) ? 366 : 365; }
int monthLength(int y, int m) {
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : lengths[m - 1];
}

}  // namespace

std::uint32_t toTerminalTime(const CalendarTime& t) {
    std::uint32_t days = static_cast<std::uint32_t>(t.day);
    for (int m = 1; m < t.month; ++m) days += monthLength(t.year, m);
    for (int y = 1990; y < t.year; ++y) days += yearLength(y);
    return days * kDay + t.hour * 3600u + t.minute * 60u + t.second;
}

CalendarTime fromTerminalTime(std::uint32_t value) {
    CalendarTime t;
    std::uint32_t days = value / kDay;
    std::uint32_t rest = value % kDay;
    int y = 1990;
    while (days > static_cast<std::uint32_t>(yearLength(y))) days -= yearLength(y++);
    int m = 1;
    while (m < 12 && days > static_cast<std::uint32_t>(monthLength(y, m))) days -= monthLength(y, m++);
    t.year = y;
    t.month = m;
    t.day = static_cast<int>(days);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest % 3600 / 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::string formatTerminalTime(std::uint32_t value) {
    CalendarTime t = fromTerminalTime(value);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buf;
}

std::optional<std::uint32_t> parseTerminalTime(std::string_view text) {
    CalendarTime t;
    char extra;
    std::string s(text);
    if (std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second,
                    &extra) != 6)
        return std::nullopt;
    if (t.year < 1990 || t.year > 2125 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > monthLength(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59 || t.hour < 0 ||
        t.minute < 0 || t.second < 0)
        return std::nullopt;
    return toTerminalTime(t);
}

std::uint32_t hostTerminalNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return toTerminalTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                           local.tm_sec});
}

int isoWeekday(const CalendarTime& t) {
    // 1 January 1990 was a Monday.
    std::uint32_t days = toTerminalTime(t) / kDay - 1;
    return static_cast<int>(days % 7) + 1;
}

}  // namespace vornsim
