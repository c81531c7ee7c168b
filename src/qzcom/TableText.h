#pragma once
// Small text helpers of the table sends.
#include <cstdio>
#include <string>

namespace qzcom {

template <typename... Values>
std::string format(const char* pattern, Values... values) {
    char text[2048];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

inline bool beginsEnd(const std::string& line) { return line.compare(0, 3, "end") == 0; }

}  // namespace qzcom
