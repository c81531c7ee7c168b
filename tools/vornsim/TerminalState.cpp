#include "TerminalState.h"

#include "TerminalTime.h"

#include <cstdio>
#include <ctime>
#include <iterator>
#include <fstream>
#include <random>
#include <stdexcept>

namespace vornsim {

using json = nlohmann::ordered_json;

namespace {

struct ModelName {
    const char* name;
    int code;
};
constexpr ModelName kModels[] = {{"VORN1", 1}, {"VORN2", 2}, {"VORN3", 3}, {"VORN-L", 4}, {"VORN2C", 5}, {"VORNT2", 6}, {"VORNT3", 7}, {"VORN2B", 8}};

// Readable stamps; a value before 1 January 1990 (an unset time) stays a number.
json timeToJson(std::uint32_t t) { return t < 86400 ? json(t) : json(formatTerminalTime(t)); }
std::uint32_t timeFromJson(const json& j) {
    if (j.is_number_unsigned()) return j.get<std::uint32_t>();
    auto t = parseTerminalTime(j.get<std::string>());
    if (!t) throw std::runtime_error("bad time \"" + j.get<std::string>() + "\"");
    return *t;
}

// A punch and a job record begin alike: who, where and when.
template <class Record>
json recordHeadToJson(const Record& r) {
    return {{"company", r.company}, {"terminal", r.terminal}, {"employee", r.employee}, {"time", timeToJson(r.time)}};
}
template <class Record>
void recordHeadFromJson(const json& j, Record& r) {
    r.company = j.value("company", std::uint8_t{0});
    r.terminal = j.value("terminal", std::uint8_t{0});
    r.employee = j.value("employee", std::uint32_t{0});
    r.time = timeFromJson(j.at("time"));
}

json transactionToJson(const Transaction& t) {
    json j = recordHeadToJson(t);
    j["flags"] = t.flags;
    j["cause"] = t.cause;
    if (t.job || t.workHigh) {
        j["job"] = t.job;
        j["workHigh"] = t.workHigh;
    }
    if (t.check) j["check"] = *t.check;
    return j;
}
Transaction transactionFromJson(const json& j) {
    Transaction t;
    recordHeadFromJson(j, t);
    t.flags = j.value("flags", std::uint8_t{0});
    t.cause = j.value("cause", std::uint8_t{0});
    t.job = j.value("job", std::uint32_t{0});
    t.workHigh = j.value("workHigh", std::uint8_t{0});
    if (j.contains("check")) t.check = j.at("check").get<std::uint16_t>();
    return t;
}

json jobToJson(const JobRecord& r) {
    json j = recordHeadToJson(r);
    j["status"] = r.status;
    j["data"] = r.data;
    j["offsets"] = r.offsets;
    j["lengths"] = r.lengths;
    if (r.check) j["check"] = *r.check;
    return j;
}
JobRecord jobFromJson(const json& j) {
    JobRecord r;
    recordHeadFromJson(j, r);
    r.status = j.value("status", std::uint8_t{0});
    r.data = j.value("data", std::string());
    if (j.contains("offsets")) r.offsets = j.at("offsets").get<std::array<std::uint8_t, 7>>();
    if (j.contains("lengths")) r.lengths = j.at("lengths").get<std::array<std::uint8_t, 7>>();
    if (j.contains("check")) r.check = j.at("check").get<std::uint16_t>();
    return r;
}

json extendedToJson(const ExtendedRecord& e) {
    return {{"terminal", e.terminal}, {"employee", e.employee}, {"counter", e.counter},
            {"time", timeToJson(e.time)}, {"unit", e.unit}, {"code", e.code}, {"text", e.text},
            {"value26", e.value26}, {"value28", e.value28}, {"time2", timeToJson(e.time2)},
            {"value34", e.value34}, {"value36", e.value36}, {"hundredths", e.hundredths}, {"value44", e.value44}};
}
ExtendedRecord extendedFromJson(const json& j) {
    ExtendedRecord e;
    e.terminal = j.value("terminal", std::uint8_t{0});
    e.employee = j.value("employee", std::uint32_t{0});
    e.counter = j.value("counter", std::uint16_t{0});
    e.time = timeFromJson(j.at("time"));
    e.unit = j.value("unit", std::uint8_t{0});
    e.code = j.value("code", std::uint8_t{0});
    e.text = j.value("text", std::string());
    e.value26 = j.value("value26", std::int16_t{0});
    e.value28 = j.value("value28", std::uint16_t{0});
    e.time2 = j.contains("time2") ? timeFromJson(j.at("time2")) : 0;
    e.value34 = j.value("value34", std::int16_t{0});
    e.value36 = j.value("value36", std::int32_t{0});
    e.hundredths = j.value("hundredths", std::int32_t{0});
    e.value44 = j.value("value44", std::int16_t{0});
    return e;
}

json employeeToJson(const Employee& e) {
    return {{"company", e.company}, {"number", e.number}, {"name", e.name}, {"texts", e.texts},
            {"flags", e.flags}, {"item", e.item}, {"level", e.level}, {"disabled", e.disabled},
            {"jo", e.jo}, {"jc", e.jc}};
}
Employee employeeFromJson(const json& j) {
    Employee e;
    e.company = j.value("company", std::uint8_t{0});
    e.number = j.at("number").get<std::uint32_t>();
    e.name = j.value("name", std::string());
    if (j.contains("texts")) {
        auto texts = j.at("texts").get<std::vector<std::string>>();
        for (std::size_t i = 0; i < texts.size() && i < 8; ++i) e.texts[i] = texts[i];
    }
    e.flags = j.value("flags", std::uint8_t{0});
    e.item = j.value("item", std::uint16_t{0});
    e.level = j.value("level", std::uint8_t{0});
    e.disabled = j.value("disabled", false);
    e.jo = j.value("jo", std::uint32_t{0});
    e.jc = j.value("jc", std::uint32_t{0});
    return e;
}

template <class T, class F>
json listToJson(const std::vector<T>& items, F f) {
    json a = json::array();
    for (const auto& i : items) a.push_back(f(i));
    return a;
}
template <class T, class F>
void listFromJson(const json& j, const char* key, std::vector<T>& out, F f) {
    if (!j.contains(key)) return;
    for (const auto& i : j.at(key)) out.push_back(f(i));
}

Terminal terminalFromJson(const json& j) {
    Terminal t;
    t.node = j.at("node").get<int>();
    if (t.node < 1 || t.node > 99) throw std::runtime_error("node must be 1..99");
    auto model = modelFromText(j.value("model", std::string("VORN1")));
    if (!model) throw std::runtime_error("unknown model \"" + j.value("model", std::string()) + "\"");
    t.model = *model;
    t.line = j.value("line", std::string());
    t.termNr = j.value("termNr", t.node);
    t.password = j.value("password", std::string());
    t.employeeFormat = defaultEmployeeFormat(t.model);
    if (j.contains("employeeFormat")) {
        auto f = formatFromName(j.at("employeeFormat").get<std::string>());
        if (!f) throw std::runtime_error("employeeFormat must be US, UM or EM");
        t.employeeFormat = *f;
    }
    t.clockOffset = j.value("clockOffset", std::int64_t{0});
    listFromJson(j, "punches", t.punches, transactionFromJson);
    listFromJson(j, "recoverable", t.recoverable, transactionFromJson);
    listFromJson(j, "jobs", t.jobs, jobFromJson);
    listFromJson(j, "extended", t.extended, extendedFromJson);
    listFromJson(j, "employees", t.employees, employeeFromJson);
    if (j.contains("daylight")) {
        const json& d = j.at("daylight");
        t.daylight.active = d.value("active", std::uint16_t{0});
        t.daylight.begin = d.contains("begin") ? timeFromJson(d.at("begin")) : 0;
        t.daylight.end = d.contains("end") ? timeFromJson(d.at("end")) : 0;
    }
    if (j.contains("version")) {
        const json& v = j.at("version");
        VersionInfo& o = t.version;
        o.programmer = v.value("programmer", o.programmer);
        o.date = v.value("date", o.date);
        o.time = v.value("time", o.time);
        o.version = v.value("version", o.version);
        o.rec = v.value("rec", o.rec);
        o.numOfEmp = v.value("numOfEmp", o.numOfEmp);
        o.numOfMes = v.value("numOfMes", o.numOfMes);
        o.mes = v.value("mes", o.mes);
    }
    badgeFromJson(j, t.badge);
    if (j.contains("tables")) t.tables = j.at("tables");
    configFromJson(j, t);
    return t;
}

}  // namespace

std::optional<int> modelFromText(const std::string& text) {
    for (const auto& m : kModels)
        if (text == m.name || text == std::to_string(m.code)) return m.code;
    return std::nullopt;
}

const char* modelName(int model) {
    for (const auto& m : kModels)
        if (m.code == model) return m.name;
    return "?";
}

EmployeeFormat defaultEmployeeFormat(int model) {
    return model == 3 || model == 4 ? EmployeeFormat::US : EmployeeFormat::EM;
}

std::uint32_t Terminal::clockNow() const {
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(hostTerminalNow()) + clockOffset);
}

