// Files of raw telegrams and the logo bitmap.
#include "Codes.h"
#include "Operations.h"
#include "TableText.h"
#include "TextFile.h"

#include <fstream>

namespace qzcom {
namespace {
enum RawFileCode : int { kLogoTooShort = 98 };
}  // namespace

int txFile(Session& s, const std::string& parameter, std::string&) {
    constexpr std::size_t kLimit = 255, kShortest = 3;
    const int lines = countLines(parameter, kLimit);
    LineReader in(parameter);
    if (!in.isOpen()) {
        s.message("File mancante", parameter);
        return kFileMissing;
    }
    int result = kDone;
    for (int index = 0; !s.stopFlag; ++index) {
        auto read = in.next(kLimit);
        if (!read) break;
        const std::string line = withoutLineEnd(*read);
        if (line.size() < kShortest || beginsEnd(line)) break;
        s.status(lines > 0 ? (100 * index + 100) / lines : 0, format("Blk badge %02d", index));
        // Code, one separator character, data.
        result = s.exchange(line.substr(0, 2), line.size() > 3 ? line.substr(3) : "");
        if (result != kDone) break;
    }
    return result;
}

int txLogo(Session& s, const std::string& parameter, std::string&) {
    // 62 bytes of header and palette, then 64 rows of 20 bytes (160 pixels).
    constexpr std::size_t kHeader = 62, kRowBytes = 20, kReadLimit = 1346;
    constexpr int kRows = 64;
    constexpr std::size_t kNeeded = kHeader + kRows * kRowBytes;
    std::ifstream in(parameter, std::ios::binary);
    if (!in) {
        s.message("File mancante", parameter);
        return kFileMissing;
    }
    std::string bytes(kReadLimit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(kReadLimit));
    if (static_cast<std::size_t>(in.gcount()) < kNeeded) {
        s.message("Logo file too short:", parameter);
        return kLogoTooShort;
    }
    int result = kDone;
    for (int row = kRows, count = 0; row >= 1 && !s.stopFlag; --row, ++count) {
        s.status(100 * count / kRows, format("Blk logo %02d", count));
        std::string hex;
        for (std::size_t i = 0; i < kRowBytes; ++i)
            hex += format("%02x", static_cast<unsigned char>(bytes[kHeader + static_cast<std::size_t>(count) * kRowBytes + i]));
        result = s.exchange("FD", format("%03d %s", row, hex.c_str()));
        if (result != kDone) break;
    }
    return result;
}

}  // namespace qzcom
