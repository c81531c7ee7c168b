#include "QzFrame.h"

#include <cctype>
#include <cstdio>

namespace vornsim::qz {
namespace {

constexpr char kStx = 0x02, kSoh = 0x01, kCr = 0x0d;
constexpr std::size_t kLongestFrame = 1024;

char sumByte(std::string_view bytes) {
    unsigned sum = 0;
    for (unsigned char c : bytes) sum += c;
    return static_cast<char>(0x80 | (sum & 0x7f));
}

}  // namespace

std::optional<QzRequest> parseQzRequest(std::string_view f, std::string& why) {
    // STX, address, code (2), check, CR at the least.
    if (f.size() < 6 || f.front() != kStx || f.back() != kCr) {
        why = "not a frame";
        return std::nullopt;
    }
    const std::string_view body = f.substr(0, f.size() - 2);
    if (sumByte(body) != f[f.size() - 2]) {
        why = "bad check byte";
        return std::nullopt;
    }
    const auto addressByte = static_cast<unsigned char>(f[1]);
    if (addressByte < 0x80) {
        why = "bad address byte";
        return std::nullopt;
    }
    QzRequest r;
    r.address = addressByte - 0x80;
    std::size_t at = 2;
    if (f[at] == '*') {
        if (body.size() < at + 5 + 2) {
            why = "short tag";
            return std::nullopt;
        }
        int tag = 0;
        for (std::size_t i = at + 1; i < at + 5; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(f[i]))) {
                why = "bad tag";
                return std::nullopt;
            }
            tag = tag * 10 + (f[i] - '0');
        }
        r.tag = tag;
        at += 5;
    }
    if (body.size() < at + 2) {
        why = "no code";
        return std::nullopt;
    }
    r.code = std::string(body.substr(at, 2));
    r.data = std::string(body.substr(at + 2));
    return r;
}

std::string buildQzReply(int address, std::optional<int> tag, std::string_view text) {
    std::string reply;
    reply += kSoh;
    reply += static_cast<char>(0x80 + address);
    if (tag) {
        char t[8];
        std::snprintf(t, sizeof t, "*%04d", *tag);
        reply += t;
    }
    reply += text;
    reply += sumByte(reply);
    reply += kCr;
    return reply;
}

std::vector<QzFramer::Event> QzFramer::feed(std::string_view bytes) {
    std::vector<Event> events;
    for (char c : bytes) {
        if (c == kStx) {
            if (!noise_.empty()) events.push_back({Event::Noise, std::move(noise_)});
            noise_.clear();
            frame_.assign(1, c);
            inFrame_ = true;
            continue;
        }
        if (!inFrame_) {
            noise_ += c;
            if (noise_.size() >= kLongestFrame) events.push_back({Event::Noise, std::move(noise_)});
            if (noise_.size() >= kLongestFrame) noise_.clear();
            continue;
        }
        frame_ += c;
        if (c == kCr) {
            events.push_back({Event::Frame, std::move(frame_)});
            frame_.clear();
            inFrame_ = false;
        } else if (frame_.size() > kLongestFrame) {
            events.push_back({Event::Oversize, std::move(frame_)});
            frame_.clear();
            inFrame_ = false;
        }
    }
    return events;
}

}  // namespace vornsim::qz
