#include "CardFormat.h"

#include "LittleEndian.h"
#include "crc16.h"

#include <cctype>
#include <cstring>

namespace {

constexpr int kLengthOffset = 21;
constexpr int kDirectionOffset = 22;
constexpr int kFieldsOffset = 23;
constexpr int kFieldSize = 6;
constexpr int kCrcOffset = 53;

constexpr const char* kFieldTitles[CardFormat::kFieldCount] = {
    "   Cod. Impianto", "    Cod. Azienda", " Cod. Dipendente", "    Livello dip.", "   Badge release"};

// The leading decimal digits of a setting, kept inside 32 bits.
std::uint32_t decimalValue(const char* text) {
    std::uint64_t v = 0;
    for (const char* p = text; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
        v = v * 10 + static_cast<std::uint64_t>(*p - '0');
        if (v > 0xFFFFFFFFu) return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(v);
}

void copyName(char (&target)[CardFormat::kNameSize], std::string_view text) {
    std::size_t n = std::min(text.size(), sizeof target - 1);
    std::memset(target, 0, sizeof target);
    std::memcpy(target, text.data(), n);
}

}  // namespace

CardFormat CardFormat::builtIn() {
    CardFormat f;
    copyName(f.name, "CALVIRONE MC");
    f.length = 17;
    f.bidirectional = true;
    f.fields[0] = {0, 4, 0};
    f.fields[1] = {4, 2, 0};
    f.fields[2] = {9, 6, 0};
    f.fields[3] = {15, 1, 0};
    f.fields[4] = {16, 1, 0};
    return f;
}

void CardFormat::encode(std::uint8_t (&record)[kSize]) const {
    std::memset(record, 0, kSize);
    std::memcpy(record, name, kNameSize - 1);
    record[kLengthOffset] = length;
    record[kDirectionOffset] = bidirectional ? 1 : 0;
    for (int i = 0; i < kFieldCount; ++i) {
        std::uint8_t* field = record + kFieldsOffset + i * kFieldSize;
        field[0] = fields[i].from;
        field[1] = fields[i].length;
        putLe32(field + 2, fields[i].defaultValue);
    }
    putLe16(record + kCrcOffset, fnd::crc16(record, kCrcOffset));
}

CardFormat CardFormat::decode(const std::uint8_t (&record)[kSize]) {
    CardFormat f;
    // The name is cut at its NUL or at 20 characters, whatever the terminal sent.
    copyName(f.name, std::string_view(reinterpret_cast<const char*>(record),
                                      strnlen(reinterpret_cast<const char*>(record), kNameSize - 1)));
    f.length = record[kLengthOffset];
    f.bidirectional = record[kDirectionOffset] != 0;
    for (int i = 0; i < kFieldCount; ++i) {
        const std::uint8_t* field = record + kFieldsOffset + i * kFieldSize;
        f.fields[i] = {field[0], field[1], getLe32(field + 2)};
    }
    return f;
}

bool CardFormat::crcMatches(const std::uint8_t (&record)[kSize]) {
    return fnd::crc16(record, kCrcOffset) == getLe16(record + kCrcOffset);
}

const char* CardFormat::impossibility(zString& detail) const {
    for (int i = 0; i < kFieldCount; ++i) {
        const CardField& f = fields[i];
        if (f.length > 0 && f.from + f.length > kMaxDigits) {
            detail = zString::format("campo %d: da %d lun. %d, oltre le %d cifre di un badge", i + 1, f.from, f.length,
                                     kMaxDigits);
            return "campo oltre le cifre di un badge";
        }
    }
    return nullptr;
}

const char* CardFormat::inconsistency(zString& detail) const {
    if (length == 0 || length > kMaxDigits) {
        detail = zString::format("LEN=%d", length);
        return "lunghezza badge non valida";
    }
    for (int i = 0; i < kFieldCount; ++i) {
        const CardField& f = fields[i];
        if (f.length > 0 && f.from + f.length > length) {
            detail = zString::format("campo %d: da %d lun. %d, badge di %d cifre", i + 1, f.from, f.length, length);
            return "campo oltre la lunghezza del badge";
        }
    }
    return nullptr;
}

CardFormat loadCardFormat(const ParameterLookup& parameters, LINE_FORMAT& layout, zLogger& log) {
    loadLayout(parameters, CardFormat::kSection, layout, log);
    if (!layout.hasFields()) return CardFormat::builtIn();

    CardFormat f;
    zString value;
    if (parameters.getValue(CardFormat::kSection, "NAME", value)) copyName(f.name, value.trim());
    if (parameters.getValue(CardFormat::kSection, "LEN", value))
        f.length = static_cast<std::uint8_t>(std::min<std::uint32_t>(decimalValue(value.trim().c_str()), 255));
    f.bidirectional = parameters.getValue(CardFormat::kSection, "DIRECTION", value) && !value.trim().isEmpty() &&
                      std::toupper(static_cast<unsigned char>(value[0])) == 'B';
    for (int i = 0; i < CardFormat::kFieldCount && i < layout.count; ++i) {
        const FLD_FMT_t& field = layout.fields[i];
        f.fields[i] = {field.from, field.length, decimalValue(field.defaultText)};
    }
    return f;
}

void reportCardFormat(InfoOutput& out, const char* label, const CardFormat& format) {
    out.line("=== %s Badge format info===", label);
    out.line(" Nome: %s", format.name);
    out.line(" Lun.: %d", format.length);
    out.line(" Dir : %sdirectional", format.bidirectional ? "Bi" : "Mono");
    for (int i = 0; i < CardFormat::kFieldCount; ++i) {
        const CardField& f = format.fields[i];
        out.line("%s: Da %2.2d, Lun. %d, default %d", kFieldTitles[i], f.from, f.length,
                 static_cast<int>(f.defaultValue));
    }
}
