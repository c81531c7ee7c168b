// One-shot TCP request: connect, send the request once, read until the peer
// closes, copy the reply out. A peer cannot hold the host, fill its memory
// or write past the reply buffer: connecting and each wait are bounded, the
// whole call has a total time, and at most MIRTADLL_SOCKET_REPLY_MAX bytes
// are kept; the rest is read and dropped until the peer closes.
#include "TcpConnect.h"
#include "exportGuard.h"
#include "mirtadll.h"
#include "zDeadline.h"
#include "zFd.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace {

constexpr std::size_t kReceiveStep = 20000;
constexpr std::size_t kReplyMax = MIRTADLL_SOCKET_REPLY_MAX;
constexpr int kDefaultIdleMs = 30000;
constexpr int kDefaultTotalMs = 60000;
constexpr int kLargestPort = 65535;

int millisecondsFrom(const char* variable, int fallback) {
    const char* text = std::getenv(variable);
    const int ms = text ? std::atoi(text) : 0;
    return ms > 0 ? ms : fallback;
}

// The call's time limits: each wait, and the whole call.
class Limits {
public:
    Limits()
        : idleMs_(millisecondsFrom("MIRTADLL_SOCKET_IDLE_MS", kDefaultIdleMs)),
          total_(millisecondsFrom("MIRTADLL_SOCKET_TOTAL_MS", kDefaultTotalMs)) {}
    // The next wait: the idle limit, cut to what is left of the total.
    int waitMs() const { return std::min(total_.msLeft(), idleMs_); }
    int idleMs() const { return idleMs_; }
    const fnd::Deadline& total() const { return total_; }

private:
    int idleMs_;
    fnd::Deadline total_;
};

bool waitFor(int fd, short events, int timeoutMs) {
    if (timeoutMs <= 0) return false;
    pollfd p{fd, events, 0};
    int rc;
    while ((rc = poll(&p, 1, timeoutMs)) == -1 && errno == EINTR) {}
    return rc > 0;
}

// Each address of the host gets one idle wait, within the total; the
// socket is blocking once connected, so that send behaves as one plain call.
zFd connectTo(const char* host, int port, const Limits& limits) {
    fnd::TcpConnection connection = fnd::tcpConnect(host, static_cast<std::uint16_t>(port), limits.total(), {},
                                                    {.perAddressMs = limits.idleMs(), .blocking = true});
    return std::move(connection.socket);
}

// The reply's first `keep` bytes; the rest is read and dropped. Ends when the
// peer closes, on a receive error, or when a wait or the total time runs out.
std::vector<char> receiveReply(int fd, std::size_t keep, const Limits& limits) {
    std::vector<char> kept;
    kept.reserve(std::min(keep, kReceiveStep));
    std::vector<char> piece(kReceiveStep);
    while (waitFor(fd, POLLIN, limits.waitMs())) {
        const ssize_t got = recv(fd, piece.data(), piece.size(), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        const std::size_t room = keep - kept.size();
        kept.insert(kept.end(), piece.begin(), piece.begin() + std::min(room, static_cast<std::size_t>(got)));
    }
    return kept;
}

// Connects, sends, and receives at most `keep` bytes; -1 without a connection.
int request(const char* host, int port, const char* text, std::size_t keep, std::vector<char>& reply) {
    if (!host || !*host || port <= 0 || port > kLargestPort) return -1;
    const Limits limits;
    const zFd socket = connectTo(host, port, limits);
    if (!socket.valid()) return -1;

    // One send; a partial send is not repeated. MSG_NOSIGNAL keeps a peer
    // that has already gone from killing the host with SIGPIPE.
    if (text && *text) send(socket.get(), text, std::strlen(text), MSG_NOSIGNAL);
    reply = receiveReply(socket.get(), keep, limits);
    shutdown(socket.get(), SHUT_WR);
    return static_cast<int>(reply.size());
}

}  // namespace

static int sendSocketRequestBody(const char* host, int port, const char* text, char* reply) {
    std::vector<char> received;
    const int result = request(host, port, text, kReplyMax, received);
    if (reply && result > 0) memccpy(reply, received.data(), '\0', received.size());
    return result;
}

static int sendSocketRequestSizedBody(const char* host, int port, const char* text, char* reply,
                                      int replySize) {
    if (!reply || replySize < 1) return -1;
    std::vector<char> received;
    // One byte of the buffer is kept for the terminating zero.
    const std::size_t keep = std::min(kReplyMax, static_cast<std::size_t>(replySize) - 1);
    const int result = request(host, port, text, keep, received);
    if (result < 0) return result;
    const std::size_t copied = std::find(received.begin(), received.end(), '\0') - received.begin();
    std::memcpy(reply, received.data(), copied);
    reply[copied] = '\0';
    return result;
}

extern "C" MIRTA_API int sendSocketRequest(const char* host, int port, const char* request,
                                           char* reply) {
    return hostutil::guarded("sendSocketRequest", -1, [&] { return sendSocketRequestBody(host, port, request, reply); });
}

extern "C" MIRTA_API int sendSocketRequestSized(const char* host, int port, const char* request, char* reply,
                                                int replySize) {
    return hostutil::guarded("sendSocketRequestSized", -1,
                             [&] { return sendSocketRequestSizedBody(host, port, request, reply, replySize); });
}
