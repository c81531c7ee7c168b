#include "TcpConnect.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

namespace fnd {
namespace {

enum class Attempt { Connected, Refused, NoSocket, Stopped, TimedOut };

// One connect to one address, awaited until `until`.
Attempt connectOnce(const addrinfo& address, const Deadline& until, const std::function<bool()>& stop,
                    int stopPollMs, zFd& socket, int& error) {
    socket.reset(::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          address.ai_protocol));
    if (!socket.valid()) {
        error = errno;
        return Attempt::NoSocket;
    }
    if (::connect(socket.get(), address.ai_addr, address.ai_addrlen) == 0) return Attempt::Connected;
    if (errno != EINPROGRESS) {
        error = errno;
        socket.reset();
        return Attempt::Refused;
    }
    for (;;) {
        pollfd p{socket.get(), POLLOUT, 0};
        // With a stop check the wait goes in whole slices, the deadline
        // looked at after each: even a deadline already passed gets one.
        const int ready = ::poll(&p, 1, stop ? stopPollMs : until.msLeft());
        if (ready < 0 && errno != EINTR) {
            error = errno;
            socket.reset();
            return Attempt::Refused;
        }
        if (ready > 0) {
            int soError = 0;
            socklen_t size = sizeof soError;
            if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &soError, &size) != 0) soError = errno;
            if (soError == 0) return Attempt::Connected;
            error = soError;
            socket.reset();
            return Attempt::Refused;
        }
        if (stop && stop()) {
            socket.reset();
            return Attempt::Stopped;
        }
        if (until.passed()) {
            socket.reset();
            return Attempt::TimedOut;
        }
    }
}

TcpConnection failed(TcpConnection::Failure failure, int error) {
    TcpConnection result;
    result.failure = failure;
    result.error = error;
    return result;
}

}  // namespace

TcpConnection tcpConnect(const std::string& host, std::uint16_t port, const Deadline& deadline,
                         const std::function<bool()>& stop, const TcpConnectOptions& options) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); rc != 0 || !found) {
        TcpConnection result = failed(TcpConnection::Failure::Resolve, rc == EAI_SYSTEM ? errno : 0);
        result.resolverError = rc != 0 ? rc : EAI_NONAME;
        return result;
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);

    TcpConnection result;
    for (;;) {
        int error = 0;
        for (const addrinfo* a = addresses.get(); a; a = a->ai_next) {
            const Deadline share(std::min<long>(options.perAddressMs, deadline.msLeft()));
            const Deadline& until = options.perAddressMs > 0 ? share : deadline;
            switch (connectOnce(*a, until, stop, options.stopPollMs, result.socket, error)) {
            case Attempt::Connected:
                if (options.blocking)
                    ::fcntl(result.socket.get(), F_SETFL, ::fcntl(result.socket.get(), F_GETFL) & ~O_NONBLOCK);
                return result;
            case Attempt::NoSocket: return failed(TcpConnection::Failure::Socket, error);
            case Attempt::Stopped: return failed(TcpConnection::Failure::Connect, ECANCELED);
            case Attempt::TimedOut:
                if (deadline.passed()) return failed(TcpConnection::Failure::Connect, ETIMEDOUT);
                error = ETIMEDOUT;  // only this address's share ran out
                break;
            case Attempt::Refused: break;
            }
        }
        if (options.retryPauseMs <= 0) return failed(TcpConnection::Failure::Connect, error);
        sleepMs(options.retryPauseMs);
        if (stop && stop()) return failed(TcpConnection::Failure::Connect, ECANCELED);
        if (deadline.passed()) return failed(TcpConnection::Failure::Connect, ETIMEDOUT);
    }
}

}  // namespace fnd
