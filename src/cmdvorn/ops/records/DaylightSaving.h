#pragma once
// The terminals' daylight-saving record (switch, start and end of summer
// time, CRC) and the [Global] keys it is built from: GL_DAYLIGHT,
// GL_LEGALE ("day/month-hour:minute") and GL_SOLARE (the same four numbers
// with any single separator characters).
#include "TerminalTime.h"

#include <cstdint>
#include <string_view>

struct SwitchMoment {
    int day = 0;
    int month = 0;
    int hour = 0;
    int minute = 0;
};

// GL_LEGALE: the separators are fixed. False when the text does not match
// or a field is out of range.
bool parseSummerStart(std::string_view text, int year, SwitchMoment& out);
// GL_SOLARE: any one character between the numbers.
bool parseSummerEnd(std::string_view text, int year, SwitchMoment& out);
// GL_DAYLIGHT: active when it contains ON, in any case.
bool daylightSwitchOn(std::string_view text);

struct DaylightRecord {
    static constexpr int kSize = 12;

    bool active = false;
    TerminalTime start;
    TerminalTime end;

    static DaylightRecord decode(const std::uint8_t (&bytes)[kSize]);
    void encode(std::uint8_t (&bytes)[kSize]) const;
};

// The moment in the given year, at 0 seconds.
TerminalTime terminalTimeOf(const SwitchMoment& moment, int year);
