#include "Records.h"

#include "crc16.h"

#include <algorithm>

namespace vornsim {
namespace {

void put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint16_t get16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8); }
std::uint32_t get32(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
// Text into a field of `size` bytes; with `terminated` the last byte stays NUL.
void putText(Bytes& b, std::size_t at, std::size_t size, const std::string& s, bool terminated) {
    std::size_t n = std::min(s.size(), terminated ? size - 1 : size);
    std::copy_n(s.begin(), n, b.begin() + at);
}
std::string getText(const Bytes& b, std::size_t at, std::size_t size) {
    std::string s(b.begin() + at, b.begin() + at + size);
    return s.substr(0, s.find('\0'));
}
std::uint16_t crcOf(const Bytes& b, std::size_t length) { return fnd::crc16(b.data(), length); }
// Company, terminal, employee and time open both stored record kinds.
void putPassage(Bytes& b, std::uint8_t company, std::uint8_t terminal, std::uint32_t employee, std::uint32_t time) {
    b[0] = company;
    b[1] = terminal;
    put32(b, 2, employee);
    put32(b, 6, time);
}
void putCheck(Bytes& b, std::size_t over) { put16(b, over, crcOf(b, over)); }
bool checkOk(const Bytes& b, std::size_t over) { return get16(b, over) == crcOf(b, over); }

}  // namespace

Bytes encodeTransaction(const Transaction& t) {
    Bytes b(19, 0);
    putPassage(b, t.company, t.terminal, t.employee, t.time);
    b[10] = t.flags;
    b[11] = t.cause;
    put32(b, 12, t.job);
    b[16] = t.workHigh;
    put16(b, 17, t.check ? *t.check : crcOf(b, 17));
    return b;
}

Bytes encodeJob(const JobRecord& j) {
    Bytes b(61, 0);
    putPassage(b, j.company, j.terminal, j.employee, j.time);
    b[10] = j.status;
    putText(b, 11, 32, j.data, false);
    std::copy(j.offsets.begin(), j.offsets.end(), b.begin() + 43);
    std::copy(j.lengths.begin(), j.lengths.end(), b.begin() + 51);
    put16(b, 59, j.check ? *j.check : crcOf(b, 59));
    return b;
}

Bytes encodeExtended(const ExtendedRecord& e) {
    Bytes b(46, 0);
    b[1] = e.terminal;
    put32(b, 2, e.employee);
    put16(b, 6, e.counter);
    put32(b, 8, e.time);
    b[12] = e.unit;
    b[13] = e.code;
    putText(b, 18, 8, e.text, false);
    put16(b, 26, static_cast<std::uint16_t>(e.value26));
    put16(b, 28, e.value28);
    put32(b, 30, e.time2);
    put16(b, 34, static_cast<std::uint16_t>(e.value34));
    put32(b, 36, static_cast<std::uint32_t>(e.value36));
    put32(b, 40, static_cast<std::uint32_t>(e.hundredths));
    put16(b, 44, static_cast<std::uint16_t>(e.value44));
    return b;
}

const char* formatName(EmployeeFormat f) {
    switch (f) {
    case EmployeeFormat::US: return "US";
    case EmployeeFormat::UM: return "UM";
    case EmployeeFormat::EM: return "EM";
    }
    return "EM";
}

std::optional<EmployeeFormat> formatFromName(const std::string& name) {
    if (name == "US") return EmployeeFormat::US;
    if (name == "UM") return EmployeeFormat::UM;
    if (name == "EM") return EmployeeFormat::EM;
    return std::nullopt;
}

std::size_t employeeRecordSize(EmployeeFormat f) {
    switch (f) {
    case EmployeeFormat::US: return 12;
    case EmployeeFormat::UM: return 28;
    case EmployeeFormat::EM: return 280;
    }
    return 0;
}

