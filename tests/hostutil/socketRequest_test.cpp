// sendSocketRequest against a loopback server run by the test.
#include "hostTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <atomic>
#include <functional>
#include <thread>

using namespace std::string_literals;

namespace {

// Accepts one connection on 127.0.0.1 and hands it to the behaviour.
class LoopbackServer {
public:
    explicit LoopbackServer(std::function<void(int)> behaviour) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 1);
        socklen_t size = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, behaviour] {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 5000) != 1) return;
            const int peer = accept(listener_, nullptr, nullptr);
            behaviour(peer);
            close(peer);
        });
    }
    ~LoopbackServer() {
        thread_.join();
        close(listener_);
    }
    int port() const { return port_; }

private:
    int listener_;
    int port_ = 0;
    std::thread thread_;
};

// Reads what the client sent within a short wait.
std::string receiveRequest(int peer, std::size_t expected) {
    std::string request;
    char buffer[256];
    pollfd p{peer, POLLIN, 0};
    while (request.size() < expected && poll(&p, 1, 2000) == 1) {
        const ssize_t got = recv(peer, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    return request;
}

void sendAll(int peer, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t sent = send(peer, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (sent <= 0) return;
        at += static_cast<std::size_t>(sent);
    }
}

}  // namespace

TEST(SendSocketRequest, SendsTheRequestAndReturnsTheWholeReply) {
    std::string request;
    LoopbackServer server([&](int peer) {
        request = receiveRequest(peer, 10);
        sendAll(peer, "HELLO");
    });
    char reply[16];
    std::memset(reply, 'X', sizeof reply);
    EXPECT_EQ(mirta().sendSocketRequest("127.0.0.1", server.port(), "GET status", reply), 5);
    EXPECT_EQ(std::string(reply, 8), "HELLOXXX");  // no terminating zero is added
    EXPECT_EQ(request, "GET status");              // nor sent
}

TEST(SendSocketRequest, LongRepliesAreCutAtTheMaximumAndCopyingStopsAtAZeroByte) {
    constexpr std::size_t kGuard = 64;
    std::string reply(70000, ' ');
    for (std::size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<char>('a' + i % 26);
    {
        LoopbackServer server([&](int peer) {
            receiveRequest(peer, 1);
            sendAll(peer, reply);
        });
        std::string buffer(MIRTADLL_SOCKET_REPLY_MAX + kGuard, '#');
        EXPECT_EQ(mirta().sendSocketRequest("localhost", server.port(), "?", buffer.data()),
                  MIRTADLL_SOCKET_REPLY_MAX);
        EXPECT_EQ(buffer.substr(0, MIRTADLL_SOCKET_REPLY_MAX), reply.substr(0, MIRTADLL_SOCKET_REPLY_MAX));
        EXPECT_EQ(buffer.substr(MIRTADLL_SOCKET_REPLY_MAX), std::string(kGuard, '#'))
            << "written past the documented maximum";
    }
    {
        LoopbackServer server([&](int peer) { sendAll(peer, "AB\0CD"s); });
        char buffer[8];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(mirta().sendSocketRequest("127.0.0.1", server.port(), nullptr, buffer), 5);
        EXPECT_EQ(std::string(buffer, 6), "AB\0XXX"s);
    }
}

TEST(SendSocketRequest, APeerThatStreamsWithoutEndIsCutAtTheTotalTime) {
    setenv("MIRTADLL_SOCKET_TOTAL_MS", "500", 1);
    setenv("MIRTADLL_SOCKET_IDLE_MS", "3000", 1);
    std::atomic<bool> done{false};
    LoopbackServer server([&](int peer) {
        // A trickle that never pauses long enough for the idle limit.
        const std::string piece(1000, 's');
        for (int i = 0; i < 400 && !done; ++i) {
            sendAll(peer, piece);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    std::string buffer(MIRTADLL_SOCKET_REPLY_MAX + 64, '#');
    const auto start = std::chrono::steady_clock::now();
    const int got = mirta().sendSocketRequest("127.0.0.1", server.port(), "x", buffer.data());
    const auto took = std::chrono::steady_clock::now() - start;
    done = true;
    EXPECT_LT(took, std::chrono::milliseconds(1500));
    EXPECT_GT(got, 0);
    EXPECT_LE(got, MIRTADLL_SOCKET_REPLY_MAX);
    EXPECT_EQ(buffer.substr(MIRTADLL_SOCKET_REPLY_MAX), std::string(64, '#'));
    unsetenv("MIRTADLL_SOCKET_TOTAL_MS");
    unsetenv("MIRTADLL_SOCKET_IDLE_MS");
}

TEST(SendSocketRequest, TheSizedVariantKeepsToTheBufferAndEndsTheText) {
    {
        LoopbackServer server([&](int peer) {
            receiveRequest(peer, 1);
            sendAll(peer, std::string(300, 'r'));
        });
        char buffer[80];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(mirta().sendSocketRequestSized("127.0.0.1", server.port(), "?", buffer, 64), 63);
        EXPECT_EQ(std::string(buffer), std::string(63, 'r'));
        EXPECT_EQ(std::string(buffer + 64, 16), std::string(16, '#'));
    }
    {
        LoopbackServer server([&](int peer) { sendAll(peer, "AB\0CD"s); });
        char buffer[8];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(mirta().sendSocketRequestSized("127.0.0.1", server.port(), nullptr, buffer, 8), 5);
        EXPECT_STREQ(buffer, "AB");
    }
    char buffer[4] = "abc";
    EXPECT_EQ(mirta().sendSocketRequestSized("127.0.0.1", 1, "x", buffer, 0), -1);
    EXPECT_EQ(mirta().sendSocketRequestSized("127.0.0.1", 1, "x", nullptr, 4), -1);
    EXPECT_STREQ(buffer, "abc");
}

TEST(SendSocketRequest, NoConnectionGivesMinusOne) {
    int port;
    {
        LoopbackServer closed([](int) {});
        port = closed.port();
        EXPECT_EQ(mirta().sendSocketRequest("127.0.0.1", port, "x", nullptr), 0);
    }
    char reply[8] = "keep";
    EXPECT_EQ(mirta().sendSocketRequest("127.0.0.1", port, "x", reply), -1);  // nobody listens
    EXPECT_EQ(mirta().sendSocketRequest("no-such-host.invalid", 80, "x", reply), -1);
    EXPECT_EQ(mirta().sendSocketRequest(nullptr, 80, "x", reply), -1);
    EXPECT_EQ(mirta().sendSocketRequest("", 80, "x", reply), -1);
    EXPECT_EQ(mirta().sendSocketRequest("127.0.0.1", 0, "x", reply), -1);
    EXPECT_EQ(mirta().sendSocketRequest("127.0.0.1", 70000, "x", reply), -1);
    EXPECT_STREQ(reply, "keep");
}

TEST(SendSocketRequest, APeerThatNeverClosesCannotHangTheHost) {
    setenv("MIRTADLL_SOCKET_IDLE_MS", "300", 1);
    std::atomic<bool> done{false};
    LoopbackServer server([&](int peer) {
        sendAll(peer, "partial");
        while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    });
    char reply[16] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(mirta().sendSocketRequest("127.0.0.1", server.port(), "x", reply), 7);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_STREQ(reply, "partial");
    done = true;
    unsetenv("MIRTADLL_SOCKET_IDLE_MS");
}

TEST(SendSocketRequest, AResetEndsTheReading) {
    LoopbackServer server([](int peer) {
        receiveRequest(peer, 1);
        linger hard{1, 0};  // close with RST instead of an orderly shutdown
        setsockopt(peer, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    });
    char reply[8] = "keep";
    EXPECT_EQ(mirta().sendSocketRequest("127.0.0.1", server.port(), "x", reply), 0);
    EXPECT_STREQ(reply, "keep");
}
