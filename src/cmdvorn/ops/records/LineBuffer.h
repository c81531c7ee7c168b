#pragma once
// A text line composed in place: fixed storage owned by its user, so that
// writing a record allocates nothing. Appends past the capacity are cut.
#include <cstdarg>
#include <cstdint>
#include <string_view>

class LineBuffer {
public:
    static constexpr int kCapacity = 4096;

    void clear() {
        length_ = 0;
        text_[0] = '\0';
    }
    void append(char c);
    void append(std::string_view text);
    void appendFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void appendBlanks(int count);
    // Exactly digits decimal digits: zero-padded, higher digits dropped.
    void appendDigits(std::uint64_t value, int digits);
    // The absolute value in digits digits; '-' replaces the first one when negative.
    void appendSigned(std::int64_t value, int digits);
    void appendMagnitude(std::uint64_t magnitude, bool negative, int digits);

    const char* text() const { return text_; }
    int length() const { return length_; }
    std::string_view view() const { return {text_, static_cast<std::size_t>(length_)}; }

private:
    char text_[kCapacity + 1] = {};
    int length_ = 0;
};
