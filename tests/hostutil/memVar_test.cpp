// VEDIVAR on memory-variable files built here entry by entry.
#include "hostTestSupport.h"

#include <gtest/gtest.h>

namespace {

// One entry: 32-byte header (name, type letter with the high bit set), then
// the value.
std::string entry(const std::string& name, char type, const std::string& value) {
    std::string header(32, '\0');
    header.replace(0, name.size(), name);
    header[11] = static_cast<char>(type | 0x80);
    header[16] = static_cast<char>(value.size());
    return header + value;
}

class MemVar : public ::testing::Test {
protected:
    void SetUp() override {
        writeBytes(path, entry("CNOME", 'C', std::string("Rossi Mario\0", 12)) +
                             entry("LATTIVO", 'L', "\x01") + entry("LSPENTO", 'L', std::string(1, '\0')) +
                             entry("NIMPORTO", 'N', "12345678") +
                             entry("CVUOTO", 'C', std::string(1, '\0')) + "\x1A");
    }
    std::string read(const char* name, int expectedResult) {
        char value[64] = "unchanged";
        EXPECT_EQ(mirta().VEDIVAR(path.c_str(), name, value), expectedResult) << name;
        return value;
    }
    TempDir dir;
    std::string path = dir.path("vars.mem");
};

}  // namespace

TEST_F(MemVar, CharacterAndLogicalVariables) {
    EXPECT_EQ(read("CNOME", 1), "Rossi Mario");
    EXPECT_EQ(read("CVUOTO", 1), "");
    EXPECT_EQ(read("LATTIVO", 1), "T");
    EXPECT_EQ(read("LSPENTO", 1), "F");
    EXPECT_EQ(read("NIMPORTO", 1), "unchanged");  // other types leave the buffer alone
}

TEST_F(MemVar, NamesMatchExactlyAndCaseSensitively) {
    EXPECT_EQ(read("cnome", -1), "unchanged");
    EXPECT_EQ(read("CNOM", -1), "unchanged");  // a prefix is not the name
    EXPECT_EQ(read("CNOMEX", -1), "unchanged");
    EXPECT_EQ(read("", -1), "unchanged");
    EXPECT_EQ(read(nullptr, -1), "unchanged");
}

TEST_F(MemVar, MissingEmptyAndTruncatedFiles) {
    char value[16] = "unchanged";
    EXPECT_EQ(mirta().VEDIVAR(dir.path("missing").c_str(), "CNOME", value), -2);
    EXPECT_EQ(mirta().VEDIVAR(nullptr, "CNOME", value), -2);
    writeBytes(dir.path("empty"), "");
    EXPECT_EQ(mirta().VEDIVAR(dir.path("empty").c_str(), "CNOME", value), -3);
    EXPECT_STREQ(value, "unchanged");

    // An entry cut off inside its header or value is read only as far as it goes.
    writeBytes(dir.path("cut"), entry("CNOME", 'C', "abc").substr(0, 34));
    EXPECT_EQ(mirta().VEDIVAR(dir.path("cut").c_str(), "CNOME", value), 1);
    EXPECT_STREQ(value, "ab");
    writeBytes(dir.path("cut"), std::string("LFLAG\0", 6));
    EXPECT_EQ(mirta().VEDIVAR(dir.path("cut").c_str(), "LFLAG", value), 1);
    EXPECT_STREQ(value, "ab");  // no type byte: nothing written
}

TEST_F(MemVar, OnlyTheFirst10000BytesAreSearched) {
    std::string filler(9996, 'x');  // the name's zero lies past byte 10000
    writeBytes(path, filler + entry("CLATE", 'C', std::string("v\0", 2)));
    char value[16] = "unchanged";
    EXPECT_EQ(mirta().VEDIVAR(path.c_str(), "CLATE", value), -1);
}
