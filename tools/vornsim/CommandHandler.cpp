#include "CommandHandler.h"

#include "BadgeCommands.h"
#include "ConfigCommands.h"
#include "DeviceCommands.h"

#include <algorithm>
#include <map>

namespace vornsim {
namespace {

Answer ok(Bytes data) { return {Answer::Ok, std::move(data), {}}; }
Answer ok() { return {}; }
Answer warning(std::string why) { return {Answer::Warning, std::nullopt, std::move(why)}; }
Answer error(std::string why) { return {Answer::Error, std::nullopt, std::move(why)}; }

Bytes count16(std::size_t n) {
    auto v = static_cast<std::uint16_t>(std::min<std::size_t>(n, 32767));
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
}

}  // namespace

std::optional<std::size_t> parseIndex(const std::string& text) {
    if (text.empty() || text.size() > 7 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    std::size_t v = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            v = v * 16 + static_cast<std::size_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            v = v * 16 + static_cast<std::size_t>(c - 'a' + 10);
        else
            return std::nullopt;
    }
    return v;
}

namespace {

// "RE,GE,1f" with prefix "RE,GE," gives 31; other texts give nothing.
std::optional<std::optional<std::size_t>> indexAfter(const std::string& text, const std::string& prefix) {
    if (text.rfind(prefix, 0) != 0) return std::nullopt;
    return parseIndex(text.substr(prefix.size()));
}

template <class T, class Encode>
Answer recordAt(const std::vector<T>& list, const std::optional<std::size_t>& index, Encode encode) {
    if (!index) return error("index is not lowercase hexadecimal without leading zeros");
    if (*index >= list.size()) return warning("no record " + std::to_string(*index));
    return ok(encode(list[*index]));
}

struct LastPassage {
    std::uint16_t flags = 0;
    std::uint32_t time = 0;
};

std::map<std::uint32_t, LastPassage> lastPassages(const Terminal& t) {
    std::map<std::uint32_t, LastPassage> last;
    for (const auto* list : {&t.recoverable, &t.punches})
        for (const auto& p : *list) {
            auto& l = last[p.employee];
            if (p.time >= l.time) l = {p.flags, p.time};
        }
    return last;
}

std::string nameOf(const Terminal& t, std::uint32_t number) {
    for (const auto& e : t.employees)
        if (e.number == number) return e.name;
    return {};
}

Bytes latestTransactions(const Terminal& t) {
    std::vector<const Transaction*> all;
    for (const auto* list : {&t.recoverable, &t.punches})
        for (const auto& p : *list) all.push_back(&p);
    std::stable_sort(all.begin(), all.end(), [](auto* a, auto* b) { return a->time > b->time; });
    std::size_t n = std::min<std::size_t>(all.size(), 10);
    Bytes out(341, 0);
    out[0] = static_cast<std::uint8_t>(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Transaction& p = *all[i];
        Bytes r = encodeStatusRecord(nameOf(t, p.employee), p.employee, p.company, p.flags, p.time);
        std::copy(r.begin(), r.end(), out.begin() + 1 + 34 * static_cast<std::ptrdiff_t>(i));
    }
    return out;
}

Answer employeeStatus(Terminal& t, std::size_t index) {
    if (index >= t.employees.size()) return warning("no more employees");
    const Employee& e = t.employees[index];
    auto last = lastPassages(t);
    LastPassage p = last.count(e.number) ? last[e.number] : LastPassage{};
    t.infoCursor = index + 1;
    return ok(encodeStatusRecord(e.name, e.number, e.company, p.flags, p.time));
}

Answer storeEmployee(Terminal& t, const Request& r) {
    if (!r.data) return error("no record");
    std::string why;
    auto e = decodeEmployee(t.employeeFormat, *r.data, why);
    if (!e) return error(why);
    auto same = std::find_if(t.employees.begin(), t.employees.end(), [&](auto& x) { return x.number == e->number; });
    if (same != t.employees.end()) {
        if (t.employeeFormat != EmployeeFormat::EM) e->texts = same->texts;  // kept from EM,SD
        *same = *e;
    } else if (t.employees.size() >= t.version.numOfEmp) {
        return error("employee memory full");
    } else {
        t.employees.push_back(*e);
    }
    return ok();
}

Answer employeeAt(Terminal& t, std::size_t index) {
    if (index >= t.employees.size()) return warning("no more employees");
    t.employeeCursor = index + 1;
    return ok(encodeEmployee(t.employeeFormat, t.employees[index]));
}

Answer employeeCommand(Terminal& t, const std::string& object, const Request& r) {
    if (object != formatName(t.employeeFormat)) return warning("employees are kept in format " + std::string(formatName(t.employeeFormat)));
    const std::string& text = r.text;
    if (text == object + ",SE") return storeEmployee(t, r);
    if (t.employeeFormat == EmployeeFormat::US) {
        if (auto index = indexAfter(text, "US,GI,")) {
            if (!*index) return error("index is not lowercase hexadecimal without leading zeros");
            return employeeAt(t, **index);
        }
        if (text == "US,DE,*") {
            t.employees.clear();
            return ok();
        }
        return warning("unknown command");
    }
    if (text == object + ",GF,0") return employeeAt(t, 0);
    if (text == object + ",GN,0") return employeeAt(t, t.employeeCursor);
    if ((object == "EM" && text == "EM,DE,*,*") || (object == "UM" && text == "UM,DE,*")) {
        t.employees.clear();
        return ok();
    }
    return warning("unknown command");
}

Answer personalData(Terminal& t, const Request& r) {
    if (t.employeeFormat != EmployeeFormat::EM) return warning("no personal texts in format " + std::string(formatName(t.employeeFormat)));
    if (!r.data) return error("no record");
    auto p = decodePersonalData(*r.data);
    if (!p) return error("personal data record of " + std::to_string(r.data->size()) + " bytes, needs 175");
    for (auto& e : t.employees)
        if (e.number == p->number) {
            e.texts = p->texts;
            return ok();
        }
    return warning("unknown employee " + std::to_string(p->number));
}

Answer transactions(Terminal& t, const std::string& object, const std::string& text) {
    // RE: every model; RA: the VORN-L's recoverable punches; JO: the VORN2C's job records.
    if (object == "RA" && t.model != 4) return warning("no recoverable punches on this model");
    if (object == "JO" && t.model != 5) return warning("no job records on this model");
    std::size_t count = object == "RE" ? t.storedCount() : object == "RA" ? t.recoverable.size() : t.jobs.size();
    if (text == object + ",NR") return ok(count16(count));
    if (text == object + ",DE") {
        if (object == "RE" && t.model == 4)
            t.recoverable.insert(t.recoverable.end(), t.punches.begin(), t.punches.end());
        if (object == "RE") {
            t.punches.clear();
            t.extended.clear();
        } else if (object == "RA") {
            t.recoverable.clear();
        } else {
            t.jobs.clear();
        }
        return ok();
    }
    auto index = indexAfter(text, object + ",GE,");
    if (!index) return warning("unknown command");
    if (object == "JO") return recordAt(t.jobs, *index, encodeJob);
    if (object == "RA") return recordAt(t.recoverable, *index, encodeTransaction);
    if (t.model == 8) return recordAt(t.extended, *index, encodeExtended);
    return recordAt(t.punches, *index, encodeTransaction);
}

}  // namespace

Answer answerRequest(Terminal& t, const Request& r) {
    const std::string& text = r.text;
    std::string object = text.substr(0, 2);

    if (auto answer = answerConfigRequest(t, r)) return *answer;
    if (auto device = answerDeviceCommand(t, r)) return *device;
    if (text == "VE")
        return ok(encodeVersion(t.version, static_cast<std::uint16_t>(std::min<std::size_t>(t.storedCount(), 65535)),
                                static_cast<std::uint16_t>(t.employees.size())));
    if (text == "ON" || text == "OF") return ok();
    if (text == "OPEN") {
        if (!r.data || r.data->empty() || r.data->back() != 0) return error("log-on without a terminated password");
        std::string password(r.data->begin(), r.data->end() - 1);
        if (password != t.password) return error("wrong password");
        return ok();
    }
    if (object == "RE" || object == "RA" || object == "JO") return transactions(t, object, text);
    if (text == "EM,GL") return ok(latestTransactions(t));
    if (text == "EM,SD") return personalData(t, r);
    if (text == "EM,CO") {
        if (t.model != 4) return warning("unknown command");
        return ok(count16(t.employees.size()));
    }
    if (text == "MP,GE") {
        if (t.model != 2) return warning("unknown command");
        return ok(encodeMemoryParameters(static_cast<std::uint16_t>(t.employees.size()), t.employeeFormat));
    }
    if (object == "EM" || object == "UM" || object == "US") return employeeCommand(t, object, r);
    if (text == "EI,RI") {
        t.infoCursor = 0;
        return ok();
    }
    if (text == "EI,GF,0") return employeeStatus(t, 0);
    if (text == "EI,GN,0") return employeeStatus(t, t.infoCursor);
    if (text == "TI,GE") {
        std::uint32_t now = t.clockNow();
        return ok(Bytes{static_cast<std::uint8_t>(now), static_cast<std::uint8_t>(now >> 8),
                        static_cast<std::uint8_t>(now >> 16), static_cast<std::uint8_t>(now >> 24)});
    }
    if (text == "TI,SE") {
        if (!r.data || r.data->size() != 4) return error("clock needs 4 bytes");
        const Bytes& d = *r.data;
        t.setClock(static_cast<std::uint32_t>(d[0]) | static_cast<std::uint32_t>(d[1]) << 8 |
                   static_cast<std::uint32_t>(d[2]) << 16 | static_cast<std::uint32_t>(d[3]) << 24);
        return ok();
    }
    if (object == "FO" || object == "FP") return answerBadgeRequest(t, r, indexAfter(text, "FP,GI,"));
    if (text == "TL,GE") return ok(encodeDaylight(t.daylight));
    if (text == "TL,SE") {
        if (!r.data) return error("no record");
        std::string why;
        auto d = decodeDaylight(*r.data, why);
        if (!d) return error(why);
        t.daylight = *d;
        return ok();
    }
    return warning("unknown command");
}

}  // namespace vornsim
