#pragma once
// Connecting a TCP socket without ever blocking past a deadline: the connect
// runs non-blocking and its answer is awaited with poll, while a stop check
// may give it up. Failures are errno values; each caller translates them
// into its own error space.
#include "zDeadline.h"
#include "zFd.h"

#include <cstdint>
#include <functional>
#include <string>

namespace fnd {

struct TcpConnectOptions {
    // How long one address may take (0: as long as the deadline allows), so
    // that a silent first address leaves time for the next.
    long perAddressMs = 0;
    // A refused or unreachable attempt is made again after this pause until
    // the deadline (0: each address once).
    long retryPauseMs = 0;
    // How often the stop check is asked while an answer is awaited.
    int stopPollMs = 100;
    // The connected socket is left blocking rather than non-blocking.
    bool blocking = false;
};

struct TcpConnection {
    enum class Failure { None, Resolve, Socket, Connect };

    zFd socket;  // connected and close-on-exec; invalid on failure
    Failure failure = Failure::None;
    // errno: ETIMEDOUT the deadline passed, ECANCELED the stop check said
    // so, else what the socket or the connect reported (ECONNREFUSED ...).
    int error = 0;
    // getaddrinfo's code when the host did not resolve.
    int resolverError = 0;

    bool connected() const { return socket.valid(); }
};

// Connects to host (a dotted address or a name) and port, trying each
// address the host has in turn. stop, when given, is asked between waits.
TcpConnection tcpConnect(const std::string& host, std::uint16_t port, const Deadline& deadline,
                         const std::function<bool()>& stop = {}, const TcpConnectOptions& options = {});

}  // namespace fnd
