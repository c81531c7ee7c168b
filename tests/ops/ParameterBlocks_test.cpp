#include "ParameterBlocks.h"

#include "LittleEndian.h"
#include "VornModem.h"
#include "crc16.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

namespace {

// Offsets are written out as the terminals define the blocks, so that a
// wrong constant in the header cannot carry the test along with it.
using Long = LongParameterBlock;
using Short = ShortParameterBlock;

// A parameter file of exact section and key names.
struct Keys : ParameterLookup {
    std::map<std::pair<std::string, std::string>, std::string> values;
    bool getValue(std::string_view section, std::string_view key, zString& value) const override {
        auto at = values.find({std::string(section), std::string(key)});
        if (at == values.end()) return false;
        value = zString(at->second);
        return true;
    }
    void set(const std::string& section, const std::string& key, const std::string& value) { values[{section, key}] = value; }
};

VornSettings settings(int node = 5, long speed = 38400) {
    VornSettings s;
    s.name = "Terminal 5";
    s.nodeNumber = static_cast<std::uint8_t>(node);
    s.terminalNumber = static_cast<std::int16_t>(node);
    s.lineSpeed = speed;
    return s;
}

class LongBlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The terminal's own values: every byte set, so overwrites show.
        for (int i = 0; i < Long::kSize; ++i) block[i] = static_cast<std::uint8_t>(0xA0 + i % 16);
    }
    std::string text(int offset) const { return reinterpret_cast<const char*>(block + offset); }

    zLogger log{"/dev/null"};
    Keys keys;
    LongBlock block;
};

}  // namespace

TEST(LineSpeedCode, FourSpeedsAndEverythingElseIsTheFastest) {
    EXPECT_EQ(lineSpeedCode(4800), 0);
    EXPECT_EQ(lineSpeedCode(9600), 1);
    EXPECT_EQ(lineSpeedCode(19200), 2);
    EXPECT_EQ(lineSpeedCode(38400), 3);
    EXPECT_EQ(lineSpeedCode(115200), 3);
    EXPECT_EQ(lineSpeedCode(2400), 3);
}

TEST(ShortBlock, DefinitionSetsNodeAndSpeedAndAbsentKeysLeaveTheTerminalsBytes) {
    Vorn terminal(settings(9, 9600));
    Keys none;
    ShortBlock block = {1, 2, 1, 1, 1, 3, 33, 2, 0xAA, 0xBB};
    configureShortBlock(block, terminal, none);
    const ShortBlock expected = {9, 1, 1, 1, 1, 3, 33, 2, 0xAA, 0xBB};
    EXPECT_EQ(std::memcmp(block, expected, sizeof block), 0);
}

TEST(ShortBlock, KeysOfTheTerminalSectionUpperCasedExceptTheRelayTime) {
    struct Case {
        const char* key;
        const char* value;
        int offset;
        int code;
    } cases[] = {
        {"GL_TIMB", "auto", 2, 1},        {"GL_TIMB", "fisso", 2, 0},
        {"GL_CONFIRM", "On", 3, 1},         {"GL_CONFIRM", "yes", 3, 0},
        {"GL_CAUSE", "ON", 4, 1},            {"GL_CAUSE", "OFF", 4, 0},
        {"GL_RELE", "door_inout", 5, 0},  {"GL_RELE", "DOOR_IN", 5, 1},
        {"GL_RELE", "door_out", 5, 2},    {"GL_RELE", "alarm", 5, 3},
        {"GL_RELE", "sirena", 5, 1},      {"GL_LCD", "lcd_onoff", 7, 0},
        {"GL_LCD", "LCD_ON5DAY", 7, 2},     {"GL_LCD", "lcd_on7day", 7, 3},
        {"GL_LCD", "acceso", 7, 1},         {"GL_R_TIME", "25", 6, 25},
        {"GL_R_TIME", "0", 6, 10},        {"GL_R_TIME", "256", 6, 10},
        {"GL_R_TIME", "300", 6, 44},      {"GL_R_TIME", "abc", 6, 10},
    };
    Vorn terminal(settings());
    for (const Case& c : cases) {
        Keys keys;
        keys.set("[Terminal 5]", c.key, c.value);
        ShortBlock block = {0, 0, 7, 7, 7, 7, 7, 7, 0, 0};
        configureShortBlock(block, terminal, keys);
        EXPECT_EQ(block[c.offset], c.code) << c.key << "=" << c.value;
        for (int i = 2; i < 8; ++i)
            if (i != c.offset) EXPECT_EQ(block[i], 7) << c.key << " changed byte " << i;
    }
}

