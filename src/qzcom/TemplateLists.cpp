#include "TemplateLists.h"

#include "PlainName.h"
#include "TextFile.h"

#include <cerrno>
#include <cstdlib>

namespace qzcom {
namespace {

constexpr std::size_t kNameLength = 12;
constexpr std::size_t kExtensionAt = 8;
constexpr std::size_t kExtensionLength = 4;
constexpr int kDecimal = 10;

// A whole decimal number at the start of the text (leading blanks allowed).
std::optional<long> leadingNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, kDecimal);
    if (end == begin || errno == ERANGE) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::string> templateName(const std::string& line, ReaderVariant variant) {
    std::string name = withoutLineEnd(line).substr(0, kNameLength);
    const char* extension = variant == ReaderVariant::LowerFiles ? ".tpl" : ".TPL";
    if (name.size() < kNameLength || name.compare(kExtensionAt, kExtensionLength, extension) != 0)
        return std::nullopt;
    if (!isPlainFileName(name)) return std::nullopt;
    return name;
}

std::optional<unsigned long> groupFingers(const std::string& header) {
    // Four blank-separated fields; the fourth is the count. Read as a signed
    // number so that "-1" is refused instead of becoming the largest count.
    std::size_t at = 0;
    for (int field = 0; field < 3; ++field) {
        at = header.find_first_not_of(" \t", at);
        if (at == std::string::npos) return std::nullopt;
        at = header.find_first_of(" \t", at);
        if (at == std::string::npos) return std::nullopt;
    }
    const std::optional<long> count = leadingNumber(header.substr(at));
    if (!count || *count < 0 || static_cast<unsigned long>(*count) > kMostFingers) return std::nullopt;
    return static_cast<unsigned long>(*count);
}

std::optional<std::vector<long>> readBadgeList(const std::string& path) {
    LineReader in(path);
    auto first = in.next(kTemplateLineLimit);
    const std::optional<long> count = first ? leadingNumber(*first) : std::optional<long>(0);
    if (!count || *count < 0 || *count > kMostListedBadges) return std::nullopt;
    std::vector<long> badges;
    while (static_cast<long>(badges.size()) < *count) {
        auto line = in.next(kTemplateLineLimit);
        if (!line) break;
        badges.push_back(std::atol(line->c_str()));
    }
    return badges;
}

}  // namespace qzcom
