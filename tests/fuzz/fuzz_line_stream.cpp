// Feeds one stream of the newer models' line protocol as a download meets
// it: a "@DIR" listing up to its end, then each listed file's lines, as
// many as the listing announced, through the record conversion with the
// date taken from the file's name. The first bytes choose the terminal's
// cause mode and badge layout; the rest is split into lines.
#include "LineFuzzContext.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

constexpr int kMaxRecordsPerFile = 32767;

std::string_view nextLine(std::string_view& rest) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

int twoDigits(std::string_view name, std::size_t at) {
    if (name.size() < at + 2 || name[at] < '0' || name[at] > '9' || name[at + 1] < '0' || name[at + 1] > '9') return 0;
    return (name[at] - '0') * 10 + (name[at + 1] - '0');
}

struct Listed {
    std::string_view name;
    int records;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kLineFuzzSetup) return 0;
    LineContext context = lineFuzzContext(data);
    const std::string_view stream(reinterpret_cast<const char*>(data + kLineFuzzSetup), size - kLineFuzzSetup);
    std::string_view rest = stream;

    std::vector<Listed> files;
    long long announced = 0;
    while (!rest.empty()) {
        std::string_view line = nextLine(rest);
        ListingLine listing = readListingLine(line);
        if (listing.kind == ListingLine::End) break;
        if (listing.kind != ListingLine::File) continue;
        if (listing.records < 0 || listing.records > kMaxRecordsPerFile) __builtin_trap();
        // The name is a part of the line, never text from elsewhere.
        if (listing.fileName.data() < line.data() || listing.fileName.data() + listing.fileName.size() > line.data() + line.size())
            __builtin_trap();
        files.push_back({listing.fileName, listing.records});
        announced += listing.records;
    }
    if (announced > static_cast<long long>(files.size()) * kMaxRecordsPerFile) __builtin_trap();

    for (const Listed& file : files) {
        context.month = twoDigits(file.name, 0);
        context.day = twoDigits(file.name, 2);
        for (int i = 0; i < file.records && !rest.empty(); ++i) {
            std::string_view line = nextLine(rest);
            // Only a line of a record's shape is ever converted and written.
            if (!isRecordLine(line, context)) continue;
            TransactionRecord record = lineToRecord(line, context);
            if (context.model == TerminalModel::VornT3 && context.causeMode == 1 && record.flags != 0x04) __builtin_trap();
            // An accepted line dates its record on the day its file names.
            CalendarRecord when = record.time.toCalendar();
            if (when.month != context.month || when.day != context.day || when.hour > 23 || when.minute > 59)
                __builtin_trap();
        }
    }
    (void)expectedBadgeSpan(context.badge);
    return 0;
}