void Terminal::setClock(std::uint32_t terminalTime) {
    clockOffset = static_cast<std::int64_t>(terminalTime) - static_cast<std::int64_t>(hostTerminalNow());
}

namespace {

const char* const kSurnames[] = {"BIANCHI", "FERRARI", "ESPOSITO", "COLOMBO", "RICCI", "MARINO", "GRECO", "BRUNO"};
const char* const kNames[] = {"ANNA", "LUCA", "GIULIA", "MARCO", "SARA", "PAOLO", "ELENA", "DAVIDE"};
constexpr std::uint8_t kKinds[] = {0x00, 0x04, 0x00, 0x04, 0x20, 0x24, 0x40, 0x44, 0x60};

Transaction makePunch(const Terminal& t, std::mt19937& rng, std::uint32_t time) {
    Transaction r;
    r.company = 1;
    r.terminal = static_cast<std::uint8_t>(t.termNr);
    r.employee = t.employees.empty() ? 1000 + rng() % 9000 : t.employees[rng() % t.employees.size()].number;
    r.time = time;
    r.flags = kKinds[rng() % std::size(kKinds)];
    r.cause = static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() % 20 : 0);
    if (t.model == 5 && rng() % 5 == 0) {
        r.flags = 0x80 | (rng() % 2 ? 4 : 0);
        r.job = 100000 + rng() % 900000;
        std::uint16_t work = static_cast<std::uint16_t>(rng() % 2000);
        r.cause = static_cast<std::uint8_t>(work & 0xff);
        r.workHigh = static_cast<std::uint8_t>(work >> 8);
    }
    return r;
}

