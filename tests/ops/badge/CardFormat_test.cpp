// The card format record built from the parameter file or built in, its
// byte layout and check, the rules against formats no badge can satisfy
// and formats at odds with their own badge length, and the operator's
// format report.
#include "BadgeTestSupport.h"
#include "CardFormat.h"
#include "LittleEndian.h"
#include "PrmCfg.h"
#include "VornMgr.h"
#include "crc16.h"
#include "zFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace {

class Parameters : public ParameterLookup {
public:
    explicit Parameters(std::map<std::string, std::string> keys) : keys_(std::move(keys)) {}
    bool getValue(std::string_view section, std::string_view key, zString& value) const override {
        if (section != "[Card Format]") return false;
        auto it = keys_.find(std::string(key));
        if (it == keys_.end()) return false;
        value = it->second.c_str();
        return true;
    }

private:
    std::map<std::string, std::string> keys_;
};

CardFormat load(std::map<std::string, std::string> keys) {
    static zLogger log("/dev/null");
    LINE_FORMAT layout;
    return loadCardFormat(Parameters(std::move(keys)), layout, log);
}

std::vector<std::uint8_t> bytesOf(const CardFormat& f) {
    std::uint8_t record[CardFormat::kSize];
    f.encode(record);
    return {record, record + CardFormat::kSize};
}

const std::map<std::string, std::string> kFiveFields = {
    {"NAME", "AZIENDA SPA"}, {"LEN", "20"}, {"FORMAT", "F1,F2,F3,F4,F5,F6"},
    {"F1", "PL,FR=0,LE=3,DF=7"}, {"F2", "CO,FR=3,LE=2,DF=12"}, {"F3", "MA,FR=5,LE=8"},
    {"F4", "LE,FR=13,LE=1"}, {"F5", "RE,FR=14,LE=2,DF=1"}, {"F6", "TE,FR=19,LE=1,DF=9"}};

}  // namespace

TEST(CardFormatRecord, BuiltInFormatIsSentByteForByte) {
    std::vector<std::uint8_t> expected = {'C', 'A', 'L', 'V', 'I', 'R', 'O', 'N', 'E', ' ', 'M', 'C', 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                          17, 1,
                                          0, 4, 0, 0, 0, 0,
                                          4, 2, 0, 0, 0, 0,
                                          9, 6, 0, 0, 0, 0,
                                          15, 1, 0, 0, 0, 0,
                                          16, 1, 0, 0, 0, 0};
    std::uint16_t crc = fnd::crc16(expected.data(), expected.size());
    expected.push_back(static_cast<std::uint8_t>(crc));
    expected.push_back(static_cast<std::uint8_t>(crc >> 8));
    EXPECT_EQ(bytesOf(CardFormat::builtIn()), expected);
    // No FORMAT in [Card Format] (or no section) means the built-in format.
    EXPECT_EQ(bytesOf(load({{"NAME", "IGNORED"}, {"LEN", "9"}})), expected);
}

TEST(CardFormatRecord, SectionGivesNameLengthDirectionAndTheFirstFiveFields) {
    auto keys = kFiveFields;
    keys["DIRECTION"] = "bi";
    CardFormat f = load(keys);
    EXPECT_STREQ(f.name, "AZIENDA SPA");
    EXPECT_EQ(f.length, 20);
    EXPECT_TRUE(f.bidirectional);
    const CardField expected[] = {{0, 3, 7}, {3, 2, 12}, {5, 8, 0}, {13, 1, 0}, {14, 2, 1}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(f.fields[i].from, expected[i].from) << i;
        EXPECT_EQ(f.fields[i].length, expected[i].length) << i;
        EXPECT_EQ(f.fields[i].defaultValue, expected[i].defaultValue) << i;
    }
    auto bytes = bytesOf(f);
    EXPECT_EQ(bytes[21], 20);
    EXPECT_EQ(bytes[22], 1);
    EXPECT_EQ(bytes[23 + 6 + 2], 12);  // the company's default, little-endian
    EXPECT_EQ(CardFormat::decode(*reinterpret_cast<std::uint8_t(*)[55]>(bytes.data())).fields[4].defaultValue, 1u);
}

TEST(CardFormatRecord, DirectionIsBidirectionalOnlyForAB) {
    auto keys = kFiveFields;
    keys["DIRECTION"] = "Mono";
    EXPECT_FALSE(load(keys).bidirectional);
    keys["DIRECTION"] = "BIDIREZIONALE";
    EXPECT_TRUE(load(keys).bidirectional);
    keys.erase("DIRECTION");
    EXPECT_FALSE(load(keys).bidirectional);
}

