// The terminal's test read: digit values turned into characters and the
// table of the fields as the terminal's format splits the badge.
#include "BadgeTestRead.h"
#include "BadgeTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

BadgeTestRead readOf(std::vector<std::uint8_t> digits, std::uint8_t flags = 0, std::uint8_t length = 0) {
    std::uint8_t record[BadgeTestRead::kSize] = {};
    record[0] = flags;
    record[1] = length;
    for (std::size_t i = 0; i < digits.size() && i < 40; ++i) record[2 + i] = digits[i];
    return BadgeTestRead::decode(record);
}

}  // namespace

TEST(BadgeTestRead, DigitValuesBecomeCharactersUntilFifteen) {
    EXPECT_STREQ(readOf({1, 2, 3, 15, 4, 5}).digits, "123");
    EXPECT_STREQ(readOf({9, 10, 11, 12, 13, 14, 0, 15}).digits, "9ABCDE0");
    EXPECT_STREQ(readOf({15, 1}).digits, "");
    // Forty digits and no end marker: all forty are shown.
    EXPECT_EQ(std::string(readOf(std::vector<std::uint8_t>(40, 7)).digits), std::string(40, '7'));
    // Values past 15 are no digit either and end the badge too.
    EXPECT_STREQ(readOf({4, 200, 5}).digits, "4");
}

TEST(BadgeTestRead, TableShowsEachFieldWhereTheTerminalsFormatPutsIt) {
    zLogger log("/dev/null");
    InfoOutput out(log);
    InfoLines shown;
    out.setSink(&shown);
    std::vector<std::uint8_t> badge = {0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 1, 2, 3, 4, 1, 2, 15};
    reportTestRead(out, "[Term 007]", CardFormat::builtIn(), LINE_FORMAT{}, readOf(badge, 0x1A, 17));
    std::vector<std::string> expected = {
        "=== [Term 007] Test lettura Badge ===",
        " Card Format Name: CALVIRONE MC",
        " flg=1A, len=17, data=01234567800123412\n",
        " Name       from len value     [default]",
        " ---------------------------------------",
        "            00   04  0123456780 [0]",
        "            04   02  4567800123 [0]",
        "            09   06  00123412   [0]",
        "            15   01  12         [0]",
        "            16   01  2          [0]",
    };
    EXPECT_EQ(shown.lines, expected);
}

TEST(BadgeTestRead, FieldNamesComeFromTheLayoutAndShortBadgesShowNothing) {
    zLogger log("/dev/null");
    InfoOutput out(log);
    InfoLines shown;
    out.setSink(&shown);
    LINE_FORMAT layout;
    layout.count = 2;
    std::strcpy(layout.fields[0].name, "PL");
    std::strcpy(layout.fields[1].name, "CO");
    CardFormat f = CardFormat::builtIn();
    f.fields[1].defaultValue = 42;
    reportTestRead(out, "[Term 007]", f, layout, readOf({1, 2, 3, 15}));
    EXPECT_EQ(shown.lines[2], " flg=0, len=0, data=123\n");
    EXPECT_EQ(shown.lines[5], " PL         00   04  123        [0]");
    EXPECT_EQ(shown.lines[6], " CO         04   02             [42]");
    EXPECT_EQ(shown.lines[7], "            09   06             [0]");
}
