#pragma once
// The telegram envelope of every exchange with a terminal: the request built
// from a command record, and the reply found, checked and taken apart in the
// received bytes. Both buffers live in the object, so an exchange allocates
// nothing.
#include "RunError.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// What an operation hands to a terminal for one exchange.
struct TelegramCommand {
    enum DataKind { NoData = 0, SendData = 1, ReceiveData = 2 };

    char text[21] = {};        // command text and arguments, copied verbatim
    int dataKind = NoData;
    unsigned char* data = nullptr;  // owned by the caller
    int dataLength = 0;

    TelegramCommand() = default;
    TelegramCommand(const char* command, int kind = NoData, void* bytes = nullptr, int length = 0);
};

struct ReplyHeader {
    bool valid = false;
    int sourceNode = 0;
    int sequence = 0;
    int extra = 0;
    int scanPosition = 0;
    int stxPosition = 0;  // 0: the reply carries no STX
};

class TelegramFrame {
public:
    static constexpr std::size_t kBufferSize = 1024;
    static constexpr char SOH = 0x01, STX = 0x02, EOT = 0x04;
    // A kind-1 request with an empty command text carries at most this many data bytes.
    static constexpr int kMaxDataBytes = (kBufferSize - 16) / 2;

    // Builds the request for the node with the next sequence number (01..99)
    // and clears the receive buffer. False when the request would not fit.
    bool build(int node, int timeoutSetting, const TelegramCommand& command);

    // A request without envelope, for the plain-text models; cut to fit.
    void setRequest(const char* bytes, std::size_t length);

    const char* request() const { return tx_; }
    std::size_t requestLength() const { return txLength_; }
    int sequence() const { return sequence_; }
    // The node the built request is addressed to, as its header carries it.
    int requestNode() const { return requestNode_; }

    // Where the link reads the reply into; at most kBufferSize bytes, the
    // byte after them is always NUL.
    char* receiveBuffer() { return rx_; }
    void clearReceiveBuffer();
    void setReceivedLength(std::size_t n);  // terminates the received text

    // Finds the first complete reply: None when valid, BadTelegram when there
    // is no valid telegram (or not addressed to the PC), BadCrc on a checksum
    // error.
    RunError parse();

    const ReplyHeader& header() const { return header_; }
    const char* received() const { return rx_; }
    std::string_view replyText() const;
    std::string_view replyData() const;
    // Hex pairs of the data section into bytes; zero fill where it is short.
    void decodeReplyData(unsigned char* out, int length) const;

private:
    char tx_[kBufferSize + 1] = {};
    std::size_t txLength_ = 0;
    char rx_[kBufferSize + 1] = {};
    int sequence_ = 0;
    int requestNode_ = 0;
    ReplyHeader header_;
};
