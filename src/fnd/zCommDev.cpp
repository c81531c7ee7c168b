#include "zCommDev.h"

#include "winError.h"

#include <cstring>

bool zCommDev::writeByte(char c) {
    std::size_t written = 0;
    return write(&c, 1, written) && written == 1;
}

bool zCommDev::writeString(const char* text) {
    if (!text) {
        lastError_ = fnd::kErrInvalidParameter;
        return false;
    }
    std::size_t len = std::strlen(text);
    std::size_t written = 0;
    return write(text, len, written) && written == len;
}


bool zCommDev::readByte(char& c) {
    std::size_t count = 0;
    return read(&c, 1, count) && count == 1;
}

bool zCommDev::readLine(char* buffer, std::size_t size) {
    if (!buffer || size == 0) {
        lastError_ = fnd::kErrInvalidParameter;
        return false;
    }
    std::size_t stored = 0;
    char c = 0;
    while (stored + 1 < size && readByte(c)) {
        if (c == '\0') break;
        buffer[stored++] = c;
        if (c == terminator_) break;
    }
    buffer[stored] = '\0';
    return stored > 0;
}

bool zCommDev::readTelegram(char* buffer, std::size_t size, std::size_t& count) {
    bool ok = readLine(buffer, size + 1);
    count = std::strlen(buffer);
    return ok;
}

bool zCommDev::readLineString(zString& line) {
    std::string text;
    char c = 0;
    while (readByte(c)) {
        if (c == '\0') break;
        text.push_back(c);
        if (c == terminator_) break;
    }
    line.assign(text);
    return !line.isEmpty();
}

zString zCommDev::errorText(int code) const {
    if (code == 0) code = lastError_;
    return zString(fnd::winErrorText(code));
}
