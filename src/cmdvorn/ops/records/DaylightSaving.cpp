#include "DaylightSaving.h"

#include "LittleEndian.h"
#include "crc16.h"
#include "zClock.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace {

// A day the month of that year does not have would silently become a day
// of the next month on the terminal.
bool inRange(const SwitchMoment& m, int year) {
    return m.month >= 1 && m.month <= 12 && m.day >= 1 && m.day <= fnd::daysInMonth(year, m.month) &&
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
    r.active = getLe16(b) != 0;
    r.start = TerminalTime(getLe32(b + 2));
    r.end = TerminalTime(getLe32(b + 6));
    return r;
}

void DaylightRecord::encode(std::uint8_t (&b)[kSize]) const {
    putLe16(b, active ? 1 : 0);
    putLe32(b + 2, start.seconds());
    putLe32(b + 6, end.seconds());
    putLe16(b + 10, fnd::crc16(b, 10));
}
