#include "LineBuffer.h"

#include <cstdio>
#include <cstring>

void LineBuffer::append(char c) {
    if (length_ >= kCapacity) return;
    text_[length_++] = c;
    text_[length_] = '\0';
}

void LineBuffer::append(std::string_view text) {
    std::size_t room = static_cast<std::size_t>(kCapacity - length_);
    std::size_t n = text.size() < room ? text.size() : room;
    std::memcpy(text_ + length_, text.data(), n);
    length_ += static_cast<int>(n);
    text_[length_] = '\0';
}

void LineBuffer::appendFormat(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int wanted = std::vsnprintf(text_ + length_, static_cast<std::size_t>(kCapacity - length_ + 1), fmt, args);
    va_end(args);
    if (wanted > 0) length_ = length_ + wanted > kCapacity ? kCapacity : length_ + wanted;
    text_[length_] = '\0';
}

void LineBuffer::appendBlanks(int count) {
    while (count-- > 0 && length_ < kCapacity) text_[length_++] = ' ';
    text_[length_] = '\0';
}

void LineBuffer::appendDigits(std::uint64_t value, int digits) {
    if (digits <= 0) return;
    if (digits > kCapacity - length_) digits = kCapacity - length_;
    for (int i = digits - 1; i >= 0; --i) {
        text_[length_ + i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    length_ += digits;
    text_[length_] = '\0';
}

void LineBuffer::appendSigned(std::int64_t value, int digits) {
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    appendMagnitude(magnitude, value < 0, digits);
}

void LineBuffer::appendMagnitude(std::uint64_t magnitude, bool negative, int digits) {
    int start = length_;
    appendDigits(magnitude, digits);
    if (negative && length_ > start) text_[start] = '-';
}
