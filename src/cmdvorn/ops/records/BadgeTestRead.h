#pragma once
// The terminal's test read of a badge ("FO,LR", 42 bytes): flags, length
// and the badge's digits one value per byte, shown as the terminal split
// them by its card format.
#include "CardFormat.h"

#include <cstdint>

struct BadgeTestRead {
    static constexpr int kSize = 42;
    static constexpr int kDigits = 40;

    std::uint8_t flags = 0;
    std::uint8_t length = 0;
    char digits[kDigits + 1] = {};  // '0'-'9' and 'A'-'E'

    // Digit values 10-14 become A-E; a value of 15 or more ends the digits.
    static BadgeTestRead decode(const std::uint8_t (&record)[kSize]);
};

// The test-read table: the format's name, the badge, then each of the
// first five fields with its name from `layout` (empty without one), its
// place in the format read from the terminal and the digits found there.
void reportTestRead(InfoOutput& out, const char* label, const CardFormat& format, const LINE_FORMAT& layout,
                    const BadgeTestRead& read);
