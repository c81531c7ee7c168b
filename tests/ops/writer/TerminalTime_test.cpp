#include "TerminalTime.h"

#include <gtest/gtest.h>

namespace {

struct Day {
    std::uint32_t seconds;  // midnight, from an independent calendar
    int year, month, day, weekday;
};

// Leap days, year ends and the century rule (2000 leap, 2100 not).
constexpr Day kDays[] = {
    {86400, 1990, 1, 1, 2},        {31536000, 1990, 12, 31, 2}, {31622400, 1991, 1, 1, 3},
    {68256000, 1992, 2, 29, 7},    {68342400, 1992, 3, 1, 1},   {320716800, 2000, 2, 29, 3},
    {599616000, 2008, 12, 31, 4},  {3476476800u, 2100, 3, 1, 2},
};

}  // namespace

TEST(TerminalTime, CalendarFieldsOfKnownDays) {
    for (const Day& d : kDays) {
        SCOPED_TRACE(d.seconds);
        CalendarRecord c = TerminalTime(d.seconds + 17 * 3600 + 45 * 60 + 9).toCalendar();
        EXPECT_EQ(c.fullYear(), d.year);
        EXPECT_EQ(c.month, d.month);
        EXPECT_EQ(c.day, d.day);
        EXPECT_EQ(c.hour, 17);
        EXPECT_EQ(c.minute, 45);
        EXPECT_EQ(c.second, 9);
        EXPECT_EQ(c.weekday, d.weekday);
    }
}

TEST(TerminalTime, FromCalendarIsTheInverse) {
    for (const Day& d : kDays) {
        CalendarRecord c;
        c.year = static_cast<std::uint8_t>(d.year - 1900);
        c.month = static_cast<std::uint8_t>(d.month);
        c.day = static_cast<std::uint8_t>(d.day);
        c.hour = 23;
        c.minute = 59;
        c.second = 58;
        EXPECT_EQ(TerminalTime::fromCalendar(c).seconds(), d.seconds + 86398) << d.year << "-" << d.month;
    }
    // Every day of forty years comes back to the same second.
    for (std::uint32_t day = 1; day < 40 * 366; ++day) {
        std::uint32_t s = day * TerminalTime::kSecondsPerDay + 3723;
        ASSERT_EQ(TerminalTime::fromCalendar(TerminalTime(s).toCalendar()).seconds(), s);
    }
}
