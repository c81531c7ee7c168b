#pragma once
// Text value with shared storage and copy on write: copies share one buffer,
// the first change to a shared value gives it a buffer of its own.
#include <cstdarg>
#include <memory>
#include <string>
#include <string_view>

class zString {
public:
    static constexpr int npos = -1;

    zString();
    zString(const char* text);  // NOLINT: implicit like a C string
    zString(const char* text, int length);
    zString(std::string_view text);  // NOLINT
    zString(int count, char c);

    // printf-style formatting into a new value.
    static zString format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
    zString& printf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    zString& vprintf(const char* fmt, va_list args);

    const char* c_str() const { return ptr_->c_str(); }
    operator std::string_view() const { return *ptr_; }  // NOLINT
    const std::string& str() const { return *ptr_; }
    int length() const { return static_cast<int>(ptr_->size()); }
    bool isEmpty() const { return ptr_->empty(); }
    bool sharesStorageWith(const zString& other) const { return ptr_ == other.ptr_; }

    // Index 0..length; index length reads the terminating NUL.
    char operator[](int i) const;
    void setAt(int i, char c);

    zString& assign(std::string_view text);
    zString& operator=(const char* text) { return assign(text); }
    zString& append(std::string_view text);
    zString& append(char c);
    zString& operator+=(std::string_view text) { return append(text); }
    zString& operator+=(const zString& text) { return append(std::string_view(text)); }
    zString& operator+=(const char* text) { return append(std::string_view(text)); }
    zString& operator+=(char c) { return append(c); }
    zString& insert(int at, std::string_view text);
    zString& remove(int at, int count);
    void clear() { assign(""); }

    zString left(int count) const;
    zString right(int count) const;
    zString mid(int from, int count = npos) const;

    int find(char c, int from = 0) const;
    int find(std::string_view text, int from = 0) const;
    int findLast(char c) const;
    int findLast(std::string_view text) const;

    zString& trim();       // blanks, tabs, CR and LF at both ends
    zString& trimLeft();
    zString& trimRight();
    zString& toUpper();
    zString& toLower();

    int compare(std::string_view other) const;
    int compareNoCase(std::string_view other) const;
    bool equalsNoCase(std::string_view other) const { return compareNoCase(other) == 0; }

    // Leading blanks skipped, optional sign, decimal digits; 0 when none.
    long toLong(int base = 10) const;
    int toInt(int base = 10) const { return static_cast<int>(toLong(base)); }

    friend bool operator==(const zString& a, const zString& b) { return *a.ptr_ == *b.ptr_; }
    friend bool operator==(const zString& a, const char* b) { return *a.ptr_ == b; }
    friend bool operator<(const zString& a, const zString& b) { return *a.ptr_ < *b.ptr_; }
    friend zString operator+(const zString& a, std::string_view b);

private:
    std::string& writable();  // detaches shared storage before a change

    std::shared_ptr<std::string> ptr_;
};
