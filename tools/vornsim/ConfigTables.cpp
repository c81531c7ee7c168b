#include "ConfigTables.h"

#include "TerminalState.h"

#include "crc16.h"

#include <cstring>
#include <stdexcept>

namespace vornsim {

using json = nlohmann::ordered_json;

namespace {

enum class Kind { Number, Text, List };

struct Field {
    const char* name;
    std::size_t offset;
    std::size_t size;
    Kind kind = Kind::Number;
};

constexpr Field kParameterFields[] = {
    {"password", 0, 8, Kind::Text},    {"model", 8, 1},           {"termNr", 9, 1},
    {"node", 10, 1},                   {"linkKind", 11, 1},       {"speeds", 12, 3, Kind::List},
    {"timeouts", 15, 3, Kind::List},   {"infoMenu", 18, 1},       {"punchDisplay", 19, 1},
    {"doublePunch", 20, 1},            {"queuedPunch", 21, 1},    {"rings", 22, 1},
    {"modemInit", 23, 21, Kind::Text}, {"doorActivation", 44, 1}, {"generalEnable", 45, 1},
    {"causes", 46, 1},                 {"showPunches", 47, 1},    {"information", 48, 1},
    {"messages", 49, 1},               {"label1", 50, 21, Kind::Text},  {"label2", 71, 21, Kind::Text},
    {"label3", 92, 21, Kind::Text},    {"label4", 113, 21, Kind::Text}, {"label5", 134, 21, Kind::Text},
    {"label6", 155, 21, Kind::Text},   {"label7", 176, 21, Kind::Text}, {"label8", 197, 21, Kind::Text},
    {"procedures", 218, 12, Kind::List}, {"plantCode", 230, 2},   {"doorTime", 232, 2},
    {"serialNumber", 234, 4},
};

constexpr Field kLineParameterFields[] = {
    {"node", 0, 1},      {"speed", 1, 1},     {"punchMode", 2, 1}, {"confirm", 3, 1},
    {"causes", 4, 1},    {"relayMode", 5, 1}, {"relayTime", 6, 1}, {"display", 7, 1},
};

constexpr Field kEepromFields[] = {
    {"name", 0, 20, Kind::Text}, {"node", 41, 1}, {"plantCode", 43, 2}, {"serialNumber", 45, 4}};

std::uint32_t getLe(const Bytes& b, std::size_t offset, std::size_t size) {
    std::uint32_t v = 0;
    for (std::size_t i = size; i-- > 0;) v = v << 8 | b[offset + i];
    return v;
}

void putLe(Bytes& b, std::size_t offset, std::size_t size, std::uint32_t v) {
    for (std::size_t i = 0; i < size; ++i) b[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void putText(Bytes& b, std::size_t offset, std::size_t width, const std::string& text) {
    std::fill(b.begin() + static_cast<std::ptrdiff_t>(offset), b.begin() + static_cast<std::ptrdiff_t>(offset + width), 0);
    std::memcpy(b.data() + offset, text.data(), std::min(text.size(), width));
}

std::uint16_t crcOf(const Bytes& b) { return fnd::crc16(b.data(), b.size() - 2); }

void seal(Bytes& b) {
    std::uint16_t crc = crcOf(b);
    b[b.size() - 2] = static_cast<std::uint8_t>(crc);
    b[b.size() - 1] = static_cast<std::uint8_t>(crc >> 8);
}

template <std::size_t N>
json blockToJson(const Bytes& b, const Field (&fields)[N], std::size_t size) {
    if (b.size() != size) return {{"raw", hexEncode(b)}};
    json j = json::object();
    for (const Field& f : fields) {
        if (f.kind == Kind::Number) {
            j[f.name] = getLe(b, f.offset, f.size);
        } else if (f.kind == Kind::List) {
            j[f.name] = Bytes(b.begin() + static_cast<std::ptrdiff_t>(f.offset),
                              b.begin() + static_cast<std::ptrdiff_t>(f.offset + f.size));
        } else {
            // Trailing NULs are padding; NULs inside the field are kept.
            std::string text(b.begin() + static_cast<std::ptrdiff_t>(f.offset),
                             b.begin() + static_cast<std::ptrdiff_t>(f.offset + f.size));
            text.erase(text.find_last_not_of('\0') + 1);
            j[f.name] = text;
        }
    }
    if (!sealed(b)) j["check"] = b[size - 2] | b[size - 1] << 8;
    return j;
}

template <std::size_t N>
Bytes blockFromJson(const json& j, const Field (&fields)[N], Bytes block) {
    if (j.contains("raw")) {
        auto raw = hexDecode(j.at("raw").get<std::string>());
        if (!raw) throw std::runtime_error("\"raw\" is not hexadecimal");
        return *raw;
    }
    for (const Field& f : fields) {
        if (!j.contains(f.name)) continue;
        const json& v = j.at(f.name);
        if (f.kind == Kind::Number) {
            putLe(block, f.offset, f.size, v.get<std::uint32_t>());
        } else if (f.kind == Kind::List) {
            auto list = v.get<Bytes>();
            if (list.size() != f.size) throw std::runtime_error(std::string(f.name) + " needs " + std::to_string(f.size) + " bytes");
            std::copy(list.begin(), list.end(), block.begin() + static_cast<std::ptrdiff_t>(f.offset));
        } else {
            putText(block, f.offset, f.size, v.get<std::string>());
        }
    }
    seal(block);
    if (j.contains("check")) {
        auto check = j.at("check").get<std::uint16_t>();
        block[block.size() - 2] = static_cast<std::uint8_t>(check);
        block[block.size() - 1] = static_cast<std::uint8_t>(check >> 8);
    }
    return block;
}

json alarmToJson(int number, const Bytes& r) {
    json j = {{"number", number}, {"start", getLe(r, 0, 4)}, {"days", r[4]}, {"duration", getLe(r, 5, 2)},
              {"lastActivation", getLe(r, 9, 4)}};
    if (!sealed(Bytes(r.begin(), r.begin() + 9))) j["check"] = getLe(r, 7, 2);
    return j;
}

Bytes alarmFromJson(const json& j) {
    Bytes r(kAlarmRecordSize, 0);
    putLe(r, 0, 4, j.value("start", 0u));
    r[4] = j.value("days", std::uint8_t{0});
    putLe(r, 5, 2, j.value("duration", 0u));
    std::uint16_t crc = fnd::crc16(r.data(), 7);
    putLe(r, 7, 2, j.value("check", crc));
    putLe(r, 9, 4, j.value("lastActivation", 0u));
    return r;
}

}  // namespace

Bytes defaultParameters(const Terminal& t) {
    Bytes b(kParameterBlockSize, 0);
    putText(b, 0, 7, t.password);
    b[8] = static_cast<std::uint8_t>(t.model);
    b[9] = static_cast<std::uint8_t>(t.termNr);
    b[10] = static_cast<std::uint8_t>(t.node);
    const std::uint8_t identity[] = {1, 3, 3, 0, 2, 2, 9, 5, 3, 60, 5, 3};  // link kind .. rings
    std::copy(std::begin(identity), std::end(identity), b.begin() + 11);
    putText(b, 23, 21, "ATZ");
    const std::uint8_t enables[] = {0, 3, 1, 1, 1, 0};  // door activation .. messages
    std::copy(std::begin(enables), std::end(enables), b.begin() + 44);
    putLe(b, 230, 2, 1);                                           // plant code
    putLe(b, 232, 2, 5);                                           // door time, seconds
    putLe(b, 234, 4, 100000u + static_cast<std::uint32_t>(t.node));  // serial number
    seal(b);
    return b;
}

Bytes defaultLineParameters(const Terminal& t) {
    Bytes b = {static_cast<std::uint8_t>(t.node), 3, 0, 0, 0, 0, 5, 1, 0, 0};
    seal(b);
    return b;
}

Bytes defaultEeprom(const Terminal& t) {
    Bytes b(kEepromRecordSize, 0);
    putText(b, 0, 20, "VORNSIM " + std::to_string(t.node));
    b[41] = static_cast<std::uint8_t>(t.node);
    putLe(b, 43, 2, 1);
    putLe(b, 45, 4, 100000u + static_cast<std::uint32_t>(t.node));
    seal(b);
    return b;
}

bool sealed(const Bytes& block) {
    if (block.size() < 2) return false;
    std::uint16_t crc = crcOf(block);
    return block[block.size() - 2] == (crc & 0xFF) && block[block.size() - 1] == crc >> 8;
}

void configToJson(const ConfigTables& c, json& terminal) {
    if (!c.causes.empty()) {
        json causes = json::array();
        for (const auto& [code, text] : c.causes) causes.push_back({{"code", code}, {"text", text}});
        terminal["causes"] = causes;
    }
    if (!c.alarms.empty()) {
        json alarms = json::array();
        for (const auto& [number, record] : c.alarms) alarms.push_back(alarmToJson(number, record));
        terminal["alarms"] = alarms;
    }
    if (!c.parameters.empty()) terminal["parameters"] = blockToJson(c.parameters, kParameterFields, kParameterBlockSize);
    if (!c.lineParameters.empty())
        terminal["lineParameters"] = blockToJson(c.lineParameters, kLineParameterFields, kLineParameterBlockSize);
    if (!c.eeprom.empty()) terminal["eeprom"] = blockToJson(c.eeprom, kEepromFields, kEepromRecordSize);
}

void configFromJson(const json& j, Terminal& t) {
    ConfigTables& c = t.config;
    if (j.contains("causes"))
        for (const auto& cause : j.at("causes")) c.causes[cause.at("code").get<int>()] = cause.value("text", std::string());
    if (j.contains("alarms"))
        for (const auto& alarm : j.at("alarms")) c.alarms[alarm.at("number").get<int>()] = alarmFromJson(alarm);
    if (j.contains("parameters")) c.parameters = blockFromJson(j.at("parameters"), kParameterFields, defaultParameters(t));
    if (j.contains("lineParameters"))
        c.lineParameters = blockFromJson(j.at("lineParameters"), kLineParameterFields, defaultLineParameters(t));
    if (j.contains("eeprom")) c.eeprom = blockFromJson(j.at("eeprom"), kEepromFields, defaultEeprom(t));
}

}  // namespace vornsim
