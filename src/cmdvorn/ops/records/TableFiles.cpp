#include "TableFiles.h"

#include <cstring>

namespace {

constexpr int kAlarmParts = 10;
constexpr int kDayParts = 7;
constexpr int kFirstDayPart = 3;
constexpr long kMaxDuration = 0xFFFF;

std::string_view withoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

std::string_view trimmed(std::string_view text) {
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Blank, comment or too long: the line holds no entry.
bool screen(std::string_view line, TableLine& verdict, LineFault& fault) {
    std::string_view content = trimmed(line);
    if (content.empty() || content[0] == '#') {
        verdict = TableLine::Nothing;
        return false;
    }
    if (line.size() > kMaxTableLineLength) {
        fault = {"Riga", zString::format("> %d", kMaxTableLineLength)};
        verdict = TableLine::Bad;
        return false;
    }
    return true;
}

// Digits only (blanks around them allowed), at most `max`.
bool decimal(std::string_view text, long max, long& value) {
    text = trimmed(text);
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= max;
}

TableLine refuse(LineFault& fault, const char* field, std::string_view value) {
    fault = {field, zString(value)};
    return TableLine::Bad;
}

// "hh:mm" as seconds after midnight.
bool startTime(std::string_view text, std::uint32_t& seconds) {
    text = trimmed(text);
    auto colon = text.find(':');
    long hour, minute;
    if (colon == std::string_view::npos || colon > 2 || text.size() - colon - 1 > 2) return false;
    if (!decimal(text.substr(0, colon), 23, hour) || !decimal(text.substr(colon + 1), 59, minute)) return false;
    seconds = static_cast<std::uint32_t>(hour * 3600 + minute * 60);
    return true;
}

}  // namespace

void CauseEntry::encode(std::uint8_t (&record)[kRecordSize]) const {
    std::memset(record, 0, kRecordSize);
    std::memcpy(record, description, strnlen(description, kDescriptionLength));
}

TableLine parseCauseLine(std::string_view line, CauseEntry& entry, LineFault& fault) {
    line = withoutLineEnd(line);
    TableLine verdict;
    if (!screen(line, verdict, fault)) return verdict;

    std::string_view code = line.substr(0, 2);
    long value;
    if (!decimal(code, 99, value)) return refuse(fault, "Cod. giustificativo", code);
    std::string_view description = line.size() > 2 ? line.substr(2) : std::string_view();
    while (!description.empty() && (description.back() == ' ' || description.back() == '\t'))
        description.remove_suffix(1);
    if (trimmed(description).empty()) return refuse(fault, "Descrizione", "mancante");

    entry = CauseEntry();
    entry.code = static_cast<int>(value);
    std::memcpy(entry.description, description.data(),
                std::min(description.size(), static_cast<std::size_t>(CauseEntry::kDescriptionLength)));
    return TableLine::Entry;
}

TableLine parseAlarmLine(std::string_view line, AlarmEntry& entry, LineFault& fault) {
    line = withoutLineEnd(line);
    TableLine verdict;
    if (!screen(line, verdict, fault)) return verdict;

    std::string_view parts[kAlarmParts];
    int count = 0;
    for (std::string_view rest = line;; ++count) {
        auto comma = rest.find(',');
        if (count == kAlarmParts) return refuse(fault, "Giorni", "> 7");
        parts[count] = rest.substr(0, comma);
        if (comma == std::string_view::npos) {
            ++count;
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    if (count < kFirstDayPart) return refuse(fault, "Campi", zString::format("%d < 3", count));

    entry = AlarmEntry();
    long number, duration;
    if (!decimal(parts[0], 0x7FFFFFFF, number)) return refuse(fault, "Num. alarm", parts[0]);
    if (!startTime(parts[1], entry.record.startTime)) return refuse(fault, "Ora", parts[1]);
    if (!decimal(parts[2], kMaxDuration, duration)) return refuse(fault, "Durata", parts[2]);
    entry.number = static_cast<int>(number);
    entry.record.duration = static_cast<std::uint16_t>(duration);
    for (int day = 0; day < kDayParts && kFirstDayPart + day < count; ++day)
        if (parts[kFirstDayPart + day].find("SI") != std::string_view::npos)
            entry.record.days = static_cast<std::uint8_t>(entry.record.days | (1u << day));
    return TableLine::Entry;
}
