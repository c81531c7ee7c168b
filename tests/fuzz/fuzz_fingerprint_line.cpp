// Feeds arbitrary fingerprint-file lines to the reader: a line read as a
// template must write back as a well-formed line that reads the same, and
// the reader never touches the record of a line it refuses.
#include "FingerprintFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    FingerprintRecord record;
    std::memset(record.templ, 0x5A, sizeof record.templ);
    const char* why = nullptr;
    FingerprintLine kind = parseFingerprintLine(line, record, why);
    if ((kind == FingerprintLine::Bad) != (why != nullptr)) __builtin_trap();
    if (kind != FingerprintLine::Template) {
        for (std::uint8_t b : record.templ)
            if (b != 0x5A) __builtin_trap();
        return 0;
    }

    char text[FingerprintRecord::kLineLength + 1];
    int n = formatFingerprintLine(record, text, sizeof text);
    if (n <= 0 || n > FingerprintRecord::kLineLength || text[n - 1] != '\n') __builtin_trap();
    FingerprintRecord again;
    if (parseFingerprintLine(std::string_view(text, static_cast<size_t>(n)), again, why) != FingerprintLine::Template)
        __builtin_trap();
    if (again.employee != record.employee || again.company != record.company ||
        std::memcmp(again.templ, record.templ, sizeof record.templ) != 0)
        __builtin_trap();

    std::uint8_t bytes[FingerprintRecord::kSize];
    record.encode(bytes);
    if (FingerprintRecord::decode(bytes).employee != record.employee) __builtin_trap();
    return 0;
}
