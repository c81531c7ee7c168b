#pragma once
// The badge card format: where the plant, company, employee, level and
// release codes lie in a badge's digit string. Built from [Card Format] (a
// record layout whose first five fields give the positions) or built in,
// exchanged as a 55-byte record with its CRC, and reported to the operator.
#include "InfoOutput.h"
#include "ParameterLookup.h"
#include "RecordLayout.h"

#include <cstdint>

struct CardField {
    std::uint8_t from = 0;
    std::uint8_t length = 0;
    std::uint32_t defaultValue = 0;
};

struct CardFormat {
    static constexpr int kSize = 55;
    static constexpr int kNameSize = 21;  // 20 characters and NUL
    static constexpr int kFieldCount = 5;  // plant, company, employee, level, release
    static constexpr int kMaxDigits = 40;  // the most a badge read carries
    static constexpr const char* kSection = "[Card Format]";

    char name[kNameSize] = {};
    std::uint8_t length = 0;
    bool bidirectional = false;
    CardField fields[kFieldCount] = {};

    static CardFormat builtIn();
    // The record with its CRC over bytes 0-52.
    void encode(std::uint8_t (&record)[kSize]) const;
    static CardFormat decode(const std::uint8_t (&record)[kSize]);
    static bool crcMatches(const std::uint8_t (&record)[kSize]);

    // What makes the format unusable on any badge (a field past the most
    // digits a read carries), or nullptr.
    const char* impossibility(zString& detail) const;
    // What puts the format at odds with its own badge length (a length no
    // badge has, a field past it), or nullptr. Such a format is still sent.
    const char* inconsistency(zString& detail) const;
};

// [Card Format] when its layout has fields (NAME, LEN, DIRECTION and the
// first five fields' FR, LE and DF), else the built-in format. `layout`
// receives the section's layout.
CardFormat loadCardFormat(const ParameterLookup& parameters, LINE_FORMAT& layout, zLogger& log);

// The format report of -fs and -fg.
void reportCardFormat(InfoOutput& out, const char* label, const CardFormat& format);
