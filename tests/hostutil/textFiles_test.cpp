// ConvertToUnicode, ConvertToAnsi and ReplChar through the loaded library,
// checked byte for byte.
#include "hostTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace std::string_literals;

namespace {

class TextFiles : public ::testing::Test {
protected:
    std::string toUnicode(const std::string& bytes) {
        writeBytes(dir.path("in"), bytes);
        EXPECT_EQ(mirta().ConvertToUnicode(dir.path("in").c_str(), dir.path("out").c_str()), 1);
        return readBytes(dir.path("out"));
    }
    std::string toAnsi(const std::string& bytes) {
        writeBytes(dir.path("in"), bytes);
        EXPECT_EQ(mirta().ConvertToAnsi(dir.path("in").c_str(), dir.path("out").c_str()), 1);
        return readBytes(dir.path("out"));
    }
    TempDir dir;
};

}  // namespace

TEST_F(TextFiles, ToUnicodeWidensBytesAndEndsEveryLineWithCrLf) {
    EXPECT_EQ(toUnicode("\xE9"), "\xFF\xFE\xE9\x00\x0D\x00\x0A\x00"s);
    EXPECT_EQ(toUnicode("ab\r\nc\n"), "\xFF\xFE" "a\0b\0\r\0\n\0c\0\r\0\n\0"s);
    EXPECT_EQ(toUnicode(""), "\xFF\xFE");
    EXPECT_EQ(toUnicode("\n\n"), "\xFF\xFE\r\0\n\0\r\0\n\0"s);
    // Bytes after a lone CR belong to no line and are dropped.
    EXPECT_EQ(toUnicode("a\rb\nc"), "\xFF\xFE" "a\0\r\0\n\0c\0\r\0\n\0"s);
    // Every byte value keeps its value, the zero byte included.
    EXPECT_EQ(toUnicode("\x00\x7F\x80\xFF"s), "\xFF\xFE\0\0\x7F\0\x80\0\xFF\0\r\0\n\0"s);
}

TEST_F(TextFiles, ToUnicodeNeverSplitsLongLines) {
    const std::string line(40000, 'x');
    const std::string out = toUnicode(line + "\n");
    ASSERT_EQ(out.size(), 2 + 2 * line.size() + 4);
    EXPECT_EQ(out.find("\r\0"s), 2 + 2 * line.size());
}

TEST_F(TextFiles, ToAnsiDropsZeroBytesAndEndsEveryLineWithCrLf) {
    EXPECT_EQ(toAnsi("\xFF\xFE" "C\0a\0f\0\xE8\0\r\0\n\0x\0\r\0\n\0"s), "Caf\xE8\r\nx\r\n");
    EXPECT_EQ(toAnsi("\xFF\xFE" "z\0"s), "z\r\n");  // last line without line end
    EXPECT_EQ(toAnsi("\xFF\xFE"), "");
    EXPECT_EQ(toAnsi("\xFF\xFE\r\0\n\0\r\0\n\0"s), "\r\n\r\n");
    // A unit above 0x00FF yields both of its bytes.
    EXPECT_EQ(toAnsi("\xFF\xFE\xAC\x20\r\0\n\0"s), "\xAC \r\n");
    // A piece that starts with two zero bytes is skipped.
    EXPECT_EQ(toAnsi("\xFF\xFEq\0\n\0\0\0\n\0w\0"s), "q\r\nw\r\n");
}

TEST_F(TextFiles, RoundTripRestoresWindowsText) {
    std::string text;
    for (int c = 1; c < 256; ++c)
        if (c != '\r' && c != '\n') text += static_cast<char>(c);
    text += "\r\nsecond line\r\n\r\n";
    writeBytes(dir.path("text"), text);
    ASSERT_EQ(mirta().ConvertToUnicode(dir.path("text").c_str(), dir.path("wide").c_str()), 1);
    ASSERT_EQ(mirta().ConvertToAnsi(dir.path("wide").c_str(), dir.path("back").c_str()), 1);
    EXPECT_EQ(readBytes(dir.path("back")), text);
}

TEST_F(TextFiles, ConversionsReportMissingInputAndUncreatableOutput) {
    const std::string missing = dir.path("missing");
    const std::string noFolder = dir.path("no/such/folder");
    writeBytes(dir.path("in"), "x");
    for (auto convert : {mirta().ConvertToUnicode, mirta().ConvertToAnsi}) {
        EXPECT_EQ(convert(missing.c_str(), dir.path("out").c_str()), -1);
        EXPECT_FALSE(std::filesystem::exists(dir.path("out")));
        EXPECT_EQ(convert(nullptr, dir.path("out").c_str()), -1);
        EXPECT_EQ(convert(dir.path("in").c_str(), noFolder.c_str()), -2);
        EXPECT_EQ(convert(dir.path("in").c_str(), nullptr), -2);
    }
}

TEST_F(TextFiles, ReplCharReplacesEveryOccurrenceAndNothingElse) {
    const std::string in = "a,b,,c\r\n,\x00\xE9\xFF"s;
    writeBytes(dir.path("in"), in);
    ASSERT_EQ(mirta().ReplChar(dir.path("in").c_str(), dir.path("out").c_str(), ',', ';'), 1);
    EXPECT_EQ(readBytes(dir.path("out")), "a;b;;c\r\n;\x00\xE9\xFF"s);

    // A byte above 127 matches whether the host passes it signed or not.
    ASSERT_EQ(mirta().ReplChar(dir.path("in").c_str(), dir.path("out").c_str(),
                               static_cast<signed char>('\xE9'), 'e'), 1);
    EXPECT_EQ(readBytes(dir.path("out")), "a,b,,c\r\n,\x00" "e\xFF"s);
    ASSERT_EQ(mirta().ReplChar(dir.path("in").c_str(), dir.path("out").c_str(), 0xFF, 0), 1);
    EXPECT_EQ(readBytes(dir.path("out")), "a,b,,c\r\n,\x00\xE9\x00"s);
}

TEST_F(TextFiles, ReplCharFailsWithoutTouchingTheOutputWhenInputIsMissing) {
    writeBytes(dir.path("out"), "keep");
    EXPECT_EQ(mirta().ReplChar(dir.path("missing").c_str(), dir.path("out").c_str(), 'a', 'b'), 0);
    EXPECT_EQ(readBytes(dir.path("out")), "keep");
    writeBytes(dir.path("in"), "x");
    EXPECT_EQ(mirta().ReplChar(dir.path("in").c_str(), dir.path("no/dir/out").c_str(), 'a', 'b'),
              0);
    EXPECT_EQ(mirta().ReplChar(nullptr, nullptr, 'a', 'b'), 0);
}
