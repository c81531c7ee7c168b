// Employee file lines read in both syntaxes, and employees turned into the
// terminals' records and back into lines.
#include "EMPHLP_C.h"
#include "WriterTestSupport.h"
#include "crc16.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Reader {
    ScratchDir dir;
    CapturedLog log{dir};
    LINE_FORMAT layout;
    EMPHLP_C helper{layout, log.logger()};

    explicit Reader(std::vector<std::string> parameters = {}) {
        if (!parameters.empty()) loadLayout(MemoryParameters(std::move(parameters)), "[Anagrafiche]", layout, log.logger());
    }
    EmployeeData read(const std::string& line) {
        EmployeeData e;
        EXPECT_TRUE(helper.parseLine(line, e)) << line;
        return e;
    }
};

EmployeeData employee(int company, std::uint32_t number, const char* name) {
    EmployeeData e;
    e.company = static_cast<std::uint8_t>(company);
    e.employee = number;
    std::strncpy(e.name, name, 20);
    return e;
}

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

TEST(EmployeeLine, DefaultSyntaxTakesItsParts) {
    Reader r;
    EmployeeData e = r.read(",5,1234,ROSSI MARIO,,3");
    EXPECT_EQ(e.company, 5);
    EXPECT_EQ(e.employee, 1234u);
    EXPECT_STREQ(e.name, "ROSSI MARIO");
    EXPECT_EQ(e.terminal, 3);
    EXPECT_STREQ(e.texts[0], "");

    e = r.read("X,1,2,  NOME  ,Y, ,  T1 ,T2,,,,,,T8,T9,T10");
    EXPECT_STREQ(e.name, "NOME");
    EXPECT_EQ(e.terminal, 0);
    EXPECT_STREQ(e.texts[0], "T1");
    EXPECT_STREQ(e.texts[1], "T2");
    EXPECT_STREQ(e.texts[7], "T8");

    // The last ";" is a blank; names and texts keep 20 characters.
    e = r.read(",1,2,ABCDEFGHIJKLMNOPQRSTUVWXYZ;Q,,0,123456789012345678901234;");
    EXPECT_STREQ(e.name, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_STREQ(e.texts[0], "12345678901234567890");
    e = r.read(",1,2,A;B;C,,0");
    EXPECT_STREQ(e.name, "A;B C");
}

TEST(EmployeeLine, MissingPartsStopTheReadingWithTheHeadOfTheLine) {
    Reader r;
    EmployeeData e;
    EXPECT_FALSE(r.helper.parseLine("HEAD,,1234,NOME", e));
    EXPECT_FALSE(r.helper.parseLine("HEAD,5, ,NOME", e));
    EXPECT_FALSE(r.helper.parseLine("HEAD,5,1234", e));
    EXPECT_FALSE(r.helper.parseLine("", e));
    EXPECT_TRUE(r.log.has("Error Cd Ditta HEAD."));
    EXPECT_TRUE(r.log.has("Error Cd Dipendente HEAD."));
    EXPECT_TRUE(r.log.has("Error Nome Dipendente HEAD."));
}

TEST(EmployeeLine, NumbersThatAreNoneOrTooLargeAreNotReadAsOthers) {
    Reader r;
    EXPECT_EQ(r.read(",5,abc,N").employee, 0u);
    EXPECT_EQ(r.read(",5,4294967296,N").employee, 0u);
    EXPECT_EQ(r.read(",5,4294967295,N").employee, 4294967295u);
    EXPECT_EQ(r.read(",5, 12x,N").employee, 12u);
    EXPECT_EQ(r.read(",256,1,N").company, 0);
    EXPECT_EQ(r.read(",-1,1,N").company, 0);
    EXPECT_EQ(r.read(",255,1,N").company, 255);
    // A terminal that is no number matches no terminal; an empty one all.
    EXPECT_EQ(r.read(",5,1,N,,tre").terminal, EmployeeData::kNoTerminal);
    EXPECT_EQ(r.read(",5,1,N,,").terminal, 0);
    EXPECT_EQ(r.read(",5,1,N,, 7 ").terminal, 7);
}

TEST(EmployeeLine, ConfiguredSyntaxWithAndWithoutSeparator) {
    Reader separated({"[Anagrafiche]", "FORMAT=F1,F2,F3,F4,F5,F6,F7", "F1=MATRICOLA", "F2=NAME", "F3=COMPANY",
                      "F4=TERMINAL", "F5=INFO3", "F6=JC", "F7=JOB", "FLDSEP=';'"});
    EmployeeData e = separated.read("1234;ROSSI MARIO;5;3;TESTO TRE;65535;17");
    EXPECT_EQ(e.employee, 1234u);
    EXPECT_STREQ(e.name, "ROSSI MARIO");
    EXPECT_EQ(e.company, 5);
    EXPECT_EQ(e.terminal, 3);
    EXPECT_STREQ(e.texts[2], "TESTO TRE");
    EXPECT_EQ(e.jc, 65535);
    EXPECT_EQ(e.jo, 17);
    // Fields past the end of a short line stay empty.
    e = separated.read("99;BREVE");
    EXPECT_EQ(e.employee, 99u);
    EXPECT_EQ(e.company, 0);

    Reader fixed({"[Anagrafiche]", "FORMAT=M,N,C,X", "M=MATRICOLA,LE=6", "N=NAME,LE=24", "C=COMPANY,LE=3",
                  "X=DUMMY,LE=2"});
    e = fixed.read("001234VERDI GIUSEPPE LUNGO    007ZZ");
    EXPECT_EQ(e.employee, 1234u);
    EXPECT_STREQ(e.name, "VERDI GIUSEPPE LUNGO");
    EXPECT_EQ(e.company, 7);
    e = fixed.read("0012");
    EXPECT_EQ(e.employee, 12u);
    EXPECT_STREQ(e.name, "");
}

TEST(EmployeeRecord, ShortFormatsCarryNumberCompanyAndCrc) {
    std::uint8_t b[EMPHLP_C::kMaxRecordSize];
    EmployeeData e = employee(5, 0x01020304, "ROSSI MARIO ALBERTO LUNGO");
    ASSERT_EQ(EMPHLP_C::encode(EmployeeFormat::US, e, b), 12);
    const std::uint8_t us[] = {5, 0, 0, 0, 0, 0, 4, 3, 2, 1};
    EXPECT_EQ(std::memcmp(b, us, sizeof us), 0);
    EXPECT_EQ(le16(b + 10), fnd::crc16(b, 10));

    ASSERT_EQ(EMPHLP_C::encode(EmployeeFormat::UM, e, b), 28);
    EXPECT_EQ(std::memcmp(b, us, sizeof us), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 10), 16), "ROSSI MARIO ALBE");
    EXPECT_EQ(le16(b + 26), fnd::crc16(b, 26));

    EmployeeData back;
    ASSERT_TRUE(EMPHLP_C::decode(EmployeeFormat::UM, b, back));
    EXPECT_EQ(back.employee, 0x01020304u);
    EXPECT_STREQ(back.name, "ROSSI MARIO ALBE");
    b[26] ^= 1;
    EXPECT_FALSE(EMPHLP_C::decode(EmployeeFormat::UM, b, back));

    EMPHLP_C::encode(EmployeeFormat::US, e, b);
    b[5] = 0x40;
    EXPECT_FALSE(EMPHLP_C::decode(EmployeeFormat::US, b, back));
    std::uint16_t crc = fnd::crc16(b, 10);
    b[10] = static_cast<std::uint8_t>(crc);
    b[11] = static_cast<std::uint8_t>(crc >> 8);
    ASSERT_TRUE(EMPHLP_C::decode(EmployeeFormat::US, b, back));
    EXPECT_TRUE(back.disabled);
    EXPECT_STREQ(back.name, "");
}

