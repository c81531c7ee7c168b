#include "BuiltinLines.h"
#include "LayoutLines.h"
#include "WriterTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TransactionRecord punch(int flags, std::uint32_t employee = 12345, int cause = 7) {
    auto b = transactionBytes(1, 3, employee, terminalSeconds(2008, 12, 31, 17, 45, 30), flags, cause);
    return TransactionRecord::decode(b.data());
}

// A layout read from the given [Timbrature] lines, and the terminal's own
// constant fields from [Terminal 1].
struct Layout {
    ScratchDir dir;
    CapturedLog log{dir};
    LINE_FORMAT layout;
    PRIVATE_FORMAT_C own;
    LineBuffer line;

    explicit Layout(std::vector<std::string> lines) {
        MemoryParameters parameters(std::move(lines));
        loadLayout(parameters, "[Timbrature]", layout, log.logger());
        own.load(parameters, "[Terminal 1]", log.logger());
    }
    std::string of(const TransactionRecord& r) {
        composeLayoutLine(layout, r, own, line);
        return std::string(line.view());
    }
    std::string of(const JobRecord& r) {
        composeLayoutLine(layout, r, own, line);
        return std::string(line.view());
    }
};

JobRecord jobRecord(int status) {
    JobRecord r;
    r.company = 2;
    r.terminal = 14;
    r.employee = 4711;
    r.time = TerminalTime(terminalSeconds(2009, 1, 2, 8, 5));
    r.status = static_cast<std::uint8_t>(status);
    std::memcpy(r.jobData, "ORDER42 PHASE3", 14);
    return r;
}

}  // namespace

TEST(BuiltinLines, PunchLinesByteForByte) {
    LineBuffer line;
    composePunchLine(punch(0x04), line);
    EXPECT_EQ(line.view(), "01 012345 31/12/08 17:45 I 0003 07 N\n");
    composePunchLine(punch(0x60, 3000000000u, 123), line);
    EXPECT_EQ(line.view(), "01 3000000000 31/12/08 17:45 U 0003 123 M\n");
    composePunchLine(punch(0xA4), line);
    EXPECT_EQ(line.view(), "01 012345 31/12/08 17:45 I 0003 07 N\n");
    composePunchLine(punch(0x20), line);
    EXPECT_EQ(line.view().substr(line.length() - 5), "07 A\n");
}

TEST(BuiltinLines, JobPunchShowsJobWorkDirectionAndKind) {
    auto b = transactionBytes(1, 3, 12345, terminalSeconds(2008, 12, 31, 17, 45), 0x84, 0x10, 987654, 0x01);
    LineBuffer line;
    composeJobPunchLine(TransactionRecord::decode(b.data()), line);
    EXPECT_EQ(line.view(), "01 012345 31/12/08 17:45 0003 00987654 0272 I C\n");
}

TEST(BuiltinLines, JobRecordDataInThirtyTwoColumnsAndStatusLetters) {
    LineBuffer line;
    composeJobRecordLine(jobRecord(36), line);
    EXPECT_EQ(line.view(), "02 004711 02/01/09 08:05 0014 ORDER42 PHASE3" + std::string(18, ' ') + " R F\n");
    JobRecord full = jobRecord(5);
    std::memset(full.jobData, 'Z', sizeof full.jobData);  // no terminator: 32 characters, not more
    composeJobRecordLine(full, line);
    EXPECT_EQ(line.view(), "02 004711 02/01/09 08:05 0014 " + std::string(32, 'Z') + " ? ?\n");
}

TEST(BuiltinLines, ExtendedRecordByteForByte) {
    std::uint8_t b[ExtendedRecord::kSize] = {};
    b[1] = 7;
    put32(b + 2, 123456);
    put16(b + 6, 12345);  // 4 digits: the higher one is dropped
    put32(b + 8, terminalSeconds(2024, 3, 5, 9, 7));
    b[12] = 42;
    b[13] = 3;
    std::memcpy(b + 18, "AB", 2);
    put16(b + 26, static_cast<std::uint16_t>(-45));
    put16(b + 28, 9);
    put32(b + 30, terminalSeconds(2024, 12, 31, 23, 59));
    put16(b + 34, 1234);
    put32(b + 36, static_cast<std::uint32_t>(-123456789));
    put32(b + 40, 12345);
    put16(b + 44, static_cast<std::uint16_t>(-1));
    ExtendedRecord r = ExtendedRecord::decode(b);
    LineBuffer line;
    composeExtendedLine(r, line);
    EXPECT_EQ(line.view(),
              "2345"
              "07"
              "000123456"
              "05/03/20240907"
              "0042"
              "PM"
              "AB"
              "-0000045"
              "PM"
              "0009"
              "31/12/20242359"
              "00001234"
              "-0000001"
              "-3456789"
              "00123,45\n");

    r.code = 16;
    std::memcpy(r.text, "12345678", 8);  // all eight, no terminator
    r.hundredths40 = -12345;
    composeExtendedLine(r, line);
    EXPECT_NE(line.view().find("RI12345678-0000045  0009"), std::string_view::npos) << line.text();
    EXPECT_EQ(line.view().substr(line.length() - 9), "-0123,45\n");

    // Less than one unit keeps its sign.
    r.hundredths40 = -5;
    composeExtendedLine(r, line);
    EXPECT_EQ(line.view().substr(line.length() - 9), "-0000,05\n");
}

