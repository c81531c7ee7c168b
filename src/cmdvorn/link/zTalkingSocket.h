#pragma once
// The connecting TCP client the terminals use, a byte link like a serial
// port: open connects, write sends, read returns what one receive delivers.
// There is no terminator wait on this link. A peer that closes the
// connection closes the link; the next open connects again.
//
// What one receive delivers is kept in the link, so that byte-by-byte
// reads cost no system call each; purge and close drop it.
#include "zSocket.h"

#include <array>

class zTalkingSocket : public zSocket {
public:
    static constexpr int kDefaultPort = 3000;
    static constexpr int kSendAttempts = 100;
    static constexpr int kConnectTimeoutMs = 21000;
    // A reply is waited for at least this long, whatever the read time-out.
    static constexpr int kMinReadWaitMs = 1000;

    // Resolves host at once; a failure stays in lastError() for the caller.
    zTalkingSocket(const zString& host, int port);
    ~zTalkingSocket() override;

    bool open(const char* name = nullptr) override;
    bool openTo(const zString& host, int port);
    bool close() override;
    bool isOpen() const override { return fd_ >= 0; }
    bool write(const void* buffer, std::size_t length, std::size_t& written) override;
    bool read(void* buffer, std::size_t size, std::size_t& count) override;
    // Received bytes are waiting now.
    bool hasInput() override { return hasInput(false); }
    // With wait, up to the read time-out, and at least kMinReadWaitMs.
    bool hasInput(bool wait);
    // One byte that arrives within ms, however short: the quiet gap that
    // ends a message, where the floor of a reply's first byte must not apply.
    bool readByteWithin(char& c, int ms);
    void purge(Purge which) override;
    LinkKind kind() const override { return LinkKind::Tcp; }
    const char* kindName() const override { return "TCP/IP node"; }

    void setConnectTimeout(int ms) { connectTimeoutMs_ = ms; }

private:
    bool connectSocket();
    bool waitForInput(int ms);
    bool receive(void* buffer, std::size_t size, std::size_t& count, int waitMs);
    // A buffer is given (87) and the link is open (10057).
    bool usable(const void* buffer);
    void markClosed();

    bool buffered() const { return rxBegin_ < rxEnd_; }
    void dropBuffered() { rxBegin_ = rxEnd_ = 0; }

    int connectTimeoutMs_ = kConnectTimeoutMs;
    std::array<char, 4096> rx_{};
    std::size_t rxBegin_ = 0;
    std::size_t rxEnd_ = 0;
};