TEST(EmployeeRecord, LongFormatHasItsFieldsInPlaceAndTwoCrcs) {
    EmployeeData e = employee(9, 1234, "ROSSI MARIO");
    std::strcpy(e.texts[0], "PRIMO");
    std::strcpy(e.texts[7], "OTTAVO");
    e.jo = 0x1122;
    e.jc = 0x3344;
    std::uint8_t b[EMPHLP_C::kMaxRecordSize];
    ASSERT_EQ(EMPHLP_C::encode(EmployeeFormat::EM, e, b), 280);
    EXPECT_EQ(b[0], 0xD2);
    EXPECT_EQ(b[1], 0x04);
    EXPECT_EQ(b[4], 9);
    EXPECT_STREQ(reinterpret_cast<char*>(b + 7), "ROSSI MARIO");
    EXPECT_STREQ(reinterpret_cast<char*>(b + 28), "PRIMO");
    EXPECT_STREQ(reinterpret_cast<char*>(b + 28 + 7 * 21), "OTTAVO");
    EXPECT_EQ(le16(b + 212), fnd::crc16(b, 212));
    EXPECT_EQ(le16(b + 270), 0x1122);
    EXPECT_EQ(le16(b + 274), 0x3344);
    EXPECT_EQ(le16(b + 278), fnd::crc16(b, 278));
    for (int i : {196, 211, 214, 269}) EXPECT_EQ(b[i], 0) << i;

    EmployeeData back;
    ASSERT_TRUE(EMPHLP_C::decode(EmployeeFormat::EM, b, back));
    EXPECT_STREQ(back.texts[7], "OTTAVO");
    EXPECT_EQ(back.jc, 0x3344);

    // Bytes only the second CRC covers, and a first CRC gone wrong alone.
    std::uint8_t changed[280];
    std::memcpy(changed, b, sizeof changed);
    changed[250] = 1;
    EXPECT_FALSE(EMPHLP_C::decode(EmployeeFormat::EM, changed, back));
    std::memcpy(changed, b, sizeof changed);
    changed[212] ^= 0xFF;
    std::uint16_t crc = fnd::crc16(changed, 278);
    changed[278] = static_cast<std::uint8_t>(crc);
    changed[279] = static_cast<std::uint8_t>(crc >> 8);
    EXPECT_FALSE(EMPHLP_C::decode(EmployeeFormat::EM, changed, back));
}