TEST(ShortBlock, SealedWithTheCrcOfItsFirstEightBytes) {
    ShortBlock block = {5, 3, 0, 1, 0, 2, 10, 1, 0, 0};
    sealShortBlock(block);
    EXPECT_EQ(getLe16(block + 8), fnd::crc16(block, 8));
}

TEST_F(LongBlockTest, DefinitionFillsPasswordNumberRingsProceduresAndLabels) {
    VornSettings s = settings();
    s.password = "1234";
    s.terminalNumber = 300;  // one byte of it fits
    Vorn terminal(s);
    keys.set("[Labels]", "LABEL_1", "Ferie");
    keys.set("[Labels]", "LABEL_8", "Ultima");
    prepareLongBlock(block, terminal, keys, log);

    EXPECT_EQ(text(0), "1234");
    // After the NUL the terminal's bytes stay, the model byte among them.
    EXPECT_EQ(block[5], 0xA5);
    EXPECT_EQ(block[8], 0xA8);
    EXPECT_EQ(block[9], 300 & 0xFF);
    EXPECT_EQ(block[10], 0xAA);
    EXPECT_EQ(block[22], 0);
    const std::uint8_t procedures[] = {0, 0, 0, 1, 4, 0};
    EXPECT_EQ(std::memcmp(block + 218, procedures, sizeof procedures), 0);
    EXPECT_EQ(block[218 + 6], static_cast<std::uint8_t>(0xA0 + (218 + 6) % 16));
    EXPECT_EQ(text(50), "Ferie");
    for (int i = 1; i < 7; ++i) EXPECT_EQ(text(50 + i * 21), "") << i;
    EXPECT_EQ(text(50 + 7 * 21), "Ultima");
    for (int i = 5; i < 21; ++i) EXPECT_EQ(block[50 + i], 0);
    EXPECT_EQ(block[230], static_cast<std::uint8_t>(0xA0 + 230 % 16));
}

TEST_F(LongBlockTest, APasswordTooLongForItsFieldIsCutToSevenAndTheModelByteStays) {
    VornSettings s = settings();
    s.password = "SEGRETISSIMA";
    Vorn terminal(s);
    prepareLongBlock(block, terminal, keys, log);
    EXPECT_EQ(text(0), "SEGRETI");
    EXPECT_EQ(block[8], 0xA8);

    s.password = "1234567";
    Vorn exact(s);
    prepareLongBlock(block, exact, keys, log);
    EXPECT_EQ(text(0), "1234567");
    EXPECT_EQ(block[8], 0xA8);

    s.password = "";
    Vorn empty(s);
    prepareLongBlock(block, empty, keys, log);
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(block[1], '2');  // the terminal's byte after the NUL
}

TEST_F(LongBlockTest, LabelsKeepTwentyCharacters) {
    Vorn terminal(settings());
    keys.set("[Labels]", "LABEL_3", std::string(30, 'L'));
    prepareLongBlock(block, terminal, keys, log);
    EXPECT_EQ(text(50 + 2 * 21), std::string(20, 'L'));
}

TEST_F(LongBlockTest, ModemTerminalsSendTheirRings) {
    VornSettings s = settings();
    s.kind = ConnectionKind::Modem;
    VornModem modem(s, false);
    DialSettings dial;
    dial.rings = 7;
    modem.setDialSettings(dial);
    prepareLongBlock(block, modem, keys, log);
    EXPECT_EQ(block[22], 7);
}

TEST_F(LongBlockTest, SealedWithTheCrcOfItsFirst238Bytes) {
    sealLongBlock(block);
    EXPECT_EQ(getLe16(block + 238), fnd::crc16(block, 238));
}

TEST(Eeprom, RecordLayoutAndChecksum) {
    EepromRecord r;
    r.setName("Ingresso principale nord");
    r.node = 12;
    r.plantCode = 4660;
    r.serialNumber = 0x01020304;
    std::uint8_t b[EepromRecord::kSize];
    std::memset(b, 0xEE, sizeof b);
    r.encode(b);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 20), "Ingresso principale ");
    for (int i = 20; i < 41; ++i) EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(b[41], 12);
    EXPECT_EQ(b[42], 0);
    EXPECT_EQ(getLe16(b + 43), 4660);
    EXPECT_EQ(getLe32(b + 45), 0x01020304u);
    EXPECT_EQ(getLe16(b + 49), fnd::crc16(b, 49));

    EepromRecord back = EepromRecord::decode(b);
    EXPECT_STREQ(back.name, "Ingresso principale ");
    EXPECT_EQ(back.node, 12);
    EXPECT_EQ(back.plantCode, 4660);
    EXPECT_EQ(back.serialNumber, 0x01020304u);

    // A name filling its 20 characters is still terminated when decoded.
    std::memset(b, 'N', 20);
    EXPECT_EQ(std::strlen(EepromRecord::decode(b).name), 20u);
}
