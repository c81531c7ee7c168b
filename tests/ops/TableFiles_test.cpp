#include "TableFiles.h"

#include "LittleEndian.h"
#include "crc16.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TableLine cause(const std::string& line, CauseEntry& entry, LineFault& fault) { return parseCauseLine(line, entry, fault); }
TableLine alarm(const std::string& line, AlarmEntry& entry, LineFault& fault) { return parseAlarmLine(line, entry, fault); }

}  // namespace

TEST(CauseLine, CodeFromTheFirstTwoCharactersAndTheDescriptionAfterThem) {
    CauseEntry e;
    LineFault f;
    ASSERT_EQ(cause("01Malattia\r\n", e, f), TableLine::Entry);
    EXPECT_EQ(e.code, 1);
    EXPECT_STREQ(e.description, "Malattia");

    ASSERT_EQ(cause("5 Ferie  \n", e, f), TableLine::Entry);
    EXPECT_EQ(e.code, 5);
    EXPECT_STREQ(e.description, "Ferie");

    ASSERT_EQ(cause(" 7 Permesso", e, f), TableLine::Entry);
    EXPECT_EQ(e.code, 7);
    EXPECT_STREQ(e.description, " Permesso");

    ASSERT_EQ(cause("99Trasferta all'estero lunga", e, f), TableLine::Entry);
    EXPECT_EQ(e.code, 99);
    EXPECT_STREQ(e.description, "Trasferta all'estero");
}

TEST(CauseLine, BlankAndCommentLinesCarryNothing) {
    CauseEntry e;
    LineFault f;
    EXPECT_EQ(cause("", e, f), TableLine::Nothing);
    EXPECT_EQ(cause("   \t\r\n", e, f), TableLine::Nothing);
    EXPECT_EQ(cause("# 01Malattia", e, f), TableLine::Nothing);
    EXPECT_EQ(cause("  #commento", e, f), TableLine::Nothing);
}

TEST(CauseLine, MalformedLinesSayWhichFieldIsWrong) {
    CauseEntry e;
    LineFault f;
    EXPECT_EQ(cause("AXFerie", e, f), TableLine::Bad);
    EXPECT_STREQ(f.field, "Cod. giustificativo");
    EXPECT_EQ(f.value, "AX");
    EXPECT_EQ(cause("1x Ferie", e, f), TableLine::Bad);
    EXPECT_EQ(cause("-1Ferie", e, f), TableLine::Bad);
    EXPECT_EQ(cause("07", e, f), TableLine::Bad);
    EXPECT_STREQ(f.field, "Descrizione");
    EXPECT_EQ(cause("07   \r\n", e, f), TableLine::Bad);
    EXPECT_EQ(cause("0", e, f), TableLine::Bad);
    EXPECT_EQ(cause("01" + std::string(130, 'x'), e, f), TableLine::Bad);
    EXPECT_STREQ(f.field, "Riga");
    EXPECT_EQ(f.value, "> 131");
    // 131 characters and a line end are still a line.
    EXPECT_EQ(cause("01" + std::string(129, 'x') + "\r\n", e, f), TableLine::Entry);
}

TEST(CauseLine, RecordIsTheDescriptionZeroFilled) {
    CauseEntry e;
    LineFault f;
    ASSERT_EQ(cause("03" + std::string(25, 'D'), e, f), TableLine::Entry);
    std::uint8_t record[CauseEntry::kRecordSize];
    std::memset(record, 0xEE, sizeof record);
    e.encode(record);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(record[i], 'D');
    EXPECT_EQ(record[20], 0);

    ASSERT_EQ(cause("04Ok", e, f), TableLine::Entry);
    e.encode(record);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record)), "Ok");
    for (int i = 2; i < CauseEntry::kRecordSize; ++i) EXPECT_EQ(record[i], 0);
}

