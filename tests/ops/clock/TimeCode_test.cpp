// The time service's lines: which are time codes, what they say, and how a
// call's ten lines set the PC clock.
#include "ScriptedLine.h"
#include "TimeCodeReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class Reading : public ::testing::Test {
protected:
    fnd::LocalTime pcAt(int year, int month, int day, int hour, int minute, int second) {
        fnd::LocalTime t;
        t.year = year, t.month = month, t.day = day, t.hour = hour, t.minute = minute, t.second = second;
        t.millisecond = 480;
        return t;
    }
    TimeCodeReader::Outcome read(const std::string& bytes) {
        link = std::make_unique<ScriptedLine>(bytes);
        link->setTerminator(zCommDev::kEOT);
        TimeCodeReader::PcClock clock;
        clock.now = [this] { return pc; };
        clock.set = [this](const fnd::LocalTime& t) {
            set.push_back(t);
            return 0;
        };
        return TimeCodeReader(*link, log, clock).read();
    }

    std::string logPath = std::filesystem::temp_directory_path() / ("timecode_" + std::to_string(getpid()) + ".log");
    zLogger log{zString(logPath.c_str())};
    std::unique_ptr<ScriptedLine> link;
    fnd::LocalTime pc;
    std::vector<fnd::LocalTime> set;

    void TearDown() override { std::filesystem::remove(logPath); }
};

}  // namespace

TEST(TimeCodeLine, PositionsOfTheFields) {
    TimeCode c;
    ASSERT_TRUE(TimeCode::parse(codeLine(2026, 12, 7, 16, 5, 9, 1), c));
    EXPECT_EQ(c.year, 2026);
    EXPECT_EQ(c.month, 12);
    EXPECT_EQ(c.day, 7);
    EXPECT_EQ(c.hour, 16);
    EXPECT_EQ(c.minute, 5);
    EXPECT_EQ(c.second, 9);
    EXPECT_EQ(c.weekday, 1);
    // The hour is read at 45, not beside the minutes.
    std::string line = codeLine(2026, 12, 7, 16, 5, 9);
    line.replace(45, 2, "03");
    ASSERT_TRUE(TimeCode::parse(line, c));
    EXPECT_EQ(c.hour, 3);
    // Sunday, sent as 7, is weekday 0 of the PC clock.
    ASSERT_TRUE(TimeCode::parse(codeLine(2026, 12, 6, 1, 2, 3, 7), c));
    EXPECT_EQ(c.asLocalTime().weekday, 0);
    EXPECT_EQ(c.asLocalTime().millisecond, 0);
}

TEST(TimeCodeLine, OtherLinesAreNoTimeCodes) {
    TimeCode c;
    std::string good = codeLine(2026, 12, 7, 16, 5, 9);
    EXPECT_FALSE(TimeCode::parse(good.substr(1), c));        // 79 characters
    EXPECT_FALSE(TimeCode::parse(" " + good, c));             // 81
    EXPECT_FALSE(TimeCode::parse(good.substr(0, 79) + "x", c));  // no line feed
    std::string noMark = good;
    noMark[77] = ' ';
    EXPECT_FALSE(TimeCode::parse(noMark, c));
    EXPECT_FALSE(TimeCode::parse(codeLine(2026, 13, 7, 16, 5, 9), c));
    EXPECT_FALSE(TimeCode::parse(codeLine(2026, 2, 30, 16, 5, 9), c));
    EXPECT_FALSE(TimeCode::parse(codeLine(2026, 12, 7, 24, 5, 9), c));
    EXPECT_FALSE(TimeCode::parse(codeLine(2026, 12, 7, 16, 60, 9), c));
    std::string garbage(79, 'x');
    garbage[77] = '*';
    EXPECT_FALSE(TimeCode::parse(garbage + "\n", c));
    EXPECT_FALSE(TimeCode::parse("", c));
}

