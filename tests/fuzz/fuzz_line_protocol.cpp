// Feeds arbitrary lines of the newer models' line protocol to the listing
// reader and the record conversion; the first bytes choose the terminal's
// cause mode and badge layout.
#include "LineRecord.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr std::size_t kSetup = 6;
    if (size < kSetup) return 0;
    LineContext context;
    context.model = (data[0] & 1) ? TerminalModel::VornT3 : TerminalModel::VornT2;
    context.causeMode = data[1] % 5;
    context.badge.company = {data[2] % 40, data[3] % 12, "00"};
    context.badge.employee = {data[4] % 40, data[5] % 12, ""};
    context.terminalNumber = data[0];
    context.month = data[1] % 14;
    context.day = data[2] % 33;
    context.year = 2026;
    std::string_view line(reinterpret_cast<const char*>(data + kSetup), size - kSetup);

    ListingLine listing = readListingLine(line);
    if (listing.records < 0 || listing.records > 32767) __builtin_trap();
    if (listing.fileName.size() > line.size()) __builtin_trap();
    TransactionRecord record = lineToRecord(line, context);
    if (context.model == TerminalModel::VornT3 && context.causeMode == 1 && record.flags != 0x04) __builtin_trap();
    (void)expectedBadgeSpan(context.badge);
    return 0;
}