TEST(AlarmLine, NumberStartDurationAndDays) {
    AlarmEntry e;
    LineFault f;
    ASSERT_EQ(alarm("3,07:30,10,SI,SI,SI,SI,SI,NO,NO\n", e, f), TableLine::Entry);
    EXPECT_EQ(e.number, 3);
    EXPECT_EQ(e.record.startTime, 27000u);
    EXPECT_EQ(e.record.days, 0x1F);
    EXPECT_EQ(e.record.duration, 10);

    // Missing days are off; blanks around parts are allowed; "SI" anywhere in a part counts.
    ASSERT_EQ(alarm(" 12 , 7:05 , 65535 ,NO, SI ", e, f), TableLine::Entry);
    EXPECT_EQ(e.number, 12);
    EXPECT_EQ(e.record.startTime, 7u * 3600 + 5 * 60);
    EXPECT_EQ(e.record.days, 0x02);
    EXPECT_EQ(e.record.duration, 65535);

    ASSERT_EQ(alarm("0,23:59,0", e, f), TableLine::Entry);
    EXPECT_EQ(e.record.startTime, 86340u);
    EXPECT_EQ(e.record.days, 0);

    ASSERT_EQ(alarm("1,00:00,1,,,,,,,SI", e, f), TableLine::Entry);
    EXPECT_EQ(e.record.days, 0x40);
    ASSERT_EQ(alarm("1,00:00,1,si,Si,SI", e, f), TableLine::Entry);
    EXPECT_EQ(e.record.days, 0x04);
}

TEST(AlarmLine, MalformedLinesSayWhichFieldIsWrong) {
    struct Case {
        const char* line;
        const char* field;
        const char* value;
    } cases[] = {
        {"3,25:61,10", "Ora", "25:61"},
        {"3,24:00,10", "Ora", "24:00"},
        {"3,12:60,10", "Ora", "12:60"},
        {"3,0730,10", "Ora", "0730"},
        {"3,07:300,10", "Ora", "07:300"},
        {"3,:30,10", "Ora", ":30"},
        {"x,07:30,10", "Num. alarm", "x"},
        {"-3,07:30,10", "Num. alarm", "-3"},
        {",07:30,10", "Num. alarm", ""},
        {"3,07:30,dieci", "Durata", "dieci"},
        {"3,07:30,65536", "Durata", "65536"},
        {"3,07:30,", "Durata", ""},
        {"3,07:30", "Campi", "2 < 3"},
        {"3", "Campi", "1 < 3"},
        {"3,07:30,10,SI,SI,SI,SI,SI,SI,SI,SI", "Giorni", "> 7"},
    };
    for (const Case& c : cases) {
        AlarmEntry e;
        LineFault f;
        EXPECT_EQ(alarm(c.line, e, f), TableLine::Bad) << c.line;
        EXPECT_STREQ(f.field, c.field) << c.line;
        EXPECT_EQ(f.value, c.value) << c.line;
    }
    AlarmEntry e;
    LineFault f;
    EXPECT_EQ(alarm("#3,07:30,10", e, f), TableLine::Nothing);
    EXPECT_EQ(alarm("1,00:00,1," + std::string(130, 'N'), e, f), TableLine::Bad);
    EXPECT_STREQ(f.field, "Riga");
}

TEST(AlarmRecordBytes, EncodedWithTheCrcOfItsFirstSevenBytes) {
    AlarmRecord a;
    a.startTime = 27000;
    a.days = 0x1F;
    a.duration = 10;
    a.lastActivation = 13500;
    std::uint8_t b[AlarmRecord::kSize];
    a.encode(b);
    const std::uint8_t head[] = {0x78, 0x69, 0x00, 0x00, 0x1F, 0x0A, 0x00};
    EXPECT_EQ(std::memcmp(b, head, sizeof head), 0);
    EXPECT_EQ(getLe16(b + 7), fnd::crc16(head, sizeof head));
    EXPECT_EQ(getLe32(b + 9), 13500u);

    AlarmRecord back = AlarmRecord::decode(b);
    EXPECT_EQ(back.startTime, 27000u);
    EXPECT_EQ(back.days, 0x1F);
    EXPECT_EQ(back.duration, 10);
    EXPECT_EQ(back.crc, fnd::crc16(head, sizeof head));
    EXPECT_EQ(back.lastActivation, 13500u);
}

TEST(AlarmRecordBytes, LastActivationIsTodayOnlyOnceTheStartHasPassed) {
    const std::uint32_t day = 13000;
    const std::uint32_t morning = day * 86400 + 7 * 3600;  // 07:00
    EXPECT_EQ(AlarmRecord::lastActivationAt(27000, morning), 0u);
    EXPECT_EQ(AlarmRecord::lastActivationAt(27000, morning + 1800), 0u);  // exactly 07:30
    EXPECT_EQ(AlarmRecord::lastActivationAt(27000, morning + 1801), day);
    EXPECT_EQ(AlarmRecord::lastActivationAt(0, day * 86400 + 1), day);
    EXPECT_EQ(AlarmRecord::lastActivationAt(86340, day * 86400 + 86399), day);
}
