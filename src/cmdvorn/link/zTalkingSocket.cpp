#include "zTalkingSocket.h"

#include "WinsockError.h"
#include "winError.h"
#include "zDeadline.h"

#include <arpa/inet.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
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
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return failErrno(errno);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = portNet_;
    inet_pton(AF_INET, secondName_.c_str(), &addr.sin_addr);

    int err = 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        err = errno;
        if (err == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int ready;
            do {
                ready = ::poll(&p, 1, connectTimeoutMs_);
            } while (ready < 0 && errno == EINTR);
            if (ready == 0) {
                err = ETIMEDOUT;
            } else {
                socklen_t len = sizeof err;
                if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
            }
        }
    }
    if (err != 0) {
        ::close(fd);
        return failErrno(err);
    }
    // Blocking from here on; time-outs come from poll and the send time-out.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
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
