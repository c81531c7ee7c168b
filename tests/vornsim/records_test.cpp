#include "Records.h"
#include "TerminalTime.h"

#include "crc16.h"

#include <gtest/gtest.h>

using namespace vornsim;

namespace {
std::uint16_t le16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8); }
std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
}  // namespace

TEST(TerminalTime, EpochLeapYearsAndRoundTrip) {
    EXPECT_EQ(toTerminalTime({1990, 1, 1, 0, 0, 0}), 86400u);
    EXPECT_EQ(fromTerminalTime(86400), (CalendarTime{1990, 1, 1, 0, 0, 0}));
    EXPECT_EQ(fromTerminalTime(86400 * 31), (CalendarTime{1990, 1, 31, 0, 0, 0}));
    EXPECT_EQ(fromTerminalTime(86400 * 32), (CalendarTime{1990, 2, 1, 0, 0, 0}));
    // 1990..2023 holds 34 years with 8 leap days; 29 February 2024 is 31 + 29 days into 2024.
    std::uint32_t leapDay = (34u * 365 + 8 + 31 + 29) * 86400 + 13 * 3600 + 14 * 60 + 15;
    EXPECT_EQ(toTerminalTime({2024, 2, 29, 13, 14, 15}), leapDay);
    EXPECT_EQ(fromTerminalTime(leapDay), (CalendarTime{2024, 2, 29, 13, 14, 15}));
    EXPECT_EQ(fromTerminalTime(toTerminalTime({2024, 12, 31, 23, 59, 59})), (CalendarTime{2024, 12, 31, 23, 59, 59}));
    EXPECT_EQ(fromTerminalTime(toTerminalTime({2100, 3, 1, 0, 0, 0})), (CalendarTime{2100, 3, 1, 0, 0, 0}));

    EXPECT_EQ(parseTerminalTime("2024-02-29 13:14:15"), leapDay);
    EXPECT_FALSE(parseTerminalTime("2023-02-29 00:00:00"));
    EXPECT_FALSE(parseTerminalTime("2024-02-28 24:00:00"));
    EXPECT_EQ(formatTerminalTime(leapDay), "2024-02-29 13:14:15");
    EXPECT_EQ(isoWeekday({2026, 12, 7, 0, 0, 0}), 1);  // a Monday
    EXPECT_EQ(isoWeekday({2026, 12, 13, 0, 0, 0}), 7);
}

TEST(Records, TransactionLayout) {
    Transaction t;
    t.company = 7;
    t.terminal = 12;
    t.employee = 0x01020304;
    t.time = 0xA1B2C3D4;
    t.flags = 0x84;
    t.cause = 0x33;
    t.job = 123456;
    t.workHigh = 2;
    Bytes b = encodeTransaction(t);
    ASSERT_EQ(b.size(), 19u);
    EXPECT_EQ(b[0], 7);
    EXPECT_EQ(b[1], 12);
    EXPECT_EQ((Bytes{b.begin() + 2, b.begin() + 6}), (Bytes{4, 3, 2, 1}));
    EXPECT_EQ(le32(b, 6), 0xA1B2C3D4u);
    EXPECT_EQ(b[10], 0x84);
    EXPECT_EQ(b[11], 0x33);
    EXPECT_EQ(le32(b, 12), 123456u);
    EXPECT_EQ(b[16], 2);
    EXPECT_EQ(le16(b, 17), fnd::crc16(b.data(), 17));

    t.check = 0xBEEF;  // a stored record with a wrong check is sent as stored
    EXPECT_EQ(le16(encodeTransaction(t), 17), 0xBEEF);
}

TEST(Records, JobAndExtendedLayouts) {
    JobRecord j;
    j.employee = 99;
    j.time = 86400;
    j.status = 33;
    j.data = "C123456 F12";
    j.offsets = {0, 8, 0, 0, 0, 0, 0};
    j.lengths = {7, 3, 0, 0, 0, 0, 0};
    Bytes b = encodeJob(j);
    ASSERT_EQ(b.size(), 61u);
    EXPECT_EQ(b[10], 33);
    EXPECT_EQ(std::string(b.begin() + 11, b.begin() + 22), "C123456 F12");
    EXPECT_EQ(b[22], 0);
    EXPECT_EQ(b[44], 8);
    EXPECT_EQ(b[51], 7);
    EXPECT_EQ(b[52], 3);
    EXPECT_EQ(le16(b, 59), fnd::crc16(b.data(), 59));

    ExtendedRecord e;
    e.terminal = 3;
    e.employee = 555;
    e.counter = 0x1234;
    e.code = 16;
    e.text = "ABCDEFGHIJ";
    e.value26 = -2;
    e.hundredths = -12345;
    e.value44 = -1;
    Bytes x = encodeExtended(e);
    ASSERT_EQ(x.size(), 46u);
    EXPECT_EQ(x[1], 3);
    EXPECT_EQ(le32(x, 2), 555u);
    EXPECT_EQ(le16(x, 6), 0x1234);
    EXPECT_EQ(x[13], 16);
    EXPECT_EQ(std::string(x.begin() + 18, x.begin() + 26), "ABCDEFGH") << "text is cut at 8 characters";
    EXPECT_EQ(le16(x, 26), 0xFFFE);
    EXPECT_EQ(static_cast<std::int32_t>(le32(x, 40)), -12345);
    EXPECT_EQ(le16(x, 44), 0xFFFF);
}

