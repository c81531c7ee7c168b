#include "ParameterReports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Lines : InfoSink {
    std::vector<std::string> lines;
    void addInfoLine(const char* line) override { lines.emplace_back(line); }
};

class Reports : public ::testing::Test {
protected:
    void SetUp() override { out.setSink(&sink); }
    zLogger log{"/dev/null"};
    InfoOutput out{log};
    Lines sink;
};

// Offsets are written out as the terminals define the blocks, so that a
// wrong constant in the header cannot carry the test along with it.
using Long = LongParameterBlock;
using Short = ShortParameterBlock;

void put16(unsigned char* p, unsigned v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void put32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace

TEST_F(Reports, LongBlockShowsEveryFieldInItsPlace) {
    unsigned char b[Long::kSize] = {};
    std::memcpy(b + 0, "ABCDEFGH", 8);  // fills the field: no terminator
    b[8] = 0x2c;
    b[9] = 17;
    b[10] = 5;
    b[11] = 2;
    b[12] = 3;
    b[13] = 1;
    b[14] = 0;
    b[15] = 2;
    b[15 + 1] = 3;
    b[15 + 2] = 9;
    b[18] = 4;
    b[19] = 1;
    b[20] = 60;
    b[21] = 7;
    b[22] = 3;
    std::strcpy(reinterpret_cast<char*>(b + 23), "AT&F&C1");
    b[44] = 12;
    b[45] = 2 | 8;
    b[46] = 1;
    b[48] = 5;
    std::strcpy(reinterpret_cast<char*>(b + 50), "Ferie");
    std::memset(b + 50 + 7 * 21, 'x', 21);  // last label unterminated
    const unsigned char procedures[12] = {1, 2, 1, 0, 0, 0, 0, 3, 1, 1, 1, 0};
    std::memcpy(b + 218, procedures, sizeof procedures);
    put16(b + 230, 4660);
    put16(b + 232, 300);
    put32(b + 234, 123456);

    reportLongParameters(out, "[Term 005]", b);
    const std::vector<std::string> expected = {
        "==== [Term 005] - Parametri operativi ===",
        "       Password: ABCDEFGH",
        "           Tipo: VORN2c",
        "       Nr. Nodo: 5",
        "   Nr. Terminal: 17",
        "   Nr. di serie: 123456",
        "  Cod. Impianto: 4660",
        "     Comm. port: MODEM",
        " Velocita comm.: RS232=38400, RS485=9600, MODEM=2400",
        "      Time out : RS232=2, RS485=3, MODEM=9",
        "     Modem init: AT&F&C1",
        "   Num. squilli: 3",
        "    Info Labels: Ferie,,,,,,," + std::string(21, 'x'),
        " Display Timeouts: timbratura 1",
        "                  doppia timb 60",
        "                timb. di coda 7",
        "                     MenuInfo 4",
        "  ------------  Abilitazione Procedure ------------",
        "               Pri. Conf. Abi. generale ",
        " ACCESSI    SI   2    SI     SI",
        " PRESENZE   NO   0    NO     NO",
        " MENSA      NO   3    SI     NO",
        " COMMESSE   SI   1    NO     SI",
        " Attivaz. Apriporta: ACCESSI  PRESENZE ",
        "    Tempo Apriporta: 300 sec.",
        "     Giustificativi: SI",
        "    Vis. timbrature: NO",
        "       Informazioni: SI",
        "           Messaggi: NO",
    };
    EXPECT_EQ(sink.lines, expected);
}

TEST_F(Reports, LongBlockDoorActivationAndCodesOutsideTheTables) {
    unsigned char b[Long::kSize] = {};
    b[11] = 7;
    b[12] = 200;
    b[14] = 2;
    reportLongParameters(out, "[Term 001]", b);
    EXPECT_EQ(sink.lines[7], "     Comm. port: 7");
    EXPECT_EQ(sink.lines[8], " Velocita comm.: RS232=200, RS485=4800, MODEM=2");
    EXPECT_EQ(sink.lines[23], " Attivaz. Apriporta: NO");

    sink.lines.clear();
    b[44] = 1 | 2 | 8;
    reportLongParameters(out, "[Term 001]", b);
    EXPECT_EQ(sink.lines[23], " Attivaz. Apriporta: ACCESSI  - INGRESSO - USCITA ");
}

TEST_F(Reports, ShortBlockIsNormalisedThenShown) {
    unsigned char b[Short::kSize] = {9, 2, 5, 1, 0, 9, 15, 7, 0xAA, 0xBB};
    reportShortParameters(out, "[Term 009]", b);
    const std::vector<std::string> expected = {
        "==== [Term 009] - Parametri operativi ===",
        "      Numero Nodo: 9",
        "   Velocita comm.: 19200",
        "  Mod. timbratura: Con verso fisso",
        "   Conferma timb.: SI",
        "   Giustificativi: NO",
        "        Mod. rele: Apriporta",
        "     Rele timeout: 15",
        "   Display Acceso: Lu-Ve 06-19",
    };
    EXPECT_EQ(sink.lines, expected);
    const unsigned char normalised[Short::kSize] = {9, 2, 0, 1, 0, 0, 15, 2, 0xAA, 0xBB};
    EXPECT_EQ(std::memcmp(b, normalised, sizeof b), 0);

    // Values in range stay as they are.
    unsigned char valid[Short::kSize] = {3, 0, 1, 0, 1, 3, 10, 3, 0, 0};
    sink.lines.clear();
    reportShortParameters(out, "[Term 003]", valid);
    EXPECT_EQ(valid[2], 1);
    EXPECT_EQ(valid[5], 3);
    EXPECT_EQ(valid[7], 3);
    EXPECT_EQ(sink.lines[3], "  Mod. timbratura: Con verso automatico");
    EXPECT_EQ(sink.lines[6], "        Mod. rele: Attivazione Sirena");
    EXPECT_EQ(sink.lines[8], "   Display Acceso: Lu-Do 06-19");
}

TEST_F(Reports, AlarmRecordDecodedAndShownOnOneLine) {
    unsigned char r[AlarmRecord::kSize] = {};
    put32(r, 7 * 3600 + 30 * 60);
    r[4] = 0x1F | 0x80;  // bit 7 is no day
    put16(r + 5, 10);
    put16(r + 7, 0xBEEF);
    put32(r + 9, 13000u * 86400u + 8 * 3600 + 15 * 60 + 59);

    AlarmRecord a = AlarmRecord::decode(r);
    EXPECT_EQ(a.startTime, 27000u);
    EXPECT_EQ(a.duration, 10);
    EXPECT_EQ(a.crc, 0xBEEF);
    reportAlarm(out, a, 3);
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0],
              "\t 3->Alle Ore: 07:30 giorni=SI,SI,SI,SI,SI,NO,NO, durata 10, ultima act.:08:15");

    r[4] = 0x40;
    put16(r + 5, 65535);
    reportAlarm(out, AlarmRecord::decode(r), 24);
    EXPECT_EQ(sink.lines[1],
              "\t24->Alle Ore: 07:30 giorni=NO,NO,NO,NO,NO,NO,SI, durata 65535, ultima act.:08:15");
}
