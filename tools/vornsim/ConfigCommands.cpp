#include "ConfigCommands.h"

#include <algorithm>

namespace vornsim {
namespace {

constexpr int kVorn1 = 1;
constexpr int kVorn2 = 2;
constexpr int kVornL = 4;
constexpr std::size_t kMaxCauses = 30;
constexpr std::size_t kMaxAlarmNumber = 255;

Answer ok(Bytes data = {}) { return {Answer::Ok, std::move(data), {}}; }
Answer done() { return {}; }
Answer warning(std::string why) { return {Answer::Warning, std::nullopt, std::move(why)}; }
Answer error(std::string why) { return {Answer::Error, std::nullopt, std::move(why)}; }

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The refusal of a request whose data is not exactly `size` bytes.
std::optional<Answer> wrongSize(const Request& r, std::size_t size) {
    if (!r.data) return error("no record");
    if (r.data->size() != size)
        return error("record of " + std::to_string(r.data->size()) + " bytes, needs " + std::to_string(size));
    return std::nullopt;
}

Answer causes(Terminal& t, const Request& r) {
    auto& table = t.config.causes;
    if (r.text == "CA,DE") {
        table.clear();
        return done();
    }
    bool store = startsWith(r.text, "CA,SE,");
    if (!store && !startsWith(r.text, "CA,GE,")) return warning("unknown command");
    auto code = parseIndex(r.text.substr(6));
    if (!code || *code > 99) return error("cause code is not 0..99 in lowercase hexadecimal");
    int key = static_cast<int>(*code);
    if (!store) {
        Bytes record(kCauseRecordSize, 0);
        if (auto at = table.find(key); at != table.end()) std::copy(at->second.begin(), at->second.end(), record.begin());
        return ok(record);
    }
    if (auto bad = wrongSize(r, kCauseRecordSize)) return *bad;
    const Bytes& d = *r.data;
    auto end = std::find(d.begin(), d.end(), 0);
    if (end == d.end()) return error("description without its NUL");
    if (!table.count(key) && table.size() >= kMaxCauses) return error("cause table full");
    table[key] = std::string(d.begin(), end);
    return done();
}

Answer alarms(Terminal& t, const Request& r) {
    auto& table = t.config.alarms;
    if (r.text == "AL,DE,*") {
        table.clear();
        return done();
    }
    bool store = startsWith(r.text, "AL,SE,");
    if (!store && !startsWith(r.text, "AL,GE,")) return warning("unknown command");
    auto number = parseIndex(r.text.substr(6));
    if (!number || *number > kMaxAlarmNumber) return error("no such alarm number");
    int key = static_cast<int>(*number);
    if (!store) {
        auto at = table.find(key);
        return ok(at == table.end() ? Bytes(kAlarmRecordSize, 0) : at->second);
    }
    if (auto bad = wrongSize(r, kAlarmRecordSize)) return *bad;
    if (!sealed(Bytes(r.data->begin(), r.data->begin() + 9))) return error("wrong alarm record check");
    table[key] = *r.data;
    return done();
}

// A block the terminal answers with ("get") or replaces ("set").
Answer block(Bytes& stored, const Request& r, bool set, std::size_t size, const Bytes& defaults) {
    if (!set) return ok(stored.empty() ? defaults : stored);
    if (auto bad = wrongSize(r, size)) return *bad;
    if (!sealed(*r.data)) return error("wrong block check");
    stored = *r.data;
    return done();
}

}  // namespace

std::optional<Answer> answerConfigRequest(Terminal& t, const Request& r) {
    const std::string& text = r.text;
    if (startsWith(text, "CA,")) return causes(t, r);
    if (startsWith(text, "AL,")) return alarms(t, r);
    if (text == "PA,GE" || text == "PA,SE") {
        if (t.model == kVornL) return warning("the VORN-L keeps its parameters in GL,PG");
        return block(t.config.parameters, r, text == "PA,SE", kParameterBlockSize, defaultParameters(t));
    }
    if (text == "GL,PG" || text == "GL,PS") {
        if (t.model != kVornL) return warning("unknown command");
        return block(t.config.lineParameters, r, text == "GL,PS", kLineParameterBlockSize, defaultLineParameters(t));
    }
    if (text == "EE,GE" || text == "EE,SE") {
        if (t.model != kVorn1 && t.model != kVorn2) return warning("no EEPROM identity on this model");
        return block(t.config.eeprom, r, text == "EE,SE", kEepromRecordSize, defaultEeprom(t));
    }
    return std::nullopt;
}

}  // namespace vornsim
