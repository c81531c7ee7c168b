#include "LineRecord.h"


#include <gtest/gtest.h>

namespace {

LineContext context(TerminalModel model, int causeMode) {
    LineContext c;
    c.model = model;
    c.causeMode = causeMode;
    c.terminalNumber = 12;
    c.month = 12;
    c.day = 31;
    c.year = 2026;
    return c;
}

CalendarRecord when(const TransactionRecord& r) { return r.time.toCalendar(); }

}  // namespace

TEST(LineRecord, AccessRecordWithDefaultBadgeLayoutAndFileDate) {
    // HHMM, direction, then the badge from position 4: company "07", "000", employee "123456".
    TransactionRecord r = lineToRecord("0830107000123456", context(TerminalModel::VornT3, 0));
    EXPECT_EQ(r.kind(), TransactionKind::Access);
    EXPECT_TRUE(r.isIn());
    EXPECT_EQ(r.company, 7);
    EXPECT_EQ(r.employee, 123456u);
    EXPECT_EQ(r.terminal, 12);
    EXPECT_EQ(r.cause, 0);
    CalendarRecord c = when(r);
    EXPECT_EQ(c.fullYear(), 2026);
    EXPECT_EQ(c.month, 12);
    EXPECT_EQ(c.day, 31);
    EXPECT_EQ(c.hour, 8);
    EXPECT_EQ(c.minute, 30);
    EXPECT_EQ(c.second, 0);

    EXPECT_FALSE(lineToRecord("0830007000123456", context(TerminalModel::VornT3, 0)).isIn());
    EXPECT_FALSE(lineToRecord("0830x07000123456", context(TerminalModel::VornT2, 0)).isIn());
}

TEST(LineRecord, CauseModesOfModelSevenMoveTheBadgeAndSetKind) {
    TransactionRecord one = lineToRecord("0830507000123456", context(TerminalModel::VornT3, 1));
    EXPECT_EQ(one.flags, 0x04);  // IN, kind N, whatever character 4 says
    EXPECT_EQ(one.kind(), TransactionKind::Normal);
    EXPECT_EQ(one.cause, 5);
    EXPECT_EQ(one.employee, 123456u);

    TransactionRecord two = lineToRecord("08301307000123456", context(TerminalModel::VornT3, 2));
    EXPECT_EQ(two.kind(), TransactionKind::Access);
    EXPECT_TRUE(two.isIn());
    EXPECT_EQ(two.cause, 3);
    EXPECT_EQ(two.company, 7);
    EXPECT_EQ(two.employee, 123456u);

    TransactionRecord three = lineToRecord("083014207000123456", context(TerminalModel::VornT3, 3));
    EXPECT_EQ(three.cause, 42);
    EXPECT_EQ(three.employee, 123456u);

    // Model 6 knows no causes: parameter 23 changes nothing.
    TransactionRecord six = lineToRecord("0830107000123456", context(TerminalModel::VornT2, 1));
    EXPECT_EQ(six.kind(), TransactionKind::Access);
    EXPECT_EQ(six.cause, 0);
}

TEST(LineRecord, BadgeLayoutPositionsAndFixedTexts) {
    LineContext c = context(TerminalModel::VornT3, 0);
    c.badge.company = {2, 3, ""};
    c.badge.employee = {6, 4, ""};
    // first start 2: company at badge start, employee 4 further.
    TransactionRecord r = lineToRecord("0830112349876", c);
    EXPECT_EQ(r.company, 123);
    EXPECT_EQ(r.employee, 9876u);

    c.badge.company = {0, 0, "42"};
    r = lineToRecord("08301987654", c);
    EXPECT_EQ(r.company, 42);
    EXPECT_EQ(r.employee, 9876u);
}

TEST(LineRecord, CheckIsTheCrcOfTheRecordBytes) {
    TransactionRecord r = lineToRecord("2359107000654321", context(TerminalModel::VornT3, 2));
    std::uint8_t bytes[TransactionRecord::kSize];
    TransactionRecord copy = r;
    copy.encodeWithCheck(bytes);
    EXPECT_TRUE(TransactionRecord::checkMatches(bytes));
    EXPECT_EQ(TransactionRecord::decode(bytes).check, r.check);
    EXPECT_EQ(TransactionRecord::decode(bytes).employee, r.employee);
}

TEST(LineRecord, ShortAndGarbledLinesGiveZerosNotCrashes) {
    for (const char* line : {"", "0", "08", "0830", "08301", "zz:zz!@#$%^&*()", "\x04", "99999999999999999999999999"}) {
        TransactionRecord r = lineToRecord(line, context(TerminalModel::VornT3, 3));
        EXPECT_LE(r.company, 255);
    }
    EXPECT_EQ(lineToRecord("0830", context(TerminalModel::VornT3, 0)).employee, 0u);
    // An employee field far longer than any number saturates.
    LineContext c = context(TerminalModel::VornT3, 0);
    c.badge.employee = {4, 40, ""};
    EXPECT_EQ(lineToRecord("08301999999999999999999999999999999999999999", c).employee, 0xFFFFFFFFu);
}

TEST(LineRecord, ExpectedBadgeSpanFromTheLayout) {
    BadgeLayout layout;  // company 4/2, employee 9/6
    BadgeSpan span = expectedBadgeSpan(layout);
    EXPECT_EQ(span.first, 4);
    EXPECT_EQ(span.length, 11);

    layout.company = {10, 2, ""};
    layout.employee = {0, 6, ""};
    span = expectedBadgeSpan(layout);
    EXPECT_EQ(span.first, 0);
    EXPECT_EQ(span.length, 12);

    layout.company = {0, 0, "00"};
    layout.employee = {3, 5, ""};
    span = expectedBadgeSpan(layout);
    EXPECT_EQ(span.first, 3);
    EXPECT_EQ(span.length, 5);

    layout.employee.length = 0;
    EXPECT_EQ(expectedBadgeSpan(layout).first, 99);
}

TEST(ListingLine, HeaderFilesEndAndGarbage) {
    EXPECT_EQ(readListingLine("DIR").kind, ListingLine::Header);
    EXPECT_EQ(readListingLine(" DIR A:").kind, ListingLine::Header);
    ListingLine file = readListingLine("1231.PRE 12");
    EXPECT_EQ(file.kind, ListingLine::File);
    EXPECT_EQ(file.fileName, "1231.PRE");
    EXPECT_EQ(file.records, 12);
    EXPECT_EQ(readListingLine("\x04").kind, ListingLine::End);
    EXPECT_EQ(readListingLine("\x04 DIR").kind, ListingLine::End);
    EXPECT_EQ(readListingLine("1231.PRE").kind, ListingLine::Other);  // no blank
    EXPECT_EQ(readListingLine("1231.TXT 4").kind, ListingLine::Other);
    EXPECT_EQ(readListingLine("").kind, ListingLine::Other);
    EXPECT_EQ(readListingLine("0101.PRE 99999999999").records, 32767);
    EXPECT_EQ(readListingLine("0101.PRE -5").records, 0);
}
