#include "Telegram.h"

#include "crc16.h"

#include <cstdio>

namespace vornsim {
namespace {

bool twoDigits(std::string_view s, std::size_t at, int& value) {
    if (s.size() < at + 2) return false;
    char a = s[at], b = s[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return false;
    value = (a - '0') * 10 + (b - '0');
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string hexEncode(const Bytes& data) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(data.size() * 2);
    for (auto b : data) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

std::optional<Bytes> hexDecode(std::string_view hex) {
    if (hex.size() % 2) return std::nullopt;
    Bytes out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int hi = hexValue(hex[i]), lo = hexValue(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return out;
}

ParsedRequest parseRequest(std::string_view frame) {
    ParsedRequest result;
    auto refuse = [&](RequestError e, std::string why) {
        result.error = e;
        result.reason = std::move(why);
        return result;
    };
    // SOH, three two-digit fields and the timeout field, 4 checksum digits, EOT.
    if (frame.size() < 14 || frame.front() != kSoh || frame.back() != kEot)
        return refuse(RequestError::Malformed, "too short or not framed");
    Request& r = result.request;
    if (!twoDigits(frame, 1, r.destination) || !twoDigits(frame, 3, r.source) ||
        !twoDigits(frame, 5, r.sequence) || !twoDigits(frame, 7, r.timeoutField))
        return refuse(RequestError::Malformed, "header fields are not decimal");

    std::size_t checksumAt = frame.size() - 5;
    int received = 0;
    for (std::size_t i = checksumAt; i < checksumAt + 4; ++i) {
        int v = hexValue(frame[i]);
        if (v < 0) return refuse(RequestError::Malformed, "checksum is not hexadecimal");
        received = received * 16 + v;
    }
    std::uint16_t computed = fnd::crc16(frame.data(), checksumAt);
    if (computed != received) {
        char why[64];
        std::snprintf(why, sizeof why, "checksum %04x, computed %04x", received, computed);
        return refuse(RequestError::BadChecksum, why);
    }

    std::string_view body = frame.substr(9, checksumAt - 9);
    for (char c : body)
        if (c == kSoh || c == kEot) return refuse(RequestError::Malformed, "control byte inside telegram");
    auto stx = body.find(kStx);
    r.text = std::string(body.substr(0, stx));
    if (stx != std::string_view::npos) {
        auto data = hexDecode(body.substr(stx + 1));
        if (!data) return refuse(RequestError::Malformed, "data section is not hex digit pairs");
        r.data = std::move(*data);
    }
    return result;
}

std::string buildReply(const ReplyParts& reply) {
    char header[16];
    std::snprintf(header, sizeof header, "%c%02d%02d%02d00", kSoh, reply.destination % 100, reply.source % 100,
                  reply.sequence % 100);
    std::string out = header;
    out += reply.text;
    if (reply.rawData) {
        out.push_back(kStx);
        out += *reply.rawData;
    } else if (reply.data) {
        out.push_back(kStx);
        out += hexEncode(*reply.data);
    }
    std::uint16_t crc = fnd::crc16(out.data(), out.size());
    if (reply.corruptChecksum) crc ^= 0x5a5a;
    char trailer[8];
    std::snprintf(trailer, sizeof trailer, "%04x%c", crc, kEot);
    out += trailer;
    return out;
}

std::string escapeBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c >= 0x20 && c < 0x7f) {
            out.push_back(static_cast<char>(c));
        } else {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out;
}

}  // namespace vornsim