TEST(CardFormatRecord, LongNameIsCutToTwentyCharactersAndFewerFieldsStayEmpty) {
    CardFormat f = load({{"NAME", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"}, {"LEN", "10"}, {"FORMAT", "F1,F2"},
                         {"F1", "PL,FR=0,LE=4"}, {"F2", "CO,FR=4,LE=2"}});
    EXPECT_STREQ(f.name, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(f.fields[1].from, 4);
    EXPECT_EQ(f.fields[2].length, 0);
    EXPECT_EQ(f.fields[4].from, 0);
    auto bytes = bytesOf(f);
    EXPECT_EQ(bytes[20], 0);  // the name stays terminated
}

TEST(CardFormatRecord, CheckCoversTheFirstFiftyThreeBytes) {
    std::uint8_t record[CardFormat::kSize];
    CardFormat::builtIn().encode(record);
    EXPECT_TRUE(CardFormat::crcMatches(record));
    // The check sits in the last two bytes, after the 53 it covers.
    EXPECT_EQ(getLe16(record + 53), fnd::crc16(record, 53));
    for (int i = 0; i < 53; ++i) {
        std::uint8_t spoiled[CardFormat::kSize];
        std::memcpy(spoiled, record, sizeof spoiled);
        spoiled[i] ^= 0x01;
        EXPECT_FALSE(CardFormat::crcMatches(spoiled)) << "byte " << i;
    }
}

TEST(CardFormatRecord, FieldsPastTheDigitsOfAnyBadgeReadAreImpossible) {
    zString detail;
    EXPECT_EQ(CardFormat::builtIn().impossibility(detail), nullptr);
    EXPECT_EQ(load(kFiveFields).impossibility(detail), nullptr);

    auto keys = kFiveFields;
    keys["F3"] = "MA,FR=35,LE=6";
    ASSERT_NE(load(keys).impossibility(detail), nullptr);
    EXPECT_EQ(std::string(detail.c_str()), "campo 3: da 35 lun. 6, oltre le 40 cifre di un badge");
    keys["F3"] = "MA,FR=34,LE=6";
    EXPECT_EQ(load(keys).impossibility(detail), nullptr);
    keys["F1"] = "PL,FR=300,LE=1";
    EXPECT_NE(load(keys).impossibility(detail), nullptr);
}

TEST(CardFormatRecord, FieldsPastTheConfiguredLengthAreOnlyInconsistent) {
    zString detail;
    EXPECT_EQ(CardFormat::builtIn().inconsistency(detail), nullptr);
    EXPECT_EQ(load(kFiveFields).inconsistency(detail), nullptr);

    auto keys = kFiveFields;
    keys["F3"] = "MA,FR=15,LE=8";
    ASSERT_NE(load(keys).inconsistency(detail), nullptr);
    EXPECT_EQ(std::string(detail.c_str()), "campo 3: da 15 lun. 8, badge di 20 cifre");
    EXPECT_EQ(load(keys).impossibility(detail), nullptr);

    keys = kFiveFields;
    keys.erase("LEN");
    EXPECT_NE(load(keys).inconsistency(detail), nullptr);
    EXPECT_EQ(load(keys).impossibility(detail), nullptr);
    keys["LEN"] = "41";
    EXPECT_NE(load(keys).inconsistency(detail), nullptr);
    keys["LEN"] = "40";
    EXPECT_EQ(load(keys).inconsistency(detail), nullptr);
}

TEST(CardFormatReport, ShowsTheFormatAsTheTerminalHoldsIt) {
    zLogger log("/dev/null");
    InfoOutput out(log);
    InfoLines shown;
    out.setSink(&shown);
    reportCardFormat(out, "[Term 005]", CardFormat::builtIn());
    std::vector<std::string> expected = {
        "=== [Term 005] Badge format info===",
        " Nome: CALVIRONE MC",
        " Lun.: 17",
        " Dir : Bidirectional",
        "   Cod. Impianto: Da 00, Lun. 4, default 0",
        "    Cod. Azienda: Da 04, Lun. 2, default 0",
        " Cod. Dipendente: Da 09, Lun. 6, default 0",
        "    Livello dip.: Da 15, Lun. 1, default 0",
        "   Badge release: Da 16, Lun. 1, default 0",
    };
    EXPECT_EQ(shown.lines, expected);

    CardFormat mono = load(kFiveFields);
    shown.lines.clear();
    reportCardFormat(out, "[Term 005]", mono);
    EXPECT_EQ(shown.lines[3], " Dir : Monodirectional");
    EXPECT_EQ(shown.lines[5], "    Cod. Azienda: Da 03, Lun. 2, default 12");
}

TEST(CardFormatRecord, SampleParameterFileSpellsOutTheBuiltInFormat) {
    zLogger log("/dev/null");
    VornMgr manager(log);
    RunSettings settings;
    zFile file(zString(SAMPLE_PARAMETERS));
    PrmCfg config(file, log);
    ASSERT_TRUE(config.load(manager, settings));
    EXPECT_EQ(std::string(settings.fingerprints.fileName.c_str()), "FingerPrint.dat");
    LINE_FORMAT layout;
    CardFormat sample = loadCardFormat(config, layout, log);
    EXPECT_EQ(layout.count, 5);
    EXPECT_EQ(bytesOf(sample), bytesOf(CardFormat::builtIn()));
}
