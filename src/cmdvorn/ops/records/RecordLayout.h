#pragma once
// Configurable text layouts of records: FORMAT names the fields in order,
// one key per field defines it ("F1=MATRICOLA,LEN=8"), FLDSEP gives the
// separator. Fixed-size fields, so a loaded layout holds no heap memory.
#include "ParameterLookup.h"
#include "zLogger.h"

#include <cstdint>
#include <string_view>

struct FLD_FMT_t {
    static constexpr int kTextSize = 11;  // 10 characters and NUL
    static constexpr int kValueCount = 10;

    char name[kTextSize] = {};    // id from FORMAT, then its type word
    std::uint8_t from = 0;        // FR: start position, for the card format
    std::uint8_t length = 0;      // LE: characters or digits; 0 = the field's default
    char format[kTextSize] = {};  // FM: date, time, HEX or JDATA pattern
    char values[kValueCount][kTextSize] = {};  // VA: replacement texts for codes
    char defaultText[kTextSize] = {};          // DF, or the constant of a constant field
};

struct LINE_FORMAT {
    static constexpr int kMaxFields = 15;

    std::uint16_t count = 0;  // 0: no layout configured, the built-in one applies
    char separator = 0;       // 0: none
    FLD_FMT_t fields[kMaxFields] = {};

    bool hasFields() const { return count > 0; }
};

// Blanks, tabs, CR and LF removed at both ends.
std::string_view trimmedText(std::string_view text);

// Copies at most FLD_FMT_t::kTextSize - 1 characters, always terminated.
void copyFieldText(char (&target)[FLD_FMT_t::kTextSize], std::string_view text);

// Reads one "KEY=value" setting (only the first two letters of KEY count)
// into field. False ends the reading of the field's settings; a setting
// without "=" is logged except for a constant field.
bool readFieldSetting(std::string_view setting, FLD_FMT_t& field, bool constantField, zLogger& log);

// Reads FORMAT, the field definitions and FLDSEP of section (given with or
// without brackets). Without FORMAT the layout has no fields. Definition
// errors are logged; the field then keeps its defaults.
void loadLayout(const ParameterLookup& parameters, const zString& section, LINE_FORMAT& layout, zLogger& log);
