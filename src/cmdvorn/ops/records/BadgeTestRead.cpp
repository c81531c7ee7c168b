#include "BadgeTestRead.h"

#include <cstring>

namespace {
constexpr int kDigitsOffset = 2;
constexpr std::uint8_t kEndOfDigits = 15;
}  // namespace

BadgeTestRead BadgeTestRead::decode(const std::uint8_t (&record)[kSize]) {
    static constexpr char kDigitText[] = "0123456789ABCDE";
    BadgeTestRead r;
    r.flags = record[0];
    r.length = record[1];
    for (int i = 0; i < kDigits; ++i) {
        std::uint8_t v = record[kDigitsOffset + i];
        if (v >= kEndOfDigits) break;
        r.digits[i] = kDigitText[v];
    }
    return r;
}

void reportTestRead(InfoOutput& out, const char* label, const CardFormat& format, const LINE_FORMAT& layout,
                    const BadgeTestRead& read) {
    out.line("=== %s Test lettura Badge ===", label);
    out.line(" Card Format Name: %s", format.name);
    out.line(" flg=%X, len=%d, data=%.40s\n", read.flags, read.length, read.digits);
    out.line(" Name       from len value     [default]");
    out.line(" ---------------------------------------");
    const std::size_t found = std::strlen(read.digits);
    for (int i = 0; i < CardFormat::kFieldCount; ++i) {
        const CardField& f = format.fields[i];
        const char* name = i < layout.count ? layout.fields[i].name : "";
        const char* value = f.from < found ? read.digits + f.from : "";
        out.line(" %-10.10s %2.2d   %2.2d  %-10.10s [%u]", name, f.from, f.length, value,
                 static_cast<unsigned>(f.defaultValue));
    }
}
