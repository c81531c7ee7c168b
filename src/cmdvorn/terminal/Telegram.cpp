#include "Telegram.h"

#include "crc16.h"

#include <cstdio>
#include <cstring>

namespace {

int twoDigits(const char* p) { return (p[0] - '0') * 10 + (p[1] - '0'); }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

}  // namespace

TelegramCommand::TelegramCommand(const char* command, int kind, void* bytes, int length)
    : dataKind(kind), data(static_cast<unsigned char*>(bytes)), dataLength(length) {
    std::snprintf(text, sizeof text, "%s", command ? command : "");
}

bool TelegramFrame::build(int node, int timeoutSetting, const TelegramCommand& command) {
    std::memset(tx_, 0, sizeof tx_);
    clearReceiveBuffer();
    if (++sequence_ >= 100) sequence_ = 1;

    requestNode_ = node % 100;
    int n = std::snprintf(tx_, sizeof tx_, "%c%02d00%02d%02d", SOH, requestNode_, sequence_, timeoutSetting % 10);
    std::size_t textLength = std::strlen(command.text);
    std::size_t dataBytes = command.dataKind == TelegramCommand::SendData && command.data ? command.dataLength : 0;
    // Header, text, STX, data, checksum and EOT must fit with the final NUL.
    if (n + textLength + 1 + 2 * dataBytes + 5 > kBufferSize - 1) {
        txLength_ = 0;
        tx_[0] = '\0';
        return false;
    }
    std::memcpy(tx_ + n, command.text, textLength);
    n += static_cast<int>(textLength);
    if (command.dataKind == TelegramCommand::SendData) {
        tx_[n++] = STX;
        static const char kHex[] = "0123456789abcdef";
        for (std::size_t i = 0; i < dataBytes; ++i) {
            tx_[n++] = kHex[command.data[i] >> 4];
            tx_[n++] = kHex[command.data[i] & 0x0F];
        }
    }
    std::uint16_t crc = fnd::crc16(tx_, static_cast<std::size_t>(n));
    n += std::snprintf(tx_ + n, sizeof tx_ - n, "%04x%c", crc, EOT);
    txLength_ = static_cast<std::size_t>(n);
    return true;
}

void TelegramFrame::setRequest(const char* bytes, std::size_t length) {
    std::memset(tx_, 0, sizeof tx_);
    clearReceiveBuffer();
    txLength_ = length < kBufferSize ? length : kBufferSize;
    std::memcpy(tx_, bytes, txLength_);
}

void TelegramFrame::clearReceiveBuffer() { std::memset(rx_, 0, sizeof rx_); }

void TelegramFrame::setReceivedLength(std::size_t n) { rx_[n < kBufferSize ? n : kBufferSize] = '\0'; }

RunError TelegramFrame::parse() {
    header_ = ReplyHeader();
    RunError status = RunError::BadTelegram;
    char* soh = std::strchr(rx_, SOH);
    if (!soh) return status;
    std::size_t start = static_cast<std::size_t>(soh - rx_);
    std::size_t length = std::strlen(soh);

    for (std::size_t pos = 1; pos < length; ++pos) {
        char c = soh[pos];
        if (c == STX) {
            header_.stxPosition = static_cast<int>(pos);
        } else if (c == EOT) {
            // Too short to hold a header and a checksum: not a telegram.
            if (pos < 13 || twoDigits(soh + 1) != 0) {
                header_.scanPosition = 0;
                return status;
            }
            std::uint16_t crc = fnd::crc16(soh, pos - 4);
            soh[pos] = '\0';
            unsigned received = 0;
            for (std::size_t i = pos - 4; i < pos; ++i) received = received * 16 + static_cast<unsigned>(hexValue(soh[i]));
            if ((received & 0xFFFF) != crc) return RunError::BadCrc;
            header_.valid = true;
            status = RunError::None;
            soh[pos - 4] = '\0';
            if (header_.stxPosition >= static_cast<int>(pos - 4)) header_.stxPosition = 0;
            header_.sourceNode = twoDigits(soh + 3);
            header_.sequence = twoDigits(soh + 5);
            header_.extra = twoDigits(soh + 7);
            header_.scanPosition = static_cast<int>(pos);
            break;
        }
    }
    if (start > 0) {
        std::memmove(rx_, rx_ + start, kBufferSize - start);
        std::memset(rx_ + kBufferSize - start, 0, start);
    }
    return status;
}

std::string_view TelegramFrame::replyText() const {
    if (!header_.valid) return {};
    std::string_view all(rx_ + 9);
    if (header_.stxPosition > 0 && header_.stxPosition < 9) return {};
    if (header_.stxPosition > 0) return all.substr(0, static_cast<std::size_t>(header_.stxPosition - 9));
    return all;
}

std::string_view TelegramFrame::replyData() const {
    if (!header_.valid || header_.stxPosition == 0) return {};
    return std::string_view(rx_ + header_.stxPosition + 1);
}

void TelegramFrame::decodeReplyData(unsigned char* out, int length) const {
    if (!out || length <= 0) return;
    std::string_view data = replyData();
    for (int i = 0; i < length; ++i) {
        std::size_t at = static_cast<std::size_t>(i) * 2;
        out[i] = at + 1 < data.size() ? static_cast<unsigned char>(hexValue(data[at]) * 16 + hexValue(data[at + 1])) : 0;
    }
}