TEST(Records, EmployeeFormats) {
    Employee e;
    e.company = 5;
    e.number = 1234;
    e.name = "ROSSI MARIO LUIGI ANTONIO";
    e.texts[0] = "REPARTO 3";
    e.texts[7] = "ULTIMO";
    e.disabled = true;
    e.jo = 77;
    e.jc = 88;

    Bytes us = encodeEmployee(EmployeeFormat::US, e);
    ASSERT_EQ(us.size(), 12u);
    EXPECT_EQ(us[0], 5);
    EXPECT_EQ(us[5], 0x40);
    EXPECT_EQ(le32(us, 6), 1234u);
    EXPECT_EQ(le16(us, 10), fnd::crc16(us.data(), 10));

    Bytes um = encodeEmployee(EmployeeFormat::UM, e);
    ASSERT_EQ(um.size(), 28u);
    EXPECT_EQ(std::string(um.begin() + 10, um.begin() + 26), "ROSSI MARIO LUIG");
    EXPECT_EQ(le16(um, 26), fnd::crc16(um.data(), 26));

    Bytes em = encodeEmployee(EmployeeFormat::EM, e);
    ASSERT_EQ(em.size(), 280u);
    EXPECT_EQ(le32(em, 0), 1234u);
    EXPECT_EQ(em[4], 5);
    EXPECT_EQ(em[6], 0x40);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&em[7])), "ROSSI MARIO LUIGI AN") << "20 characters and NUL";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&em[28])), "REPARTO 3");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&em[28 + 7 * 21])), "ULTIMO");
    EXPECT_EQ(le16(em, 212), fnd::crc16(em.data(), 212));
    EXPECT_EQ(le32(em, 270), 77u);
    EXPECT_EQ(le32(em, 274), 88u);
    EXPECT_EQ(le16(em, 278), fnd::crc16(em.data(), 278));

    std::string why;
    for (auto f : {EmployeeFormat::US, EmployeeFormat::UM, EmployeeFormat::EM}) {
        Bytes rec = encodeEmployee(f, e);
        auto back = decodeEmployee(f, rec, why);
        ASSERT_TRUE(back) << why;
        EXPECT_EQ(back->number, 1234u);
        EXPECT_TRUE(back->disabled);
        rec[6] ^= 1;
        EXPECT_FALSE(decodeEmployee(f, rec, why)) << formatName(f) << " with a damaged byte";
    }
    // In EM the second check covers JO and JC as well.
    em[271] ^= 1;
    EXPECT_FALSE(decodeEmployee(EmployeeFormat::EM, em, why));
    EXPECT_FALSE(decodeEmployee(EmployeeFormat::US, Bytes(11, 0), why));
}

TEST(Records, VersionDaylightStatusAndMemoryParameters) {
    VersionInfo v;
    v.programmer = "PROG";
    v.version = "V1234567890XYZ";
    v.rec = 8000;
    Bytes b = encodeVersion(v, 17, 3);
    ASSERT_EQ(b.size(), 70u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[0])), "PROG");
    EXPECT_EQ(std::string(b.begin() + 46, b.begin() + 56), "V123456789");
    EXPECT_EQ(le16(b, 56), 17);
    EXPECT_EQ(le16(b, 58), 8000);
    EXPECT_EQ(le16(b, 62), 3);
    EXPECT_EQ(le16(b, 68), fnd::crc16(b.data(), 68));

    DaylightSaving d{1, 1000000, 2000000};
    Bytes dl = encodeDaylight(d);
    ASSERT_EQ(dl.size(), 12u);
    EXPECT_EQ(le16(dl, 0), 1);
    EXPECT_EQ(le32(dl, 2), 1000000u);
    EXPECT_EQ(le32(dl, 6), 2000000u);
    EXPECT_EQ(le16(dl, 10), fnd::crc16(dl.data(), 10));
    std::string why;
    EXPECT_TRUE(decodeDaylight(dl, why));
    dl[3] ^= 1;
    EXPECT_FALSE(decodeDaylight(dl, why));

    Bytes s = encodeStatusRecord("BIANCHI ANNA", 4321, 2, 0x24, 86400);
    ASSERT_EQ(s.size(), 34u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&s[0])), "BIANCHI ANNA");
    EXPECT_EQ(le32(s, 21), 4321u);
    EXPECT_EQ(s[25], 2);
    EXPECT_EQ(le16(s, 26), 0x24);
    EXPECT_EQ(le32(s, 28), 86400u);

    Bytes mp = encodeMemoryParameters(9, EmployeeFormat::UM);
    ASSERT_EQ(mp.size(), 30u);
    EXPECT_EQ(le16(mp, 0), 9);
    EXPECT_EQ(mp[24], 2);
    EXPECT_EQ(encodeMemoryParameters(0, EmployeeFormat::US)[24], 0);
    EXPECT_EQ(encodeMemoryParameters(0, EmployeeFormat::EM)[24], 1);
}
