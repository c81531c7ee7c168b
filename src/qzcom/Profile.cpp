#include "Profile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <fstream>
#include <sstream>
#include <string_view>

namespace qzcom {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Calls `onLine(section, line)` for each line; stops when it returns true.
template <typename F>
void eachLine(const std::string& text, F onLine) {
    std::string_view section;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view line = trim(std::string_view(text).substr(at, end - at));
        at = end + 1;
        if (line.size() >= 2 && line.front() == '[') {
            std::size_t close = line.find(']');
            if (close != std::string_view::npos) {
                section = trim(line.substr(1, close - 1));
                if (onLine(section, std::string_view())) return;
                continue;
            }
        }
        if (onLine(section, line)) return;
    }
}

}  // namespace

std::optional<Profile> Profile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    Profile profile;
    profile.text_ = content.str();
    return profile;
}

bool Profile::hasSection(const std::string& wanted) const {
    bool found = false;
    eachLine(text_, [&](std::string_view section, std::string_view line) {
        found = line.empty() && sameName(section, wanted);
        return found;
    });
    return found;
}

std::string Profile::value(const std::string& wanted, const std::string& key,
                           const std::string& fallback) const {
    std::optional<std::string> result;
    eachLine(text_, [&](std::string_view section, std::string_view line) {
        if (line.empty() || line.front() == ';' || !sameName(section, wanted)) return false;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || !sameName(trim(line.substr(0, eq)), key)) return false;
        std::string_view v = trim(line.substr(eq + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        result = std::string(v);
        return true;
    });
    return result ? *result : fallback;
}

int profileNumber(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at)
        value = std::min<long long>(value * 10 + (text[at] - '0'), INT_MAX);
    return static_cast<int>(negative ? -value : value);
}

}  // namespace qzcom
