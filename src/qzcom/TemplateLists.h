#pragma once
// The lists and group headers of the biometric template transfers. They all
// come from a terminal, so every name and count is checked against a stated
// maximum before anything is done with it.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qzcom {

enum class ReaderVariant { Groups, UpperFiles, LowerFiles };

constexpr long kMostListedBadges = 10000;   // badges in "bdglst.bio"
constexpr int kMostTemplateFiles = 10000;   // names in "template.txt"
constexpr unsigned long kMostFingers = 10;  // finger count of one group header
constexpr int kLinesPerFinger = 16;
constexpr std::size_t kTemplateLineLimit = 1023;

// A listed template file name: the line's first twelve characters, with the
// variant's extension at characters 9 to 12, and a plain file name.
std::optional<std::string> templateName(const std::string& line, ReaderVariant variant);

// The finger count of a group header "%s %lu %s %lu"; nothing when the
// header does not read so or the count is past kMostFingers.
std::optional<unsigned long> groupFingers(const std::string& header);

// "bdglst.bio": a count, then one badge number per line. Nothing when the
// count is negative or past kMostListedBadges; a list cut short by the end
// of the file gives the numbers it has.
std::optional<std::vector<long>> readBadgeList(const std::string& path);

}  // namespace qzcom