TEST(LayoutLines, NumbersDatesAndSeparator) {
    Layout l({"[Timbrature]", "FORMAT=F1,F2", "F1=MATRICOLA,LEN=8", "F2=DATE,FMT=DD.MM.YYYY", "FLDSEP=';'"});
    EXPECT_EQ(l.of(punch(0, 12345)), "00012345;31.12.2008;\n");

    Layout cut({"[Timbrature]", "FORMAT=E,C,T,K", "E=MATRICOLA,LEN=4", "C=COMPANY", "T=TERMINAL,LE=3",
                "K=CAUSE,LE=30"});
    EXPECT_EQ(cut.of(punch(0, 123456)), "345601003" + std::string(23, '0') + "7\n");
}

TEST(LayoutLines, DateAndTimeFormats) {
    Layout l({"[Timbrature]", "FORMAT=A,B,C,D,E", "A=DATE", "B=DATE,FM=YY-MM-DD", "C=TIME", "D=TIME,FM=HH.MM.SS",
              "E=DATE,FMT=D/M/YYY", "FLDSEP=' '"});
    EXPECT_EQ(l.of(punch(0)), "08/12/31 08-12-31 17:45: 17.45.30 1/2/008 \n");
}

TEST(LayoutLines, EventModeAndReplacementTexts) {
    Layout l({"[Timbrature]", "FORMAT=V,M", "V=EVENT,VA=('E' 'U')", "M=MODE,VA=('n' 'a' '' 'm')", "FLDSEP='|'"});
    EXPECT_EQ(l.of(punch(0x04)), "E|n|\n");
    EXPECT_EQ(l.of(punch(0x20)), "U|a|\n");
    EXPECT_EQ(l.of(punch(0x40)), "U|P|\n");
    EXPECT_EQ(l.of(punch(0x64)), "E|m|\n");
    EXPECT_EQ(l.of(punch(0x80)), "U|C|\n");
    EXPECT_EQ(l.of(punch(0xA0)), "U|?|\n");

    Layout plain({"[Timbrature]", "FORMAT=V", "V=EVENT"});
    EXPECT_EQ(plain.of(punch(0x04)), "I\n");
    EXPECT_EQ(plain.of(punch(0x00)), "U\n");
}

TEST(LayoutLines, JobAndWorkInDecimalOrHex) {
    auto b = transactionBytes(1, 3, 12345, 86400, 0x80, 0x34, 0xABCDE, 0x12);
    TransactionRecord r = TransactionRecord::decode(b.data());
    Layout l({"[Timbrature]", "FORMAT=J,W,H,X", "J=JOB,LEN=8", "W=WORK,LE=5", "H=JOB,FM=HEX,LE=8", "X=WORK,FM=HEX",
              "FLDSEP=','"});
    EXPECT_EQ(l.of(r), "00703710,04660,000ABCDE,1234,\n");
}

TEST(LayoutLines, ConstantFieldsPreferTheTerminalsOwn) {
    Layout l({"[Timbrature]", "FORMAT=TFLD1,TFLD2,TFLD3,X,Y,Z,DUMMY", "TFLD1=Layout,LE=4", "TFLD2=DUMMY,LE=3",
              "TFLD3=Fallback", "X=MATRI,DF=const", "Y=CO_X,LE=2", "Z=ZZ", "DUMMY=DUMMY,LE=3", "FLDSEP='|'",
              "[Terminal 1]", "TFLD1=Mine", "TFLD2=LE=4"});
    EXPECT_EQ(l.of(punch(0)), "Mine|    |Fallback|const|  |??|   |\n");
}

TEST(LayoutLines, JobRecordFields) {
    Layout l({"[Timbrature]", "FORMAT=D,S,W,C,M,E", "D=JDATA,FM=0", "S=JSTATUS,VA=('b' 'e' 'r')", "W=WSTATUS",
              "C=CAUSE", "M=MODE", "E=EVENT", "FLDSEP='|'"});
    const std::string data = "ORDER42 PHASE3" + std::string(18, ' ');
    // The status code doubles as a flags byte for EVENT and MODE; CAUSE is a constant here.
    EXPECT_EQ(l.of(jobRecord(36)), data + "|r|F|??|A|I|\n");
    EXPECT_EQ(l.of(jobRecord(48)), data + "|e|F|??|A|U|\n");
    EXPECT_EQ(l.of(jobRecord(66)), data + "|S|I|??|P|U|\n");
    EXPECT_EQ(l.of(jobRecord(164)), data + "|r|F|??|?|I|\n");
    EXPECT_EQ(l.of(jobRecord(7)), data + "|?|?|??|N|I|\n");

    Layout narrow({"[Timbrature]", "FORMAT=D", "D=JDATA,FM=0,LE=5"});
    EXPECT_EQ(narrow.of(jobRecord(3)), "ORDER\n");
}

TEST(LayoutLines, JobDataSubFieldsStayInsideTheData) {
    JobRecord r = jobRecord(3);
    r.subStart[0] = 0;
    r.subLength[0] = 7;
    r.subStart[2] = 8;
    r.subLength[2] = 6;
    r.subStart[4] = 200;  // from a faulty terminal
    r.subLength[4] = 250;
    r.subStart[5] = 12;
    r.subLength[5] = 30;
    Layout l({"[Timbrature]", "FORMAT=D", "D=JDATA"});
    EXPECT_EQ(l.of(r), "ORDER42 PHASE3  E3 \n");
}

TEST(LineBuffer, NeverGrowsPastItsCapacity) {
    LineBuffer line;
    for (int i = 0; i < 100; ++i) line.appendBlanks(255);
    line.appendDigits(12345, 24);
    line.appendFormat("%s", "more");
    line.append('x');
    EXPECT_EQ(line.length(), LineBuffer::kCapacity);
    EXPECT_EQ(std::strlen(line.text()), static_cast<std::size_t>(LineBuffer::kCapacity));
}
