#include "EMPHLP_C.h"

#include "LittleEndian.h"
#include "crc16.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMaxParts = 20;
constexpr int kMaxFieldText = 20;
constexpr int kUmNameLength = 16;
constexpr int kEmNameAt = 7;
constexpr int kEmTextsAt = 28;
constexpr int kEmFirstCrcAt = 212;
constexpr int kEmJoAt = 270;
constexpr int kEmJcAt = 274;
constexpr int kEmSecondCrcAt = 278;
constexpr int kPersonalTextsAt = 7;
constexpr std::uint8_t kDisabledBit = 0x40;

// Leading blanks, then decimal digits as far as they go. False when there
// is no digit or the value does not fit below max: such a number is not
// read as some other, smaller number.
bool readDecimal(std::string_view text, unsigned long max, unsigned long& value) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at == text.size() || text[at] < '0' || text[at] > '9') return false;
    unsigned long v = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        v = v * 10 + static_cast<unsigned long>(text[at] - '0');
        if (v > max) return false;
    }
    value = v;
    return true;
}

unsigned long decimalOrZero(std::string_view text, unsigned long max) {
    unsigned long v = 0;
    return readDecimal(text, max, v) ? v : 0;
}

// An empty terminal number means every terminal; one that is no number
// matches none.
int terminalNumber(std::string_view text) {
    text = trimmedText(text);
    if (text.empty()) return 0;
    unsigned long v = 0;
    return readDecimal(text, 0x7FFF, v) ? static_cast<int>(v) : EmployeeData::kNoTerminal;
}

void copyText(char (&target)[EmployeeData::kTextSize], std::string_view text) {
    text = trimmedText(text);
    std::size_t n = std::min<std::size_t>(text.size(), kMaxFieldText);
    if (n > 0) std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

// A fixed-size text field of a record, which need not be terminated.
void copyRecordText(char (&target)[EmployeeData::kTextSize], const std::uint8_t* bytes, int size) {
    int n = 0;
    while (n < size && n < kMaxFieldText && bytes[n] != 0) ++n;
    if (n > 0) std::memcpy(target, bytes, static_cast<std::size_t>(n));
    target[n] = '\0';
}

void putText(std::uint8_t* out, const char* text, int size) {
    std::size_t n = std::min(std::strlen(text), static_cast<std::size_t>(size));
    if (n > 0) std::memcpy(out, text, n);
}

void encodeShortHead(const EmployeeData& e, std::uint8_t* out) {
    out[0] = e.company;
    out[5] = e.disabled ? kDisabledBit : 0;
    putLe32(out + 6, e.employee);
}

}  // namespace

const char* EMPHLP_C::objectName(EmployeeFormat format) {
    switch (format) {
        case EmployeeFormat::US: return "US";
        case EmployeeFormat::UM: return "UM";
        case EmployeeFormat::EM: break;
    }
    return "EM";
}

int EMPHLP_C::recordSize(EmployeeFormat format) {
    switch (format) {
        case EmployeeFormat::US: return kUsSize;
        case EmployeeFormat::UM: return kUmSize;
        case EmployeeFormat::EM: break;
    }
    return kEmSize;
}

bool EMPHLP_C::parseLine(std::string_view line, EmployeeData& out) const {
    out = EmployeeData();
    if (layout_.hasFields()) {
        parseWithLayout(line, out);
        return true;
    }
    return parseDefault(line, out);
}

bool EMPHLP_C::parseDefault(std::string_view text, EmployeeData& out) const {
    std::string line(text);
    if (std::size_t semicolon = line.rfind(';'); semicolon != std::string::npos) line[semicolon] = ' ';

    std::string_view parts[kMaxParts];
    int count = 0;
    std::string_view rest(line);
    while (count < kMaxParts) {
        std::size_t comma = count < kMaxParts - 1 ? rest.find(',') : std::string_view::npos;
        parts[count++] = rest.substr(0, comma);
        if (comma == std::string_view::npos) break;
        rest = rest.substr(comma + 1);
    }
    auto part = [&](int number) { return number <= count ? trimmedText(parts[number - 1]) : std::string_view(); };

    std::string_view head = std::string_view(line).substr(0, line.find(','));
    if (part(2).empty()) {
        log_.log("Error Cd Ditta %.50s.", std::string(head).c_str());
        return false;
    }
    if (part(3).empty()) {
        log_.log("Error Cd Dipendente %.50s.", std::string(head).c_str());
        return false;
    }
    if (part(4).empty()) {
        log_.log("Error Nome Dipendente %.30s.", std::string(head).c_str());
        return false;
    }
    out.company = static_cast<std::uint8_t>(decimalOrZero(part(2), 0xFF));
    out.employee = static_cast<std::uint32_t>(decimalOrZero(part(3), 0xFFFFFFFFul));
    copyText(out.name, part(4));
    out.terminal = terminalNumber(part(6));
    for (int i = 0; i < EmployeeData::kTextCount; ++i) copyText(out.texts[i], part(7 + i));
    return true;
}

