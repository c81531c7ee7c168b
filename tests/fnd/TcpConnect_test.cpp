#include "TcpConnect.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A listening socket on a free loopback port. Nobody accepts: the kernel
// completes connections into the backlog on its own.
struct Listener {
    zFd fd{::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)};
    std::uint16_t port = 0;

    explicit Listener(int backlog = 4, std::uint16_t at = 0) {
        int on = 1;
        setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(at);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof addr;
        if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), size) != 0 || ::listen(fd.get(), backlog) != 0 ||
            getsockname(fd.get(), reinterpret_cast<sockaddr*>(&addr), &size) != 0)
            fd.reset();
        port = ntohs(addr.sin_port);
    }
};

TEST(TcpConnect, ConnectsToAListenerNonBlockingUnlessAsked) {
    Listener listener;
    fnd::TcpConnection plain = fnd::tcpConnect("127.0.0.1", listener.port, fnd::Deadline(5000));
    ASSERT_TRUE(plain.connected()) << plain.error;
    EXPECT_EQ(plain.failure, fnd::TcpConnection::Failure::None);
    EXPECT_NE(fcntl(plain.socket.get(), F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(fcntl(plain.socket.get(), F_GETFD) & FD_CLOEXEC, 0);

    fnd::TcpConnection blocking =
        fnd::tcpConnect("localhost", listener.port, fnd::Deadline(5000), {}, {.blocking = true});
    ASSERT_TRUE(blocking.connected()) << blocking.error;
    EXPECT_EQ(fcntl(blocking.socket.get(), F_GETFL) & O_NONBLOCK, 0);
}

TEST(TcpConnect, AClosedPortIsRefusedAtOnce) {
    std::uint16_t closed = Listener().port;  // bound, then given up
    const auto start = Clock::now();
    fnd::TcpConnection c = fnd::tcpConnect("127.0.0.1", closed, fnd::Deadline(10000));
    EXPECT_FALSE(c.connected());
    EXPECT_EQ(c.failure, fnd::TcpConnection::Failure::Connect);
    EXPECT_EQ(c.error, ECONNREFUSED);
    EXPECT_LT(msSince(start), 5000);
}

TEST(TcpConnect, AnUnansweredConnectEndsAtTheDeadlineOrWhenStopped) {
    // A listener whose one backlog place is taken leaves further connects unanswered.
    Listener full(0);
    ASSERT_TRUE(fnd::tcpConnect("127.0.0.1", full.port, fnd::Deadline(5000)).connected());

    auto start = Clock::now();
    fnd::TcpConnection late = fnd::tcpConnect("127.0.0.1", full.port, fnd::Deadline(300));
    EXPECT_EQ(late.error, ETIMEDOUT);
    EXPECT_GE(msSince(start), 290);

    int asked = 0;
    start = Clock::now();
    fnd::TcpConnection stopped = fnd::tcpConnect("127.0.0.1", full.port, fnd::Deadline(30000),
                                                 [&asked] { return ++asked == 3; }, {.stopPollMs = 20});
    EXPECT_EQ(stopped.error, ECANCELED);
    EXPECT_EQ(asked, 3);
    EXPECT_LT(msSince(start), 10000);
}

TEST(TcpConnect, ARefusedPeerIsTriedAgainUntilItListens) {
    std::uint16_t port = Listener().port;
    std::unique_ptr<Listener> late;
    // The peer starts listening while the connect pauses between attempts.
    auto stop = [&] {
        if (!late) late = std::make_unique<Listener>(4, port);
        return false;
    };
    fnd::TcpConnection c = fnd::tcpConnect("127.0.0.1", port, fnd::Deadline(10000), stop, {.retryPauseMs = 10});
    if (!late || !late->fd.valid()) GTEST_SKIP() << "port " << port << " was taken meanwhile";
    EXPECT_TRUE(c.connected()) << c.error;
}

}  // namespace