TEST(TimeCodeLine, DifferenceIsPcMinusServiceOverTheFullDateAndTime) {
    auto pcAt = [](int year, int month, int day, int hour, int minute, int second) {
        fnd::LocalTime t;
        t.year = year, t.month = month, t.day = day, t.hour = hour, t.minute = minute, t.second = second;
        return t;
    };
    auto code = [](int year, int month, int day, int hour, int minute, int second) {
        TimeCode c;
        EXPECT_TRUE(TimeCode::parse(codeLine(year, month, day, hour, minute, second), c));
        return c;
    };
    EXPECT_EQ(code(2026, 12, 7, 10, 0, 0).differenceFrom(pcAt(2026, 12, 7, 9, 59, 55)), -5);
    EXPECT_EQ(code(2026, 12, 7, 10, 0, 0).differenceFrom(pcAt(2026, 12, 8, 10, 1, 1)), 86400 + 61);
    // An hour behind across midnight, the turn of a year and a leap day.
    EXPECT_EQ(code(2026, 12, 8, 0, 30, 0).differenceFrom(pcAt(2026, 12, 7, 23, 30, 0)), -3600);
    EXPECT_EQ(code(2027, 1, 1, 0, 0, 10).differenceFrom(pcAt(2026, 12, 31, 23, 59, 50)), -20);
    EXPECT_EQ(code(2028, 3, 1, 0, 0, 0).differenceFrom(pcAt(2028, 2, 29, 0, 0, 0)), -86400);
    EXPECT_EQ(code(2027, 3, 1, 0, 0, 0).differenceFrom(pcAt(2027, 2, 28, 0, 0, 0)), -86400);
    // A PC clock decades off does not overflow the figure.
    EXPECT_EQ(code(2090, 1, 1, 0, 0, 0).differenceFrom(pcAt(1990, 1, 1, 0, 0, 0)), -3155760000LL);
}

TEST_F(Reading, RightClockIsNotSetAndTheFirstLineIsDiscarded) {
    pc = pcAt(2026, 12, 7, 10, 0, 0);
    std::string lines = codeLine(2000, 1, 1, 0, 0, 0);  // cut short by the purge: never used
    for (int i = 0; i < 12; ++i) lines += codeLine(2026, 12, 7, 10, 0, 0);
    auto outcome = read(lines);
    EXPECT_EQ(outcome.timeCodes, 10);
    EXPECT_EQ(outcome.difference, 0);
    EXPECT_TRUE(set.empty());
    EXPECT_EQ(link->bytesRead, 11 * 80);  // the eleventh line is left unread
    EXPECT_EQ(link->purged, Purge::Both);
    EXPECT_EQ(link->terminator(), zCommDev::kEOT);
}

TEST_F(Reading, WrongClockIsSetAndTheLargestDifferenceKept) {
    pc = pcAt(2026, 12, 7, 10, 0, 5);
    std::string lines = "discarded\n" + codeLine(2026, 12, 7, 10, 0, 0) + codeLine(2026, 12, 7, 10, 0, 12) +
                        codeLine(2026, 12, 7, 10, 0, 12) + codeLine(2026, 12, 7, 9, 59, 58);
    auto outcome = read(lines);
    EXPECT_EQ(outcome.timeCodes, 4);
    // +5, -7, -7 (a tie keeps the first), +7 (a tie again).
    EXPECT_EQ(outcome.difference, -7);
    ASSERT_EQ(set.size(), 4u);
    EXPECT_EQ(set[1].second, 12);
    EXPECT_EQ(set[3].hour, 9);
    EXPECT_EQ(set[3].millisecond, 0);
}

TEST_F(Reading, OtherDateIsSetEvenAtTheSameTimeOfDay) {
    pc = pcAt(2026, 12, 8, 10, 0, 0);
    auto outcome = read("x\n" + codeLine(2026, 12, 7, 10, 0, 0));
    EXPECT_EQ(outcome.timeCodes, 1);
    EXPECT_EQ(outcome.difference, 86400);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].day, 7);
}

TEST_F(Reading, LinesThatAreNoTimeCodesAreLoggedAndIgnored) {
    pc = pcAt(2026, 12, 7, 10, 0, 0);
    std::string shortLine = codeLine(2026, 12, 7, 10, 0, 1).substr(1);
    std::string noMark = codeLine(2026, 12, 7, 10, 0, 1);
    noMark[77] = '#';
    auto outcome = read("x\nCONNECT 1200\r\n" + shortLine + noMark + "forged\rE 10:00:00 fake\x05\r\n" +
                        std::string(5000, 'A'));
    EXPECT_EQ(outcome.timeCodes, 0);
    EXPECT_TRUE(set.empty());
    std::string logged;
    {
        std::FILE* f = std::fopen(logPath.c_str(), "r");
        ASSERT_NE(f, nullptr);
        char buf[512];
        while (std::fgets(buf, sizeof buf, f)) logged += buf;
        std::fclose(f);
    }
    EXPECT_NE(logged.find("CONNECT 1200\n"), std::string::npos);
    // What the far end sent inside a line is escaped; its line end is dropped.
    EXPECT_NE(logged.find("forged\\rE 10:00:00 fake\\x05\n"), std::string::npos) << logged;
    EXPECT_EQ(logged.find('\r'), std::string::npos);
    EXPECT_NE(logged.find(noMark.substr(0, 78)), std::string::npos);
}
