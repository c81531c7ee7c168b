#pragma once
// A line to a time service for the tests: the bytes of a script, then, when
// a source is given, more lines from it; nothing left is a time-out.
#include "zCommDev.h"

#include <cstdio>
#include <deque>
#include <functional>
#include <string>

// A line as the service sends it: 78 characters, CR and LF.
inline std::string codeLine(int year, int month, int day, int hour, int minute, int second, int weekday = 3) {
    std::string line(78, ' ');
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    line.replace(0, 10, buf);
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", hour, minute, second);
    line.replace(11, 8, buf);
    line[25] = static_cast<char>('0' + weekday);
    std::snprintf(buf, sizeof buf, "%02d", hour);
    line.replace(45, 2, buf);
    line[77] = '*';
    return line + "\r\n";
}

// Serves queued bytes one read at a time; an empty queue is a time-out.
class ScriptedLine : public zCommDev {
public:
    explicit ScriptedLine(std::string bytes, std::function<std::string()> more = {})
        : bytes_(bytes.begin(), bytes.end()), more_(std::move(more)) {}
    bool open(const char*) override { return open_ = opens; }
    bool close() override { return !(open_ = false); }
    bool isOpen() const override { return open_; }
    bool write(const void*, std::size_t length, std::size_t& written) override {
        written = length;
        return true;
    }
    bool read(void* buffer, std::size_t, std::size_t& count) override {
        count = 0;
        if (bytes_.empty() && more_) {
            std::string line = more_();
            bytes_.assign(line.begin(), line.end());
        }
        if (bytes_.empty()) return false;
        *static_cast<char*>(buffer) = bytes_.front();
        bytes_.pop_front();
        count = 1;
        ++bytesRead;
        return true;
    }
    bool hasInput() override { return !bytes_.empty(); }
    void purge(Purge which) override { purged = which; }
    LinkKind kind() const override { return LinkKind::SerialPort; }
    const char* kindName() const override { return "Script"; }

    std::deque<char> bytes_;
    std::function<std::string()> more_;
    bool opens = true;  // false: the line cannot be opened
    bool open_ = false;
    Purge purged{};
    int bytesRead = 0;
};