ExtendedRecord makeExtended(const Terminal& t, std::mt19937& rng, std::uint32_t time) {
    static const std::uint8_t codes[] = {1, 3, 4, 16, 0};
    ExtendedRecord e;
    e.terminal = static_cast<std::uint8_t>(t.termNr);
    e.employee = 1000 + rng() % 9000;
    e.counter = static_cast<std::uint16_t>(rng() % 10000);
    e.time = time;
    e.unit = static_cast<std::uint8_t>(rng() % 100);
    e.code = codes[rng() % std::size(codes)];
    e.text = "ART" + std::to_string(rng() % 10000);
    e.value26 = static_cast<std::int16_t>(static_cast<int>(rng() % 2000) - 1000);
    e.value28 = static_cast<std::uint16_t>(rng() % 10000);
    e.time2 = time + rng() % 3600;
    e.value34 = static_cast<std::int16_t>(rng() % 500);
    e.value36 = static_cast<std::int32_t>(rng() % 200000) - 100000;
    e.hundredths = static_cast<std::int32_t>(rng() % 2000000) - 1000000;
    e.value44 = static_cast<std::int16_t>(rng() % 100);
    return e;
}

std::uint32_t lastTime(const Terminal& t) {
    std::uint32_t last = toTerminalTime({2026, 1, 5, 7, 0, 0});
    for (const auto& p : t.punches) last = std::max(last, p.time);
    for (const auto& p : t.extended) last = std::max(last, p.time);
    return last;
}

}  // namespace

