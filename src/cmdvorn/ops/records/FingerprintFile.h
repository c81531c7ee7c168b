#pragma once
// Fingerprint templates as the terminal exchanges them (389-byte record)
// and as the PC keeps them: one text line per template, the company and the
// employee number followed by the template's bytes in hexadecimal.
#include <cstddef>
#include <cstdint>
#include <string_view>

struct FingerprintRecord {
    static constexpr int kSize = 389;
    static constexpr int kTemplateSize = 384;
    static constexpr int kDigits = 2 * kTemplateSize;
    // Longest line: "%05.5u %09.9u " (a ten-digit employee number at most),
    // the digits and a newline.
    static constexpr int kLineLength = 6 + 11 + kDigits + 1;

    std::uint32_t employee = 0;
    std::uint8_t company = 0;
    std::uint8_t templ[kTemplateSize] = {};

    void encode(std::uint8_t (&record)[kSize]) const;
    static FingerprintRecord decode(const std::uint8_t (&record)[kSize]);
};

// Writes the template's line, newline included, into `line` (at least
// kLineLength + 1 bytes); returns its length.
int formatFingerprintLine(const FingerprintRecord& record, char* line, std::size_t size);

enum class FingerprintLine {
    Template,  // a template was read
    Skipped,   // empty or a comment ("#")
    Bad,       // not a template line: nothing may be sent for it
};

// Reads one line of the file: the company, the employee number and the
// digit string, separated by white space, digits of either case. A digit
// string shorter than the template is completed with zeros. On Bad, `why`
// says what is wrong with the line.
FingerprintLine parseFingerprintLine(std::string_view line, FingerprintRecord& record, const char*& why);
