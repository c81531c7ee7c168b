#include "RecordLayout.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxIdLength = 5;
constexpr int kMaxDefinitionParts = 20;
constexpr int kLastSettingPart = 10;  // parts 2 to 10 of a definition are settings

bool isTypeWord(std::string_view part) {
    static constexpr const char* kWords[] = {"CA", "DA", "MA", "NA", "JC", "JD", "LE", "RE", "TE", "TI",
                                             "PL", "IN", "CO", "JO", "MO", "WO", "JS", "WS", "DU", "EV"};
    if (part.size() < 2) return false;
    for (const char* w : kWords)
        if (part.substr(0, 2) == w) return true;
    return false;
}

// Decimal number of a setting, kept inside the byte it is stored in.
std::uint8_t byteValue(std::string_view text) {
    long n = zString(text).toLong();
    return static_cast<std::uint8_t>(std::clamp(n, 0L, 255L));
}

// "(" counts as a blank and ")" ends the value; each text between a pair of
// apostrophes becomes the next replacement text.
void readValues(std::string_view text, FLD_FMT_t& field) {
    std::size_t end = text.find(')');
    if (end != std::string_view::npos) text = text.substr(0, end);
    int n = 0;
    std::size_t pos = 0;
    while (n < FLD_FMT_t::kValueCount) {
        std::size_t open = text.find('\'', pos);
        if (open == std::string_view::npos) break;
        std::size_t close = text.find('\'', open + 1);
        if (close == std::string_view::npos) break;
        char(&value)[FLD_FMT_t::kTextSize] = field.values[n++];
        copyFieldText(value, text.substr(open + 1, close - open - 1));
        for (char& c : value)
            if (c == '(') c = ' ';
        pos = close + 1;
    }
}

bool startsWithTfld(std::string_view id) { return id.substr(0, 4) == "TFLD"; }

// The separator is the character after the first apostrophe, unless that is
// a second apostrophe.
char separatorOf(const zString& value) {
    int quote = value.find('\'');
    if (quote < 0) return 0;
    char c = value[quote + 1];
    return c == '\'' ? 0 : c;
}

void loadField(const ParameterLookup& parameters, const zString& header, FLD_FMT_t& field, zLogger& log) {
    zString definition;
    if (!parameters.getValue(header, field.name, definition) || definition.trim().isEmpty()) {
        log.log("%s not defined %s", header.c_str(), field.name);
        return;
    }

    std::string_view parts[kMaxDefinitionParts];
    int count = 0;
    std::string_view rest = definition;
    while (count < kMaxDefinitionParts) {
        std::size_t comma = rest.find(',');
        parts[count++] = trimmedText(rest.substr(0, comma));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }

    std::string_view first = parts[0];
    bool constant = startsWithTfld(field.name);
    bool typed = isTypeWord(first);
    if (!typed && !constant) {
        log.log("Definition for %s not correct %s", field.name, std::string(first).c_str());
        return;
    }
    if (!typed) copyFieldText(field.defaultText, first);

    for (int i = 1; i < count && i < kLastSettingPart; ++i) {
        if (parts[i].empty()) continue;
        if (!readFieldSetting(parts[i], field, constant, log)) break;
    }
    if (typed && !constant) copyFieldText(field.name, first);
}

}  // namespace

std::string_view trimmedText(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

void copyFieldText(char (&target)[FLD_FMT_t::kTextSize], std::string_view text) {
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(FLD_FMT_t::kTextSize - 1));
    std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

bool readFieldSetting(std::string_view setting, FLD_FMT_t& field, bool constantField, zLogger& log) {
    std::size_t equals = setting.find('=');
    if (equals == std::string_view::npos) {
        if (!constantField) log.log("%s not defined for %s", std::string(setting).c_str(), field.name);
        return false;
    }
    std::string_view key = trimmedText(setting.substr(0, equals));
    std::string_view value = trimmedText(setting.substr(equals + 1));
    zString letters(key.substr(0, 2));
    letters.toUpper();

    if (letters == "LE")
        field.length = byteValue(value);
    else if (letters == "FM")
        copyFieldText(field.format, value);
    else if (letters == "DF")
        copyFieldText(field.defaultText, trimmedText(value.substr(0, FLD_FMT_t::kTextSize - 1)));
    else if (letters == "FR")
        field.from = byteValue(value);
    else if (letters == "VA")
        readValues(value, field);
    else {
        log.log("Unknown keyword %s for %s", std::string(setting).c_str(), field.name);
        return false;
    }
    return true;
}

void loadLayout(const ParameterLookup& parameters, const zString& section, LINE_FORMAT& layout, zLogger& log) {
    layout = LINE_FORMAT{};
    zString header = sectionHeader(section);

    zString format;
    if (!parameters.getValue(header, "FORMAT", format) || format.trim().isEmpty()) return;

    std::string_view rest = format;
    while (layout.count < LINE_FORMAT::kMaxFields) {
        std::size_t comma = rest.find(',');
        std::string_view id = trimmedText(rest.substr(0, comma));
        if (id.empty()) break;
        copyFieldText(layout.fields[layout.count++].name, id.substr(0, kMaxIdLength));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }

    for (int i = 0; i < layout.count; ++i) loadField(parameters, header, layout.fields[i], log);

    zString separator;
    if (parameters.getValue(header, "FLDSEP", separator)) layout.separator = separatorOf(separator);
}
