#include "TransactionLine.h"

#include <cstdio>

namespace qzcom {

namespace {
constexpr char kExitMark = 'E', kEntryMark = 'U';
constexpr int kExitOffset = 8;
constexpr int kNoShiftCause = 4;
constexpr std::size_t kCauseStart = 8, kCauseLength = 4;
constexpr char kCauseShift = 16;
}  // namespace

std::string transactionLine(const std::string& record, const LineConversion& conversion) {
    std::string raw = record;
    char mark = kEntryMark;
    if (!raw.empty() && raw[0] > '7') {
        mark = kExitMark;
        raw[0] = static_cast<char>(raw[0] - kExitOffset);
    }
    if (conversion.shiftCauses && !raw.empty() && (raw[0] & 7) != kNoShiftCause)
        for (std::size_t i = kCauseStart; i < kCauseStart + kCauseLength && i < raw.size(); ++i)
            raw[i] = static_cast<char>(raw[i] + kCauseShift);
    std::string line = mark + raw;
    if (conversion.writeAddress && line.size() >= 2) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%02d", conversion.address % 100);
        line.replace(line.size() - 2, 2, digits);
    }
    return line;
}

}  // namespace qzcom