void generate(Terminal& t, const GenerateOptions& g) {
    std::mt19937 rng(g.seed * 1009u + static_cast<std::uint32_t>(t.node));
    for (int i = 0; i < g.employees; ++i) {
        Employee e;
        e.company = 1;
        e.number = 1000 + static_cast<std::uint32_t>(t.employees.size());
        e.name = std::string(kSurnames[rng() % 8]) + " " + kNames[rng() % 8];
        e.texts[0] = "REPARTO " + std::to_string(rng() % 10);
        t.employees.push_back(e);
    }
    std::uint32_t time = lastTime(t);
    for (int i = 0; i < g.records; ++i) {
        time += 30 + rng() % 600;
        if (t.model == 8)
            t.extended.push_back(makeExtended(t, rng, time));
        else
            t.punches.push_back(makePunch(t, rng, time));
    }
    for (int i = 0; i < g.recoverable; ++i) {
        time += 30 + rng() % 600;
        t.recoverable.push_back(makePunch(t, rng, time));
    }
    for (int i = 0; i < g.jobs; ++i) {
        time += 30 + rng() % 600;
        JobRecord j;
        j.company = 1;
        j.terminal = static_cast<std::uint8_t>(t.termNr);
        j.employee = 1000 + rng() % 9000;
        j.time = time;
        static const std::uint8_t statuses[] = {3, 6, 33, 134};
        j.status = statuses[rng() % 4];
        j.data = "C" + std::to_string(100000 + rng() % 900000) + " F" + std::to_string(rng() % 100);
        j.offsets = {0, 8, 0, 0, 0, 0, 0};
        j.lengths = {7, 3, 0, 0, 0, 0, 0};
        t.jobs.push_back(j);
    }
}

void addFreshRecords(Terminal& t, int count, std::uint32_t seed) {
    std::mt19937 rng(seed * 7919u + static_cast<std::uint32_t>(t.node));
    std::uint32_t time = std::max(lastTime(t), t.clockNow());
    for (int i = 0; i < count; ++i) {
        if (t.model == 8)
            t.extended.push_back(makeExtended(t, rng, time + i));
        else
            t.punches.push_back(makePunch(t, rng, time + i));
    }
}

json toJson(const std::vector<Terminal>& terminals) {
    json list = json::array();
    for (const auto& t : terminals) {
        json j = {{"node", t.node},
                  {"line", t.line},
                  {"model", modelName(t.model)},
                  {"termNr", t.termNr},
                  {"password", t.password},
                  {"employeeFormat", formatName(t.employeeFormat)},
                  {"clockOffset", t.clockOffset},
                  {"punches", listToJson(t.punches, transactionToJson)},
                  {"recoverable", listToJson(t.recoverable, transactionToJson)},
                  {"jobs", listToJson(t.jobs, jobToJson)},
                  {"extended", listToJson(t.extended, extendedToJson)},
                  {"employees", listToJson(t.employees, employeeToJson)},
                  {"daylight",
                   {{"active", t.daylight.active},
                    {"begin", timeToJson(t.daylight.begin)},
                    {"end", timeToJson(t.daylight.end)}}},
                  {"version",
                   {{"programmer", t.version.programmer},
                    {"date", t.version.date},
                    {"time", t.version.time},
                    {"version", t.version.version},
                    {"rec", t.version.rec},
                    {"numOfEmp", t.version.numOfEmp},
                    {"numOfMes", t.version.numOfMes},
                    {"mes", t.version.mes}}},
                  {"tables", t.tables}};
        badgeToJson(t.badge, j);
        configToJson(t.config, j);
        list.push_back(std::move(j));
    }
    return {{"terminals", list}};
}

std::vector<Terminal> fromJson(const json& state) {
    std::vector<Terminal> out;
    std::size_t index = 0;
    try {
        for (const auto& j : state.at("terminals")) {
            out.push_back(terminalFromJson(j));
            ++index;
        }
    } catch (const std::exception& e) {
        throw std::runtime_error("terminal " + std::to_string(index + 1) + ": " + e.what());
    }
    return out;
}

std::vector<Terminal> loadState(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read state file " + path);
    json j = json::parse(in, nullptr, false);
    if (j.is_discarded()) throw std::runtime_error("state file " + path + " is not valid JSON");
    return fromJson(j);
}

void saveState(const std::string& path, const std::vector<Terminal>& terminals) {
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        if (!out) throw std::runtime_error("cannot write state file " + path);
        out << toJson(terminals).dump(2) << "\n";
        if (!out.flush()) throw std::runtime_error("cannot write state file " + path);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot replace state file " + path);
}

}  // namespace vornsim
