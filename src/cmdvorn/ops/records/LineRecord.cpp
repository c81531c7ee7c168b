#include "LineRecord.h"


#include <algorithm>
#include <cstdint>

namespace {

constexpr std::uint8_t kInFlag = 0x04;
constexpr std::uint8_t kAccessKind = 0x20;
constexpr std::size_t kBadgeStart = 5;
constexpr int kNoBadgeField = 99;
constexpr char kEndOfTransfer = 0x04;
constexpr std::uint32_t kMaxFileRecords = 32767;

// Leading decimal digits of the text; anything else ends the number.
std::uint32_t decimal(std::string_view text) {
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min<std::uint64_t>(value * 10 + static_cast<unsigned>(c - '0'), UINT32_MAX);
    }
    return static_cast<std::uint32_t>(value);
}

std::string_view part(std::string_view line, std::size_t at, std::size_t length) {
    return at < line.size() ? line.substr(at, length) : std::string_view();
}

int digitAt(std::string_view line, std::size_t at) {
    return at < line.size() && line[at] >= '0' && line[at] <= '9' ? line[at] - '0' : 0;
}

std::uint32_t badgeField(std::string_view line, std::size_t badgeStart, const BadgeField& field, int first) {
    if (field.length <= 0) return decimal(std::string_view(field.fixedText));
    return decimal(part(line, badgeStart + static_cast<std::size_t>(field.position - first), static_cast<std::size_t>(field.length)));
}

int firstStart(const BadgeLayout& badge, int none) {
    int first = none;
    if (badge.company.length > 0) first = badge.company.position;
    if (badge.employee.length > 0 && (first == none || badge.employee.position < first)) first = badge.employee.position;
    return first;
}

}  // namespace

ListingLine readListingLine(std::string_view line) {
    ListingLine listing;
    if (!line.empty() && line[0] == kEndOfTransfer) {
        listing.kind = ListingLine::End;
    } else if (line.find("DIR") != std::string_view::npos) {
        listing.kind = ListingLine::Header;
    } else if (auto blank = line.find(' '); blank != std::string_view::npos && line.find("PRE") != std::string_view::npos) {
        listing.kind = ListingLine::File;
        listing.fileName = line.substr(0, blank);
        listing.records = static_cast<int>(std::min(decimal(line.substr(blank + 1)), kMaxFileRecords));
    }
    return listing;
}

TransactionRecord lineToRecord(std::string_view line, const LineContext& context) {
    // Only VORNT3 and its kin record causes.
    const bool causeModel = context.model == TerminalModel::VornT3;
    const bool causes = causeModel && context.causeMode > 0;
    TransactionRecord record;
    record.flags = static_cast<std::uint8_t>((part(line, 4, 1) == "1" ? kInFlag : 0) | kAccessKind);
    if (causeModel && context.causeMode == 1) record.flags = kInFlag;

    std::size_t badgeStart = kBadgeStart;
    if (causeModel && context.causeMode == 2) badgeStart = 6;
    if (causeModel && context.causeMode == 3) badgeStart = 7;
    const int first = firstStart(context.badge, 0);
    record.company = static_cast<std::uint8_t>(badgeField(line, badgeStart, context.badge.company, first));
    record.employee = badgeField(line, badgeStart, context.badge.employee, first);

    if (causes && context.causeMode == 1) record.cause = static_cast<std::uint8_t>(digitAt(line, 4));
    if (causes && context.causeMode == 2) record.cause = static_cast<std::uint8_t>(digitAt(line, 5));
    if (causes && context.causeMode >= 3) record.cause = static_cast<std::uint8_t>(decimal(part(line, 5, 2)));

    CalendarRecord calendar;
    calendar.hour = static_cast<std::uint8_t>(decimal(part(line, 0, 2)));
    calendar.minute = static_cast<std::uint8_t>(decimal(part(line, 2, 2)));
    calendar.day = static_cast<std::uint8_t>(context.day);
    calendar.month = static_cast<std::uint8_t>(context.month);
    calendar.year = static_cast<std::uint8_t>(context.year - 1900);
    record.time = TerminalTime::fromCalendar(calendar);
    record.terminal = static_cast<std::uint8_t>(context.terminalNumber);

    std::uint8_t bytes[TransactionRecord::kSize];
    record.encodeWithCheck(bytes);
    return record;
}

namespace {

bool allDigits(std::string_view text, std::size_t at, std::size_t length) {
    if (at + length > text.size()) return false;
    for (std::size_t i = at; i < at + length; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

bool badgeFieldFits(std::string_view line, std::size_t badgeStart, const BadgeField& field, int first) {
    if (field.length <= 0) return true;
    if (field.position < first) return false;
    return allDigits(line, badgeStart + static_cast<std::size_t>(field.position - first), static_cast<std::size_t>(field.length));
}

bool realDate(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

}  // namespace

bool isRecordLine(std::string_view line, const LineContext& context) {
    constexpr int kHours = 24, kMinutes = 60;
    if (!realDate(context.year, context.month, context.day)) return false;
    if (!allDigits(line, 0, 4) || decimal(part(line, 0, 2)) >= kHours || decimal(part(line, 2, 2)) >= kMinutes) return false;
    const bool causeModel = context.model == TerminalModel::VornT3;
    if (causeModel && context.causeMode == 1 && !allDigits(line, 4, 1)) return false;
    if (causeModel && context.causeMode == 2 && !allDigits(line, 5, 1)) return false;
    if (causeModel && context.causeMode >= 3 && !allDigits(line, 5, 2)) return false;
    std::size_t badgeStart = kBadgeStart;
    if (causeModel && context.causeMode == 2) badgeStart = 6;
    if (causeModel && context.causeMode == 3) badgeStart = 7;
    if (line.size() < badgeStart) return false;
    const int first = firstStart(context.badge, 0);
    return badgeFieldFits(line, badgeStart, context.badge.company, first) &&
           badgeFieldFits(line, badgeStart, context.badge.employee, first);
}

BadgeSpan expectedBadgeSpan(const BadgeLayout& badge) {
    BadgeSpan span;
    span.first = firstStart(badge, kNoBadgeField);
    const bool both = badge.company.length > 0 && badge.employee.length > 0;
    const BadgeField* last = nullptr;
    if (both)
        last = badge.company.position == span.first ? &badge.employee : &badge.company;
    else if (badge.company.length > 0)
        last = &badge.company;
    else if (badge.employee.length > 0)
        last = &badge.employee;
    if (last) span.length = last->position + last->length - span.first;
    return span;
}
