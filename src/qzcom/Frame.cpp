#include "Frame.h"

#include <cctype>
#include <cstdio>

namespace qzcom {

unsigned char checkByte(std::string_view bytes) {
    unsigned sum = 0;
    for (char c : bytes) sum += static_cast<unsigned char>(c);
    return static_cast<unsigned char>(0x80 | (sum % 128));
}

std::string requestFrame(int address, std::optional<int> tag, std::string_view code,
                         std::string_view data) {
    std::string frame;
    frame.reserve(code.size() + data.size() + 10);
    frame += kStx;
    frame += static_cast<char>(0x80 + address);
    if (tag) {
        char text[8];
        std::snprintf(text, sizeof text, "*%04d", *tag % kTagLimit);
        frame += text;
    }
    frame += code;
    frame += data;
    frame += static_cast<char>(checkByte(frame));
    frame += kCr;
    return frame;
}

std::string replyText(std::string_view line, bool tagged, std::optional<int>* tag) {
    if (tag) tag->reset();
    std::size_t start = 2;  // SOH and the address byte
    if (tagged && line.size() >= start + 5 && line[start] == '*') {
        int value = 0;
        bool digits = true;
        for (std::size_t i = start + 1; i < start + 5; ++i) {
            digits = digits && std::isdigit(static_cast<unsigned char>(line[i]));
            value = value * 10 + (line[i] - '0');
        }
        if (tag && digits) *tag = value;
        start += 5;
    }
    // The check byte and CR go; a line too short for them has no text.
    if (line.size() < start + 2) return {};
    return std::string(line.substr(start, line.size() - start - 2));
}

int replyCode(std::string_view text) {
    if (text.size() < 5 || text[0] != 'T' || text.substr(3, 2) != "Rx") return 0;
    int code = 0;
    for (char c : text.substr(5, 4)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) break;
        code = code * 10 + (c - '0');
    }
    return code;
}

LineCollector::State LineCollector::add(char byte) {
    if (byte == kSoh) line_.clear();
    line_ += byte;
    if (byte == kCr) return State::Complete;
    return line_.size() >= kMaxLine ? State::Overflow : State::More;
}

}  // namespace qzcom
