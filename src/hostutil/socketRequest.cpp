// One-shot TCP request: connect, send the request once, read until the peer
// closes, copy the reply out. A peer that stays silent cannot block the host
// for ever: connecting and each wait for reply data are bounded.
#include "mirtadll.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kReceiveStep = 20000;
constexpr int kDefaultIdleMs = 30000;

int idleLimitMs() {
    const char* text = std::getenv("MIRTADLL_SOCKET_IDLE_MS");
    const int ms = text ? std::atoi(text) : 0;
    return ms > 0 ? ms : kDefaultIdleMs;
}

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() {
        if (fd_ >= 0) close(fd_);
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

bool waitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int rc;
    while ((rc = poll(&p, 1, timeoutMs)) == -1 && errno == EINTR) {}
    return rc > 0;
}

// Connects without blocking longer than the limit; the socket stays blocking
// afterwards so that send behaves as one plain call.
bool connectWithin(int fd, const sockaddr* address, socklen_t size, int timeoutMs) {
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    bool connected = connect(fd, address, size) == 0;
    if (!connected && errno == EINPROGRESS && waitFor(fd, POLLOUT, timeoutMs)) {
        int error = 0;
        socklen_t len = sizeof error;
        connected = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
    }
    fcntl(fd, F_SETFL, flags);
    return connected;
}

// A dotted address is used as it is; anything else is looked up by name.
int connectTo(const char* host, int port, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    in_addr dotted{};
    if (inet_pton(AF_INET, host, &dotted) == 1) hints.ai_flags = AI_NUMERICHOST;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host, service.c_str(), &hints, &found) != 0) return -1;
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd >= 0 && !connectWithin(fd, a->ai_addr, a->ai_addrlen, timeoutMs)) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    return fd;
}

}  // namespace

extern "C" MIRTA_API int sendSocketRequest(const char* host, int port, const char* request,
                                           char* reply) {
    if (!host || !*host || port <= 0 || port > 65535) return -1;
    const int idleMs = idleLimitMs();
    Socket socket(connectTo(host, port, idleMs));
    if (socket.fd() < 0) return -1;

    // One send; a partial send is not repeated. MSG_NOSIGNAL keeps a peer
    // that has already gone from killing the host with SIGPIPE.
    if (request && *request) send(socket.fd(), request, std::strlen(request), MSG_NOSIGNAL);

    // Read until the peer closes; a receive error or silence past the limit
    // also ends the reading, and what arrived so far is the reply.
    std::vector<char> received;
    std::size_t used = 0;
    while (waitFor(socket.fd(), POLLIN, idleMs)) {
        if (received.size() - used < kReceiveStep) received.resize(received.size() + kReceiveStep);
        const ssize_t got = recv(socket.fd(), received.data() + used, kReceiveStep, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        used += static_cast<std::size_t>(got);
    }
    shutdown(socket.fd(), SHUT_WR);

    if (reply && used > 0) memccpy(reply, received.data(), '\0', used);
    return static_cast<int>(used);
}
