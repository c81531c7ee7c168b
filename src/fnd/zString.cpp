#include "zString.h"

#include "fndAssert.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace {
const std::shared_ptr<std::string>& emptyStorage() {
    static const auto empty = std::make_shared<std::string>();
    return empty;
}
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

zString::zString() : ptr_(emptyStorage()) {}
zString::zString(const char* text) : ptr_(std::make_shared<std::string>(text ? text : "")) {}
zString::zString(const char* text, int length)
    : ptr_(std::make_shared<std::string>(text ? std::string(text, std::max(length, 0)) : std::string())) {}
zString::zString(std::string_view text) : ptr_(std::make_shared<std::string>(text)) {}
zString::zString(int count, char c) : ptr_(std::make_shared<std::string>(std::max(count, 0), c)) {}

std::string& zString::writable() {
    if (ptr_.use_count() > 1 || ptr_ == emptyStorage()) ptr_ = std::make_shared<std::string>(*ptr_);
    return *ptr_;
}

zString zString::format(const char* fmt, ...) {
    zString s;
    va_list args;
    va_start(args, fmt);
    s.vprintf(fmt, args);
    va_end(args);
    return s;
}

zString& zString::printf(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vprintf(fmt, args);
    va_end(args);
    return *this;
}

zString& zString::vprintf(const char* fmt, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, args);
    ptr_ = std::make_shared<std::string>(std::move(out));
    return *this;
}

char zString::operator[](int i) const {
    zASSERT(i >= 0 && i <= length());
    return i == length() ? '\0' : (*ptr_)[static_cast<size_t>(i)];
}

void zString::setAt(int i, char c) {
    zASSERT(i >= 0 && i < length());
    writable()[static_cast<size_t>(i)] = c;
}

zString& zString::assign(std::string_view text) {
    ptr_ = std::make_shared<std::string>(text);
    return *this;
}

zString& zString::append(std::string_view text) {
    writable().append(text);
    return *this;
}

zString& zString::append(char c) {
    writable().push_back(c);
    return *this;
}

zString& zString::insert(int at, std::string_view text) {
    zASSERT(at >= 0 && at <= length());
    writable().insert(static_cast<size_t>(at), text);
    return *this;
}

zString& zString::remove(int at, int count) {
    zASSERT(at >= 0 && at <= length());
    if (count > 0) writable().erase(static_cast<size_t>(at), static_cast<size_t>(count));
    return *this;
}

zString zString::left(int count) const {
    count = std::clamp(count, 0, length());
    return zString(std::string_view(*ptr_).substr(0, static_cast<size_t>(count)));
}

zString zString::right(int count) const {
    count = std::clamp(count, 0, length());
    return zString(std::string_view(*ptr_).substr(static_cast<size_t>(length() - count)));
}

zString zString::mid(int from, int count) const {
    from = std::clamp(from, 0, length());
    int avail = length() - from;
    if (count == npos || count > avail) count = avail;
    if (count < 0) count = 0;
    return zString(std::string_view(*ptr_).substr(static_cast<size_t>(from), static_cast<size_t>(count)));
}

int zString::find(char c, int from) const {
    if (from < 0 || from > length()) return npos;
    auto p = ptr_->find(c, static_cast<size_t>(from));
    return p == std::string::npos ? npos : static_cast<int>(p);
}

int zString::find(std::string_view text, int from) const {
    if (from < 0 || from > length()) return npos;
    auto p = ptr_->find(text, static_cast<size_t>(from));
    return p == std::string::npos ? npos : static_cast<int>(p);
}

int zString::findLast(char c) const {
    auto p = ptr_->rfind(c);
    return p == std::string::npos ? npos : static_cast<int>(p);
}

int zString::findLast(std::string_view text) const {
    auto p = ptr_->rfind(text);
    return p == std::string::npos ? npos : static_cast<int>(p);
}

zString& zString::trimLeft() {
    int i = 0;
    while (i < length() && isBlank((*ptr_)[static_cast<size_t>(i)])) ++i;
    if (i > 0) writable().erase(0, static_cast<size_t>(i));
    return *this;
}

zString& zString::trimRight() {
    int n = length();
    while (n > 0 && isBlank((*ptr_)[static_cast<size_t>(n - 1)])) --n;
    if (n < length()) writable().resize(static_cast<size_t>(n));
    return *this;
}

zString& zString::trim() { return trimRight().trimLeft(); }

zString& zString::toUpper() {
    for (char& c : writable()) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return *this;
}

zString& zString::toLower() {
    for (char& c : writable()) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return *this;
}

int zString::compare(std::string_view other) const {
    int r = std::string_view(*ptr_).compare(other);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int zString::compareNoCase(std::string_view other) const {
    size_t n = std::min(ptr_->size(), other.size());
    int r = strncasecmp(ptr_->data(), other.data(), n);
    if (r != 0) return r < 0 ? -1 : 1;
    if (ptr_->size() == other.size()) return 0;
    return ptr_->size() < other.size() ? -1 : 1;
}

long zString::toLong(int base) const { return std::strtol(ptr_->c_str(), nullptr, base); }

zString operator+(const zString& a, std::string_view b) {
    zString r(std::string_view(a.str()));
    r.append(b);
    return r;
}