TEST(EmployeeRecord, PersonalDataRecord) {
    EmployeeData e = employee(3, 70000, "X");
    std::strcpy(e.texts[1], "SECONDO");
    std::uint8_t b[EMPHLP_C::kPersonalSize];
    EMPHLP_C::encodePersonal(e, b);
    EXPECT_EQ(b[0] | (b[1] << 8) | (b[2] << 16), 70000);
    EXPECT_EQ(b[4], 3);
    EXPECT_EQ(b[5], 0);
    EXPECT_STREQ(reinterpret_cast<char*>(b + 7 + 21), "SECONDO");
    EXPECT_EQ(b[174], 0);
}

TEST(EmployeeRecord, ReceivedLinesReadBackAsTheSameEmployee) {
    EmployeeData e = employee(5, 1234, "ROSSI MARIO");
    std::strcpy(e.texts[7], "ULTIMO");
    e.jo = 12;
    zString line = EMPHLP_C::receivedLine(EmployeeFormat::EM, e, 3);
    EXPECT_EQ(line, "12,00005,000001234,ROSSI MARIO         ,0,3,,,,,,,,ULTIMO");
    Reader r;
    EmployeeData back = r.read(line.c_str());
    EXPECT_EQ(back.company, 5);
    EXPECT_EQ(back.employee, 1234u);
    EXPECT_STREQ(back.name, "ROSSI MARIO");
    EXPECT_EQ(back.terminal, 3);
    EXPECT_STREQ(back.texts[7], "ULTIMO");

    e.disabled = true;
    line = EMPHLP_C::receivedLine(EmployeeFormat::UM, e, 12);
    EXPECT_EQ(line, "DISABLED->0,00005,000001234,ROSSI MARIO         , 0, 12");
    EXPECT_EQ(r.read(line.c_str()).terminal, 12);
}
