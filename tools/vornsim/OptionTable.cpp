#include "OptionTable.h"

#include <stdexcept>

namespace vornsim {

bool toInt(const std::string& s, long min, long max, long& out) {
    try {
        std::size_t used = 0;
        long v = std::stol(s, &used, 10);
        if (used != s.size() || v < min || v > max) return false;
        out = v;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool parseNodeList(const std::string& text, int maxNode, std::vector<int>& nodes) {
    nodes.clear();
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t comma = text.find(',', at);
        long v;
        if (!toInt(text.substr(at, comma - at), 1, maxNode, v)) return false;
        nodes.push_back(static_cast<int>(v));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return !nodes.empty();
}

bool OptionUse::number(long min, long max, int& out) const {
    long n = 0;
    if (!toInt(value, min, max, n))
        return refuse(option + " needs a number from " + std::to_string(min) + " to " + std::to_string(max));
    out = static_cast<int>(n);
    return true;
}

bool OptionUse::refuse(std::string message) const {
    error = std::move(message);
    return false;
}

namespace detail {

const std::string kNoValue;

std::string unknownOption(const std::string& option, std::string_view helpHint) {
    return "unknown option " + option + " (see " + std::string(helpHint) + ")";
}

std::string missingValue(const std::string& option) { return "unknown option or missing value: " + option; }

}  // namespace detail
}  // namespace vornsim
