// Lines of the fingerprint file: the exact line written for a template,
// and what reading accepts, completes, skips and refuses.
#include "FingerprintFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

FingerprintRecord sample() {
    FingerprintRecord r;
    r.company = 12;
    r.employee = 345678;
    for (int i = 0; i < FingerprintRecord::kTemplateSize; ++i) r.templ[i] = static_cast<std::uint8_t>(i * 7);
    r.templ[0] = 0xAB;
    return r;
}

std::string lineOf(const FingerprintRecord& r) {
    char line[FingerprintRecord::kLineLength + 1];
    int n = formatFingerprintLine(r, line, sizeof line);
    return std::string(line, static_cast<std::size_t>(n));
}

FingerprintLine parse(const std::string& line, FingerprintRecord& r, std::string* reason = nullptr) {
    const char* why = nullptr;
    FingerprintLine kind = parseFingerprintLine(line, r, why);
    if (reason) *reason = why ? why : "";
    return kind;
}

std::string digits(std::size_t n, char c = '0') { return std::string(n, c); }

}  // namespace

TEST(FingerprintLineFormat, TemplateStartingWithABStartsItsDigitsWithAB) {
    std::string line = lineOf(sample());
    ASSERT_EQ(line.size(), 16u + 768u + 1u);
    EXPECT_EQ(line.substr(0, 20), "00012 000345678 AB07");
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(line.find_first_of("abcdef"), std::string::npos);  // upper case only
}

TEST(FingerprintLineFormat, RecordCarriesEmployeeCompanyAndTemplate) {
    std::uint8_t bytes[FingerprintRecord::kSize];
    FingerprintRecord r = sample();
    r.employee = 0x01020304;
    r.encode(bytes);
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[3], 0x01);
    EXPECT_EQ(bytes[4], 12);
    EXPECT_EQ(bytes[5], 0xAB);
    EXPECT_EQ(bytes[388], r.templ[383]);
    FingerprintRecord back = FingerprintRecord::decode(bytes);
    EXPECT_EQ(back.employee, r.employee);
    EXPECT_EQ(lineOf(back), lineOf(r));
}

TEST(FingerprintLineFormat, WrittenLinesReadBackUnchanged) {
    FingerprintRecord r;
    std::string line = lineOf(sample());
    ASSERT_EQ(parse(line, r), FingerprintLine::Template);
    EXPECT_EQ(lineOf(r), line);

    FingerprintRecord largest = sample();
    largest.company = 255;
    largest.employee = 4294967295u;
    ASSERT_EQ(parse(lineOf(largest), r), FingerprintLine::Template);
    EXPECT_EQ(r.employee, 4294967295u);
}

TEST(FingerprintLineRead, AcceptsEitherCaseAnyWhiteSpaceAndCrLf) {
    FingerprintRecord r;
    std::string lower = "7\t\t42   ab" + digits(766, 'f') + "\r\n";
    ASSERT_EQ(parse(lower, r), FingerprintLine::Template);
    EXPECT_EQ(r.company, 7);
    EXPECT_EQ(r.employee, 42u);
    EXPECT_EQ(r.templ[0], 0xAB);
    EXPECT_EQ(r.templ[383], 0xFF);
}

TEST(FingerprintLineRead, ShortDigitStringIsCompletedWithZeros) {
    FingerprintRecord r;
    ASSERT_EQ(parse("1 2 ABC", r), FingerprintLine::Template);
    EXPECT_EQ(r.templ[0], 0xAB);
    EXPECT_EQ(r.templ[1], 0xC0);  // an odd digit count leaves the low half zero
    for (int i = 2; i < FingerprintRecord::kTemplateSize; ++i) ASSERT_EQ(r.templ[i], 0) << i;
}

TEST(FingerprintLineRead, EmptyLinesAndCommentsAreSkipped) {
    FingerprintRecord r;
    EXPECT_EQ(parse("", r), FingerprintLine::Skipped);
    EXPECT_EQ(parse("   \r\n", r), FingerprintLine::Skipped);
    EXPECT_EQ(parse("# 00001 000000001 AB", r), FingerprintLine::Skipped);
}

TEST(FingerprintLineRead, MalformedLinesAreRefusedWithAReason) {
    FingerprintRecord r = sample();
    std::string why;
    EXPECT_EQ(parse("1 2 " + digits(766) + "G0", r, &why), FingerprintLine::Bad);
    EXPECT_EQ(why, "cifra non esadecimale");
    EXPECT_EQ(parse("1 2 " + digits(769), r, &why), FingerprintLine::Bad);
    EXPECT_EQ(why, "fingerprint troppo lungo");
    EXPECT_EQ(parse("256 2 AB", r, &why), FingerprintLine::Bad);
    EXPECT_EQ(why, "azienda non valida");
    EXPECT_EQ(parse("1 4294967296 AB", r, &why), FingerprintLine::Bad);
    EXPECT_EQ(why, "matricola non valida");
    EXPECT_EQ(parse("-1 2 AB", r, &why), FingerprintLine::Bad);
    EXPECT_EQ(parse("1 x2 AB", r, &why), FingerprintLine::Bad);
    EXPECT_EQ(parse("1 2", r, &why), FingerprintLine::Bad);
    EXPECT_EQ(why, "fingerprint mancante");
    EXPECT_EQ(parse("1 2 AB CD", r, &why), FingerprintLine::Bad);
    EXPECT_EQ(why, "testo dopo il fingerprint");
    EXPECT_EQ(parse(std::string("1 2 A\0B", 7), r, &why), FingerprintLine::Bad);
    // A refused line leaves the record as it was.
    EXPECT_EQ(lineOf(r), lineOf(sample()));
}
