// The daylight-saving keys of the parameter file and the record they build.
#include "DaylightSaving.h"
#include "crc16.h"

#include <gtest/gtest.h>

TEST(DaylightKeys, SummerStartHasFixedSeparators) {
    SwitchMoment m;
    ASSERT_TRUE(parseSummerStart("28/3-2:0", 2026, m));
    EXPECT_EQ(m.day, 28);
    EXPECT_EQ(m.month, 3);
    EXPECT_EQ(m.hour, 2);
    EXPECT_EQ(m.minute, 0);
    for (const char* refused : {"28.3.2.0", "28/3-2", "28/3.2:0", "", "a/3-2:0"})
        EXPECT_FALSE(parseSummerStart(refused, 2026, m)) << refused;
}

TEST(DaylightKeys, SummerEndTakesAnySingleSeparator) {
    SwitchMoment m;
    for (const char* accepted : {"31.10.3.0", "31/10-3:0", "31 10 3 0", "31x10y3z0"}) {
        ASSERT_TRUE(parseSummerEnd(accepted, 2026, m)) << accepted;
        EXPECT_EQ(m.day, 31);
        EXPECT_EQ(m.month, 10);
        EXPECT_EQ(m.hour, 3);
    }
    EXPECT_FALSE(parseSummerEnd("31..10.3.0", 2026, m));
    EXPECT_FALSE(parseSummerEnd("31.10.3", 2026, m));
}

TEST(DaylightKeys, FieldsOutsideTheirRangesAreRefused) {
    SwitchMoment m;
    for (const char* refused : {"0/3-2:0", "32/3-2:0", "28/0-2:0", "28/13-2:0", "28/3--1:0", "28/3-24:0", "28/3-2:60",
                                "28/3-2:-1", "31/4-2:0", "30/2-2:0"})
        EXPECT_FALSE(parseSummerStart(refused, 2026, m)) << refused;
    EXPECT_TRUE(parseSummerStart("31/12-23:59", 2026, m));
    // 29 February exists only in leap years.
    EXPECT_FALSE(parseSummerEnd("29.2.3.0", 2026, m));
    EXPECT_TRUE(parseSummerEnd("29.2.3.0", 2028, m));
}

TEST(DaylightKeys, SwitchIsOnWhenTheTextContainsOn) {
    EXPECT_TRUE(daylightSwitchOn("ON"));
    EXPECT_TRUE(daylightSwitchOn("on"));
    EXPECT_TRUE(daylightSwitchOn("Si, ON"));
    EXPECT_FALSE(daylightSwitchOn("off"));
    EXPECT_FALSE(daylightSwitchOn("O"));
    EXPECT_FALSE(daylightSwitchOn(""));
}

TEST(DaylightRecord, BytesInPlaceWithTheirCrc) {
    SwitchMoment start{28, 3, 2, 0}, end{31, 10, 3, 0};
    DaylightRecord r;
    r.active = true;
    r.start = terminalTimeOf(start, 2026);
    r.end = terminalTimeOf(end, 2026);
    std::uint8_t b[DaylightRecord::kSize];
    r.encode(b);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[1], 0);
    std::uint32_t startSeconds = b[2] | (b[3] << 8) | (b[4] << 16) | (static_cast<std::uint32_t>(b[5]) << 24);
    EXPECT_EQ(startSeconds, r.start.seconds());
    EXPECT_EQ(b[10] | (b[11] << 8), fnd::crc16(b, 10));

    CalendarRecord c = r.start.toCalendar();
    EXPECT_EQ(c.fullYear(), 2026);
    EXPECT_EQ(c.month, 3);
    EXPECT_EQ(c.day, 28);
    EXPECT_EQ(c.hour, 2);
    EXPECT_EQ(c.second, 0);

    DaylightRecord back = DaylightRecord::decode(b);
    EXPECT_TRUE(back.active);
    EXPECT_EQ(back.end.seconds(), r.end.seconds());
    r.active = false;
    r.encode(b);
    EXPECT_FALSE(DaylightRecord::decode(b).active);
}