void EMPHLP_C::parseWithLayout(std::string_view line, EmployeeData& out) const {
    std::size_t at = 0;
    for (int f = 0; f < layout_.count; ++f) {
        const FLD_FMT_t& field = layout_.fields[f];
        std::string_view value;
        if (at < line.size()) {
            std::size_t end = layout_.separator ? line.find(layout_.separator, at)
                                                : std::min(line.size(), at + field.length);
            if (end == std::string_view::npos) end = line.size();
            value = line.substr(at, end - at);
            at = layout_.separator ? end + 1 : end;
        }
        value = value.substr(0, kMaxFieldText);

        std::string_view type(field.name);
        std::string_view word = type.substr(0, 2);
        if (word == "MA")
            out.employee = static_cast<std::uint32_t>(decimalOrZero(value, 0xFFFFFFFFul));
        else if (word == "NA")
            copyText(out.name, value);
        else if (word == "CO")
            out.company = static_cast<std::uint8_t>(decimalOrZero(value, 0xFF));
        else if (word == "TE")
            out.terminal = terminalNumber(value);
        else if (word == "JC")
            out.jc = static_cast<std::uint16_t>(decimalOrZero(value, 0xFFFF));
        else if (word == "JO")
            out.jo = static_cast<std::uint16_t>(decimalOrZero(value, 0xFFFF));
        else if (word == "IN" && type.size() > 4 && type[4] >= '1' && type[4] <= '8')
            copyText(out.texts[type[4] - '1'], value);
    }
}

int EMPHLP_C::encode(EmployeeFormat format, const EmployeeData& e, std::uint8_t* out) {
    int size = recordSize(format);
    std::memset(out, 0, static_cast<std::size_t>(size));
    switch (format) {
        case EmployeeFormat::US:
            encodeShortHead(e, out);
            putLe16(out + 10, fnd::crc16(out, 10));
            break;
        case EmployeeFormat::UM:
            encodeShortHead(e, out);
            putText(out + 10, e.name, kUmNameLength);
            putLe16(out + 26, fnd::crc16(out, 26));
            break;
        case EmployeeFormat::EM:
            putLe32(out, e.employee);
            out[4] = e.company;
            out[6] = e.disabled ? kDisabledBit : 0;
            putText(out + kEmNameAt, e.name, kMaxFieldText);
            for (int i = 0; i < EmployeeData::kTextCount; ++i)
                putText(out + kEmTextsAt + i * EmployeeData::kTextSize, e.texts[i], kMaxFieldText);
            putLe16(out + kEmFirstCrcAt, fnd::crc16(out, kEmFirstCrcAt));
            putLe32(out + kEmJoAt, e.jo);
            putLe32(out + kEmJcAt, e.jc);
            putLe16(out + kEmSecondCrcAt, fnd::crc16(out, kEmSecondCrcAt));
            break;
    }
    return size;
}

bool EMPHLP_C::decode(EmployeeFormat format, const std::uint8_t* b, EmployeeData& out) {
    out = EmployeeData();
    switch (format) {
        case EmployeeFormat::US:
        case EmployeeFormat::UM: {
            int crcAt = format == EmployeeFormat::US ? 10 : 26;
            if (fnd::crc16(b, static_cast<std::size_t>(crcAt)) != getLe16(b + crcAt)) return false;
            out.company = b[0];
            out.disabled = (b[5] & kDisabledBit) != 0;
            out.employee = getLe32(b + 6);
            if (format == EmployeeFormat::UM) copyRecordText(out.name, b + 10, kUmNameLength);
            return true;
        }
        case EmployeeFormat::EM:
            break;
    }
    if (fnd::crc16(b, kEmFirstCrcAt) != getLe16(b + kEmFirstCrcAt) ||
        fnd::crc16(b, kEmSecondCrcAt) != getLe16(b + kEmSecondCrcAt))
        return false;
    out.employee = getLe32(b);
    out.company = b[4];
    out.disabled = (b[6] & kDisabledBit) != 0;
    copyRecordText(out.name, b + kEmNameAt, EmployeeData::kTextSize);
    for (int i = 0; i < EmployeeData::kTextCount; ++i)
        copyRecordText(out.texts[i], b + kEmTextsAt + i * EmployeeData::kTextSize, EmployeeData::kTextSize);
    // The record holds four bytes each; the values are 16-bit.
    out.jo = static_cast<std::uint16_t>(getLe32(b + kEmJoAt));
    out.jc = static_cast<std::uint16_t>(getLe32(b + kEmJcAt));
    return true;
}

void EMPHLP_C::encodePersonal(const EmployeeData& e, std::uint8_t (&out)[kPersonalSize]) {
    std::memset(out, 0, sizeof out);
    putLe32(out, e.employee);
    out[4] = e.company;
    for (int i = 0; i < EmployeeData::kTextCount; ++i)
        putText(out + kPersonalTextsAt + i * EmployeeData::kTextSize, e.texts[i], kMaxFieldText);
}

zString EMPHLP_C::receivedLine(EmployeeFormat format, const EmployeeData& e, int terminalNumber) {
    const char* prefix = e.disabled ? "DISABLED->" : "";
    zString company = zString::format("%.5u", static_cast<unsigned>(e.company));
    zString employee = zString::format("%.9lu", static_cast<unsigned long>(e.employee));
    if (format != EmployeeFormat::EM)
        return zString::format("%s0,%s,%s,%-20.20s, 0, %d", prefix, company.c_str(), employee.c_str(),
                               format == EmployeeFormat::UM ? e.name : "", terminalNumber);
    const auto& t = e.texts;
    return zString::format("%s%lu,%s,%s,%-20.20s,%lu,%d,%s,%s,%s,%s,%s,%s,%s,%s", prefix,
                           static_cast<unsigned long>(e.jo), company.c_str(), employee.c_str(), e.name,
                           static_cast<unsigned long>(e.jc), terminalNumber, t[0], t[1], t[2], t[3], t[4], t[5],
                           t[6], t[7]);
}