Bytes encodeEmployee(EmployeeFormat f, const Employee& e) {
    Bytes b(employeeRecordSize(f), 0);
    if (f == EmployeeFormat::EM) {
        put32(b, 0, e.number);
        b[4] = e.company;
        b[5] = e.level & 0x0f;
        b[6] = e.disabled ? 0x40 : 0;
        putText(b, 7, 21, e.name, true);
        for (int i = 0; i < 8; ++i) putText(b, 28 + 21 * i, 21, e.texts[i], true);
        putCheck(b, 212);
        put32(b, 270, e.jo);
        put32(b, 274, e.jc);
        putCheck(b, 278);
        return b;
    }
    b[0] = e.company;
    b[1] = e.flags;
    put16(b, 2, e.item);
    b[4] = e.level & 0x0f;
    b[5] = e.disabled ? 0x40 : 0;
    put32(b, 6, e.number);
    if (f == EmployeeFormat::UM) {
        putText(b, 10, 16, e.name, false);
        putCheck(b, 26);
    } else {
        putCheck(b, 10);
    }
    return b;
}

std::optional<Employee> decodeEmployee(EmployeeFormat f, const Bytes& b, std::string& why) {
    if (b.size() != employeeRecordSize(f)) {
        why = "record of " + std::to_string(b.size()) + " bytes, " + formatName(f) + " needs " +
              std::to_string(employeeRecordSize(f));
        return std::nullopt;
    }
    Employee e;
    if (f == EmployeeFormat::EM) {
        if (!checkOk(b, 212) || !checkOk(b, 278)) {
            why = "record check wrong";
            return std::nullopt;
        }
        e.number = get32(b, 0);
        e.company = b[4];
        e.level = b[5] & 0x0f;
        e.disabled = b[6] & 0x40;
        e.name = getText(b, 7, 21);
        for (int i = 0; i < 8; ++i) e.texts[i] = getText(b, 28 + 21 * i, 21);
        e.jo = get32(b, 270);
        e.jc = get32(b, 274);
        return e;
    }
    std::size_t over = f == EmployeeFormat::UM ? 26 : 10;
    if (!checkOk(b, over)) {
        why = "record check wrong";
        return std::nullopt;
    }
    e.company = b[0];
    e.flags = b[1];
    e.item = get16(b, 2);
    e.level = b[4] & 0x0f;
    e.disabled = b[5] & 0x40;
    e.number = get32(b, 6);
    if (f == EmployeeFormat::UM) e.name = getText(b, 10, 16);
    return e;
}

std::optional<PersonalData> decodePersonalData(const Bytes& b) {
    if (b.size() != 175) return std::nullopt;
    PersonalData p;
    p.number = get32(b, 0);
    p.company = b[4];
    for (int i = 0; i < 8; ++i) p.texts[i] = getText(b, 7 + 21 * i, 21);
    return p;
}

Bytes encodeStatusRecord(const std::string& name, std::uint32_t number, std::uint8_t company, std::uint16_t flags,
                         std::uint32_t time) {
    Bytes b(34, 0);
    putText(b, 0, 21, name, true);
    put32(b, 21, number);
    b[25] = company;
    put16(b, 26, flags);
    put32(b, 28, time);
    return b;
}

Bytes encodeDaylight(const DaylightSaving& d) {
    Bytes b(12, 0);
    put16(b, 0, d.active);
    put32(b, 2, d.begin);
    put32(b, 6, d.end);
    putCheck(b, 10);
    return b;
}

std::optional<DaylightSaving> decodeDaylight(const Bytes& b, std::string& why) {
    if (b.size() != 12) {
        why = "record of " + std::to_string(b.size()) + " bytes, needs 12";
        return std::nullopt;
    }
    if (!checkOk(b, 10)) {
        why = "record check wrong";
        return std::nullopt;
    }
    return DaylightSaving{get16(b, 0), get32(b, 2), get32(b, 6)};
}

Bytes encodeVersion(const VersionInfo& v, std::uint16_t punches, std::uint16_t employees) {
    Bytes b(70, 0);
    putText(b, 0, 21, v.programmer, true);
    putText(b, 21, 15, v.date, true);
    putText(b, 36, 10, v.time, true);
    putText(b, 46, 10, v.version, false);
    put16(b, 56, punches);
    put16(b, 58, v.rec);
    put16(b, 60, v.numOfEmp);
    put16(b, 62, employees);
    put16(b, 64, v.numOfMes);
    put16(b, 66, v.mes);
    putCheck(b, 68);
    return b;
}

Bytes encodeMemoryParameters(std::uint16_t employees, EmployeeFormat f) {
    Bytes b(30, 0);
    put16(b, 0, employees);
    b[24] = f == EmployeeFormat::US ? 0 : f == EmployeeFormat::EM ? 1 : 2;
    return b;
}

}  // namespace vornsim
