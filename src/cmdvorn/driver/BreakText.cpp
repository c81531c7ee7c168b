#include "BreakText.h"

#include <algorithm>
#include <cstdio>

void BreakText::set(const char* text) {
    char shown[kTextShown + 4];
    std::snprintf(shown, sizeof shown, "\n %.*s\n", kTextShown, text ? text : "");
    text_ = shown;
}

void BreakText::addLine(const char* text) {
    if (std::count(text_.begin(), text_.end(), '\n') > 2) text_.erase(0, text_.find('\n') + 1);
    std::size_t room = kArea > text_.size() ? kArea - text_.size() : 0;
    std::string line = " ";
    line += std::string(text ? text : "").substr(0, room > 2 ? room - 2 : 0);
    line += '\n';
    text_ += line;
}

std::string BreakText::lastLine() const {
    std::size_t end = text_.find_last_not_of(" \n");
    if (end == std::string::npos) return {};
    std::size_t start = text_.rfind('\n', end);
    start = start == std::string::npos ? 0 : start + 1;
    return text_.substr(start, end - start + 1);
}
