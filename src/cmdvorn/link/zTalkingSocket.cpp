#include "zTalkingSocket.h"

#include "WinsockError.h"
#include "winError.h"
#include "TcpConnect.h"
#include "zDeadline.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {
constexpr int kPurgeChunk = 132;
constexpr int kMaxPurgeChunks = 512;  // a peer that never stops talking cannot hold a write up
constexpr int kSettleMs = 100;
}  // namespace

zTalkingSocket::zTalkingSocket(const zString& host, int port) {
    setHost(host);
    setPort(port);
}

zTalkingSocket::~zTalkingSocket() {
    close();
}

bool zTalkingSocket::connectSocket() {
    // Blocking once connected; time-outs come from poll and the send time-out.
    fnd::TcpConnection connection =
        fnd::tcpConnect(secondName_.str(), ntohs(portNet_), fnd::Deadline(connectTimeoutMs_), {}, {.blocking = true});
    if (connection.failure == fnd::TcpConnection::Failure::Resolve) {
        lastError_ = wsa::fromResolver(connection.resolverError, connection.error);
        return false;
    }
    if (!connection.connected()) return failErrno(connection.error);
    fd_ = connection.socket.release();
    if (writeTimeout_ > 0) {
        timeval tv{writeTimeout_ / 1000, (writeTimeout_ % 1000) * 1000};
        setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    }
    return true;
}

bool zTalkingSocket::open(const char* /*name*/) {
    if (secondName_.isEmpty()) return false;  // the host never resolved
    if (isOpen()) return true;
    if (!connectSocket()) return false;
    fnd::sleepMs(kSettleMs);
    purge(Purge::Both);
    lastError_ = 0;
    return true;
}

bool zTalkingSocket::openTo(const zString& host, int port) {
    close();
    if (!setHost(host) && secondName_.isEmpty()) return false;
    setPort(port);
    return open();
}

bool zTalkingSocket::close() {
    dropBuffered();
    if (isOpen()) {
        ::shutdown(fd_, SHUT_RDWR);
        closeHandle();
    }
    return true;
}

void zTalkingSocket::markClosed() {
    dropBuffered();
    if (isOpen()) closeHandle();
}

bool zTalkingSocket::hasInput(bool wait) { return waitForInput(wait ? std::max(readTimeout_, kMinReadWaitMs) : 0); }

bool zTalkingSocket::waitForInput(int ms) {
    if (!isOpen()) return false;
    if (buffered()) return true;
    // A signal (the operator's Ctrl-C) only interrupts the wait: the
    // exchange finishes and the operation then sees the interruption.
    const fnd::Deadline deadline(ms);
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        int rc = ::poll(&p, 1, deadline.msLeft());
        if (rc < 0 && errno == EINTR) continue;
        if (rc < 0) return failErrno(errno);
        return rc > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    }
}

bool zTalkingSocket::usable(const void* buffer) {
    if (!buffer) {
        lastError_ = fnd::kErrInvalidParameter;
        return false;
    }
    if (!isOpen()) {
        lastError_ = wsa::kNotConn;
        return false;
    }
    return true;
}

bool zTalkingSocket::read(void* buffer, std::size_t size, std::size_t& count) {
    return receive(buffer, size, count, std::max(readTimeout_, kMinReadWaitMs));
}

bool zTalkingSocket::readByteWithin(char& c, int ms) {
    std::size_t count = 0;
    return receive(&c, 1, count, ms) && count == 1;
}

bool zTalkingSocket::receive(void* buffer, std::size_t size, std::size_t& count, int waitMs) {
    count = 0;
    if (!usable(buffer)) return false;
    std::memset(buffer, 0, size);
    if (size == 0 || !waitForInput(waitMs)) return false;
    if (!buffered()) {
        ssize_t n;
        do {
            n = ::recv(fd_, rx_.data(), rx_.size(), 0);
        } while (n < 0 && errno == EINTR);
        if (n < 0) return failErrno(errno);
        if (n == 0) {
            lastError_ = wsa::kDisconnected;
            markClosed();
            return false;
        }
        rxBegin_ = 0;
        rxEnd_ = static_cast<std::size_t>(n);
    }
    count = std::min(size, rxEnd_ - rxBegin_);
    std::memcpy(buffer, rx_.data() + rxBegin_, count);
    rxBegin_ += count;
    return true;
}

bool zTalkingSocket::write(const void* buffer, std::size_t length, std::size_t& written) {
    written = 0;
    if (!usable(buffer)) return false;
    purge(Purge::Both);
    const auto* bytes = static_cast<const char*>(buffer);
    for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
        ssize_t n = ::send(fd_, bytes + written, length - written, MSG_NOSIGNAL);
        if (n >= 0) {
            written += static_cast<std::size_t>(n);
            lastError_ = 0;
            if (written == length) return true;
            continue;  // the rest of a partial send
        }
        int err = errno;
        if (err == EINTR) continue;
        lastError_ = wsa::fromErrno(err);
        switch (lastError_) {
            case wsa::kNoBufs:
            case wsa::kInProgress:
                continue;
            case wsa::kConnReset:
                close();
                if (!open()) return false;
                written = 0;  // the new connection gets the whole request
                continue;
            case wsa::kNotConn:
            case wsa::kNetReset:
            case wsa::kShutdown:
                markClosed();
                return false;
            default:
                return false;
        }
    }
    return written > 0;
}

void zTalkingSocket::purge(Purge /*which*/) {
    // Everything already received is stale once a new request goes out.
    dropBuffered();
    char discard[kPurgeChunk];
    for (int chunk = 0; chunk < kMaxPurgeChunks && hasInput(false); ++chunk) {
        ssize_t n = ::recv(fd_, discard, sizeof discard, MSG_DONTWAIT);
        if (n <= 0) break;  // a peer close is left for the next read to see
    }
}
