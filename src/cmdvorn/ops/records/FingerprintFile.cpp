#include "FingerprintFile.h"

#include "LittleEndian.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kEmployeeOffset = 0;
constexpr int kCompanyOffset = 4;
constexpr int kTemplateOffset = 5;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// The next run of non-blank characters; empty at the end of the line.
std::string_view nextWord(std::string_view& rest) {
    std::size_t start = 0;
    while (start < rest.size() && isBlank(rest[start])) ++start;
    std::size_t end = start;
    while (end < rest.size() && !isBlank(rest[end])) ++end;
    std::string_view word = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return word;
}

// Decimal digits only, at most `limit`.
bool readNumber(std::string_view word, std::uint64_t limit, std::uint64_t& value) {
    if (word.empty()) return false;
    value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > limit) return false;
    }
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

FingerprintLine bad(const char*& why, const char* text) {
    why = text;
    return FingerprintLine::Bad;
}

}  // namespace

void FingerprintRecord::encode(std::uint8_t (&record)[kSize]) const {
    putLe32(record + kEmployeeOffset, employee);
    record[kCompanyOffset] = company;
    std::memcpy(record + kTemplateOffset, templ, kTemplateSize);
}

FingerprintRecord FingerprintRecord::decode(const std::uint8_t (&record)[kSize]) {
    FingerprintRecord r;
    r.employee = getLe32(record + kEmployeeOffset);
    r.company = record[kCompanyOffset];
    std::memcpy(r.templ, record + kTemplateOffset, kTemplateSize);
    return r;
}

int formatFingerprintLine(const FingerprintRecord& record, char* line, std::size_t size) {
    if (size < FingerprintRecord::kLineLength + 1) return 0;
    static constexpr char kHex[] = "0123456789ABCDEF";
    // The precision pads with zeros, as "%05.5u %09.9u " would.
    int n = std::snprintf(line, size, "%.5u %.9u ", static_cast<unsigned>(record.company),
                          static_cast<unsigned>(record.employee));
    for (std::uint8_t byte : record.templ) {
        line[n++] = kHex[byte >> 4];
        line[n++] = kHex[byte & 0x0F];
    }
    line[n++] = '\n';
    line[n] = '\0';
    return n;
}

FingerprintLine parseFingerprintLine(std::string_view line, FingerprintRecord& record, const char*& why) {
    why = nullptr;
    std::string_view rest = line;
    std::string_view first = nextWord(rest);
    if (first.empty() || first[0] == '#') return FingerprintLine::Skipped;

    std::uint64_t company = 0, employee = 0;
    if (!readNumber(first, 255, company)) return bad(why, "azienda non valida");
    if (!readNumber(nextWord(rest), 0xFFFFFFFFu, employee)) return bad(why, "matricola non valida");
    std::string_view digits = nextWord(rest);
    if (digits.empty()) return bad(why, "fingerprint mancante");
    if (digits.size() > FingerprintRecord::kDigits) return bad(why, "fingerprint troppo lungo");
    if (!nextWord(rest).empty()) return bad(why, "testo dopo il fingerprint");

    FingerprintRecord r;
    r.company = static_cast<std::uint8_t>(company);
    r.employee = static_cast<std::uint32_t>(employee);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        int v = hexValue(digits[i]);
        if (v < 0) return bad(why, "cifra non esadecimale");
        r.templ[i / 2] |= static_cast<std::uint8_t>(i % 2 == 0 ? v << 4 : v);
    }
    record = r;
    return FingerprintLine::Template;
}
