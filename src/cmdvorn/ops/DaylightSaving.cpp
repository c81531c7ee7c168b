#include "DaylightSaving.h"

#include "crc16.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace {

// A day the month of that year does not have would silently become a day
// of the next month on the terminal.
bool inRange(const SwitchMoment& m, int year) {
    return m.month >= 1 && m.month <= 12 && m.day >= 1 && m.day <= TerminalTime::daysInMonth(m.month, year) &&
           m.hour >= 0 && m.hour <= 23 && m.minute >= 0 && m.minute <= 59;
}

bool parse(std::string_view text, const char* format, int year, SwitchMoment& out) {
    std::string value(text);
    SwitchMoment m;
    if (std::sscanf(value.c_str(), format, &m.day, &m.month, &m.hour, &m.minute) != 4 || !inRange(m, year))
        return false;
    out = m;
    return true;
}

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t get32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

bool parseSummerStart(std::string_view text, int year, SwitchMoment& out) {
    return parse(text, "%d/%d-%d:%d", year, out);
}

bool parseSummerEnd(std::string_view text, int year, SwitchMoment& out) {
    return parse(text, "%d%*c%d%*c%d%*c%d", year, out);
}

bool daylightSwitchOn(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) == 'O' &&
            std::toupper(static_cast<unsigned char>(text[i + 1])) == 'N')
            return true;
    return false;
}

TerminalTime terminalTimeOf(const SwitchMoment& moment, int year) {
    CalendarRecord c;
    c.year = static_cast<std::uint8_t>(year - 1900);
    c.month = static_cast<std::uint8_t>(moment.month);
    c.day = static_cast<std::uint8_t>(moment.day);
    c.hour = static_cast<std::uint8_t>(moment.hour);
    c.minute = static_cast<std::uint8_t>(moment.minute);
    return TerminalTime::fromCalendar(c);
}

DaylightRecord DaylightRecord::decode(const std::uint8_t (&b)[kSize]) {
    DaylightRecord r;
    r.active = (b[0] | (b[1] << 8)) != 0;
    r.start = TerminalTime(get32(b + 2));
    r.end = TerminalTime(get32(b + 6));
    return r;
}

void DaylightRecord::encode(std::uint8_t (&b)[kSize]) const {
    b[0] = active ? 1 : 0;
    b[1] = 0;
    put32(b + 2, start.seconds());
    put32(b + 6, end.seconds());
    std::uint16_t crc = fnd::crc16(b, 10);
    b[10] = static_cast<std::uint8_t>(crc);
    b[11] = static_cast<std::uint8_t>(crc >> 8);
}
