// Feeds arbitrary lines of the newer models' line protocol to the listing
// reader and the record conversion; the first bytes choose the terminal's
// cause mode and badge layout.
#include "LineFuzzContext.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kLineFuzzSetup) return 0;
    LineContext context = lineFuzzContext(data);
    context.month = data[1] % 14;
    context.day = data[2] % 33;
    std::string_view line(reinterpret_cast<const char*>(data + kLineFuzzSetup), size - kLineFuzzSetup);

    ListingLine listing = readListingLine(line);
    if (listing.records < 0 || listing.records > 32767) __builtin_trap();
    if (listing.fileName.size() > line.size()) __builtin_trap();
    TransactionRecord record = lineToRecord(line, context);
    if (context.model == TerminalModel::VornT3 && context.causeMode == 1 && record.flags != 0x04) __builtin_trap();
    (void)expectedBadgeSpan(context.badge);
    return 0;
}
