#include "Eventually.h"
#include "LoopbackServer.h"
#include "PtyPair.h"
#include "WinsockError.h"
#include "zLanvexLink.h"
#include "zTalkingSocket.h"

#include <atomic>
#include <cerrno>
#include <netdb.h>

namespace {

using Clock = std::chrono::steady_clock;

TEST(WinsockErrors, ErrnoAndResolverResultsMapToWinsockNumbers) {
    EXPECT_EQ(wsa::fromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(wsa::fromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(wsa::fromErrno(ECONNRESET), 10054);
    EXPECT_EQ(wsa::fromErrno(EPIPE), 10054);
    EXPECT_EQ(wsa::fromErrno(ENOTCONN), 10057);
    EXPECT_EQ(wsa::fromErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(wsa::fromErrno(0), 0);
    EXPECT_EQ(wsa::fromResolver(EAI_NONAME, 0), 11001);
    EXPECT_EQ(wsa::fromResolver(EAI_AGAIN, 0), 11002);
    EXPECT_EQ(wsa::fromResolver(EAI_FAIL, 0), 11003);
    EXPECT_EQ(wsa::fromResolver(EAI_NODATA, 0), 11004);
    EXPECT_EQ(wsa::fromResolver(EAI_SYSTEM, ECONNREFUSED), 10061);
    // errno values of no socket meaning stay apart from every socket code.
    int other = wsa::fromErrno(ENOSPC);
    EXPECT_TRUE(other < 10000 || other > 11015);
}

TEST(WinsockErrors, Texts) {
    EXPECT_EQ(wsa::errorText(10060), "WSAETIMEDOUT, Connection timed out.");
    EXPECT_EQ(wsa::errorText(10061), "WSAECONNREFUSED, Connection refused.");
    EXPECT_EQ(wsa::errorText(10004), "WSAEALREADY, Operation was interrupted.");
    EXPECT_EQ(wsa::errorText(10047).rfind("WSEAFNOSUPPORT", 0), 0u);
    EXPECT_EQ(wsa::errorText(10048), "WSAEADDRINUSE, Triggered by bind() because a process went down without "
                                     "closing a socket.");
    EXPECT_EQ(wsa::errorText(10064), "WSAEHOSTDOWN, Networking subsystem not started.");
    EXPECT_EQ(wsa::errorText(10038), "WSAENOTSOCK, Socket operation on non-socket. A socket created in one process "
                                     "is used by another process.");
    EXPECT_EQ(wsa::errorText(10022), "WSAEINVAL, The socket has not been bound with bind() or is already connected.");
    for (int code : {10059, 10063, 10066, 10067, 10068, 10069, 10070, 10071})
        EXPECT_NE(wsa::errorText(code).find("Undocumented WinSock error."), std::string::npos) << code;
    EXPECT_EQ(wsa::errorText(11004), "WSANO_DATA or WSANO_ADDRESS, Valid name, no data record of requested type.");
    EXPECT_EQ(wsa::errorText(10062), "Unknown WinSock Error Number 10062 (WSABASEERR + 62)");
    EXPECT_EQ(wsa::errorText(87), "Unknown WinSock Error Number 87");
    EXPECT_EQ(wsa::errorText(0), "");
    int rows = 0;
    for (int code = 10000; code <= 11100; ++code)
        if (wsa::errorText(code).rfind("Unknown", 0) != 0) ++rows;
    EXPECT_EQ(rows, 61);
}

TEST(TcpHost, NamesAndAddresses) {
    zTalkingSocket byName("localhost", 23);
    EXPECT_EQ(byName.lastError(), 0);
    EXPECT_EQ(byName.addressText(), zString("127.0.0.1"));
    EXPECT_EQ(byName.serviceName(), zString("telnet"));
    zTalkingSocket byAddress("127.0.0.1", 3999);
    EXPECT_EQ(byAddress.secondName(), zString("127.0.0.1"));
    EXPECT_EQ(byAddress.name(), zString("localhost"));
    EXPECT_EQ(byAddress.port(), 3999);
    EXPECT_EQ(byAddress.serviceName(), zString("Port #3999"));
    EXPECT_EQ(byAddress.kind(), LinkKind::Tcp);
    EXPECT_STREQ(byAddress.kindName(), "TCP/IP node");
}

TEST(TcpHost, UnresolvableNameFailsToOpenWithItsCode) {
    zTalkingSocket link("nonexistent.invalid", 3000);
    EXPECT_EQ(link.lastError(), 11001);
    EXPECT_EQ(link.errorText(), zString("WSAHOST_NOT_FOUND, Host not found."));
    EXPECT_FALSE(link.open());
    EXPECT_FALSE(link.isOpen());
}

TEST(TcpLink, RoundTripOnLoopback) {
    std::string request;
    LoopbackServer server([&](int fd) {
        request = readUntil(fd, "\x04");
        sendText(fd, "\x01" "reply\x04");
        readUntil(fd, "bye");
    });
    zTalkingSocket link("127.0.0.1", server.port());
    link.setTerminator(zCommDev::kEOT);
    ASSERT_TRUE(link.open()) << link.errorText().c_str();
    EXPECT_TRUE(link.isOpen());
    ASSERT_TRUE(link.writeString("\x01" "0500010" "2VE1234\x04"));
    char buf[1024];
    std::size_t n = 0;
    ASSERT_TRUE(link.read(buf, sizeof buf, n));
    EXPECT_EQ(std::string(buf, n), "\x01" "reply\x04");
    EXPECT_EQ(request, "\x01" "0500010" "2VE1234\x04");
    EXPECT_TRUE(link.writeString("bye"));
    EXPECT_TRUE(link.close());
    EXPECT_FALSE(link.isOpen());
}

TEST(TcpLink, ConnectionRefused) {
    zTalkingSocket link("127.0.0.1", LoopbackServer::closedPort());
    EXPECT_FALSE(link.open());
    EXPECT_EQ(link.lastError(), 10061);
    EXPECT_EQ(link.errorText(), zString("WSAECONNREFUSED, Connection refused."));
    std::size_t n = 0;
    EXPECT_FALSE(link.write("x", 1, n));
    EXPECT_EQ(link.lastError(), 10057);
}

TEST(TcpLink, AnUnansweredConnectTimesOutWithItsCode) {
    // A listener whose one backlog place is taken leaves further connects unanswered.
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof addr;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), size), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &size), 0);
    zTalkingSocket first("127.0.0.1", ntohs(addr.sin_port));
    ASSERT_TRUE(first.open());

    zTalkingSocket link("127.0.0.1", ntohs(addr.sin_port));
    link.setConnectTimeout(300);
    auto start = Clock::now();
    EXPECT_FALSE(link.open());
    EXPECT_GE(msSince(start), 290);
    EXPECT_EQ(link.lastError(), 10060);
    EXPECT_FALSE(link.isOpen());
    ::close(listener);
}

TEST(TcpLink, PeerCloseClosesTheLinkAndReconnectWorks) {
    std::atomic<int> accepted{0};
    LoopbackServer server(
        [&](int fd) {
            if (++accepted == 2) {
                readUntil(fd, "\x04");
                sendText(fd, "again\x04");
                readUntil(fd, "bye");
            }
        },
        2);
    zTalkingSocket link("127.0.0.1", server.port());
    link.setReadTimeout(2000);
    ASSERT_TRUE(link.open());
    char buf[1024];
    std::size_t n = 0;
    auto start = Clock::now();
    EXPECT_FALSE(link.read(buf, sizeof buf, n));
    EXPECT_LT(msSince(start), 1500);
    EXPECT_EQ(link.lastError(), 10101);
    EXPECT_EQ(link.errorText(), zString("WSAEDISCON, Graceful shutdown in progress."));
    EXPECT_FALSE(link.isOpen());
    ASSERT_TRUE(link.open());
    ASSERT_TRUE(link.writeString("Q\x04"));
    ASSERT_TRUE(link.read(buf, sizeof buf, n));
    EXPECT_EQ(std::string(buf, n), "again\x04");
    link.writeString("bye");
}

TEST(TcpLink, ResetByPeerGivesItsCode) {
    LoopbackServer server([](int fd) {
        readUntil(fd, "\x04");
        linger hard{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    });
    zTalkingSocket link("127.0.0.1", server.port());
    ASSERT_TRUE(link.open());
    ASSERT_TRUE(link.writeString("Q\x04"));
    char buf[64];
    std::size_t n = 0;
    EXPECT_FALSE(link.read(buf, sizeof buf, n));
    EXPECT_EQ(link.lastError(), 10054);
    EXPECT_EQ(link.errorText(), zString("WSAECONNRESET, Connection reset by peer."));
}

TEST(TcpLink, SendAfterAResetReconnectsAndSendsAgain) {
    std::atomic<int> accepted{0};
    std::atomic<bool> opened{false};
    std::string request;
    LoopbackServer server(
        [&](int fd) {
            if (++accepted == 1) {
                // A reset before the connect completes would refuse the open itself.
                eventually([&] { return opened.load(); });
                linger hard{1, 0};
                setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
                return;
            }
            request = readUntil(fd, "\x04");
            sendText(fd, "ok\x04");
            readUntil(fd, "bye");
        },
        2);
    zTalkingSocket link("127.0.0.1", server.port());
    ASSERT_TRUE(link.open());
    opened = true;
    // The reset has arrived once the socket reports it: until then a send
    // would still be accepted by the first connection.
    ASSERT_TRUE(eventually([&] { return link.hasInput(false); }));
    ASSERT_TRUE(link.writeString("Q\x04")) << link.errorText().c_str();
    char buf[64];
    std::size_t n = 0;
    ASSERT_TRUE(link.read(buf, sizeof buf, n));
    EXPECT_EQ(std::string(buf, n), "ok\x04");
    EXPECT_EQ(accepted.load(), 2);
    EXPECT_EQ(request, "Q\x04");
    link.writeString("bye");
}

TEST(TcpLink, SilentPeerTimesOutAfterAtLeastOneSecond) {
    LoopbackServer server([](int fd) { readUntil(fd, "bye"); });
    zTalkingSocket link("127.0.0.1", server.port());
    ASSERT_TRUE(link.open());
    char buf[64];
    std::size_t n = 0;
    // A bridge may take most of a second to answer: shorter settings wait a
    // second; longer ones count in milliseconds.
    for (int timeout : {250, 1400}) {
        SCOPED_TRACE(timeout);
        link.setReadTimeout(timeout);
        auto start = Clock::now();
        EXPECT_FALSE(link.read(buf, sizeof buf, n));
        auto took = msSince(start);
        EXPECT_GE(took, std::max(timeout, 1000) - 20);
        EXPECT_LT(took, std::max(timeout, 1000) + 900);
    }
    EXPECT_EQ(link.lastError(), 0);
    EXPECT_TRUE(link.isOpen());
    EXPECT_FALSE(link.hasInput());
    link.writeString("bye");
}

TEST(TcpLink, StaleInputIsDroppedBeforeEachRequest) {
    LoopbackServer server([](int fd) {
        readUntil(fd, "go");
        sendText(fd, std::string(300, 's'));  // more than one purge chunk
        readUntil(fd, "\x04");
        sendText(fd, "fresh\x04");
        readUntil(fd, "bye");
    });
    zTalkingSocket link("127.0.0.1", server.port());
    ASSERT_TRUE(link.open());
    ASSERT_TRUE(link.writeString("go"));
    ASSERT_TRUE(eventually([&] { return link.hasInput(false); }));
    ASSERT_TRUE(link.writeString("Q\x04"));
    char buf[1024];
    std::size_t n = 0;
    ASSERT_TRUE(link.read(buf, sizeof buf, n));
    EXPECT_EQ(std::string(buf, n), "fresh\x04");
    link.writeString("bye");
}

TEST(TcpLink, ByteReadsShareOneReceiveAndPurgeDropsTheRest) {
    LoopbackServer server([](int fd) {
        readUntil(fd, "\x04");
        sendText(fd, "abc\x04" "stale");
        readUntil(fd, "\x04");
        sendText(fd, "fresh\x04");
        readUntil(fd, "bye");
    });
    zTalkingSocket link("127.0.0.1", server.port());
    link.setTerminator(zCommDev::kEOT);
    ASSERT_TRUE(link.open());
    ASSERT_TRUE(link.writeString("Q\x04"));
    zString line;
    ASSERT_TRUE(link.readLineString(line));
    EXPECT_EQ(line, zString("abc\x04"));
    EXPECT_TRUE(link.hasInput());
    ASSERT_TRUE(link.writeString("R\x04"));
    ASSERT_TRUE(link.readLineString(line));
    EXPECT_EQ(line, zString("fresh\x04"));
    link.writeString("bye");
}

TEST(TcpLink, BadArguments) {
    zTalkingSocket link("127.0.0.1", 1);
    std::size_t n = 0;
    EXPECT_FALSE(link.write(nullptr, 1, n));
    EXPECT_EQ(link.lastError(), 87);
    EXPECT_FALSE(link.read(nullptr, 1, n));
    EXPECT_EQ(link.lastError(), 87);
}

class BridgeTest : public ::testing::Test {
protected:
    std::atomic<int> queries{0};
    long long now = 100000;
};

TEST_F(BridgeTest, NodeStatusIsAskedAtMostEveryThreeSeconds) {
    LoopbackServer server([&](int fd) {
        for (;;) {
            std::string q = readUntil(fd, "////Z");
            if (q.size() < 5) return;
            ++queries;
            sendText(fd, "Z1010" + std::string(27, '0') + "1\r\n");
        }
    });
    zLanvexLink bridge("127.0.0.1", server.port());
    bridge.setClock([this] { return now; });
    ASSERT_TRUE(bridge.open());
    EXPECT_TRUE(bridge.nodePresent(1));
    EXPECT_FALSE(bridge.nodePresent(2));
    EXPECT_TRUE(bridge.nodePresent(3));
    EXPECT_TRUE(bridge.nodePresent(32));
    EXPECT_EQ(queries.load(), 1);
    now += 3000;
    EXPECT_TRUE(bridge.nodePresent(1));
    EXPECT_EQ(queries.load(), 1);
    now += 1;
    EXPECT_TRUE(bridge.nodePresent(1));
    EXPECT_EQ(queries.load(), 2);
    EXPECT_FALSE(bridge.nodePresent(0));
    EXPECT_FALSE(bridge.nodePresent(33));
    EXPECT_EQ(queries.load(), 2);
    bridge.close();
}

TEST_F(BridgeTest, UnansweredStatusMeansNoNodePresent) {
    LoopbackServer server([](int fd) { readUntil(fd, "bye"); });
    zLanvexLink bridge("127.0.0.1", server.port());
    bridge.setClock([this] { return now; });
    bridge.setReadTimeout(100);
    ASSERT_TRUE(bridge.open());
    EXPECT_FALSE(bridge.nodePresent(1));
    bridge.writeString("bye");
}

TEST_F(BridgeTest, MessagesWithoutLineEndEndAtTheQuietGap) {
    // A far end that never sends a line end: only the gap between its
    // messages tells them apart, and a gap well under a second must do.
    LoopbackServer server([](int fd) {
        readUntil(fd, "@DIR");
        sendText(fd, "\x06" "A");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sendText(fd, "\x06" "B");
        readUntil(fd, "bye");
    });
    zLanvexLink bridge("127.0.0.1", server.port());
    bridge.setReadTimeout(2000);
    ASSERT_TRUE(bridge.open());
    ASSERT_TRUE(bridge.writeString("\x06@DIR"));
    char message[64];
    std::size_t count = 0;
    ASSERT_TRUE(bridge.readMessage(message, sizeof message, count));
    EXPECT_EQ(std::string(message, count), "\x06" "A");
    ASSERT_TRUE(bridge.readMessage(message, sizeof message, count));
    EXPECT_EQ(std::string(message, count), "\x06" "B");
    bridge.writeString("bye");
}

TEST(BridgeMailbox, PerNodeStoreAndClear) {
    zLanvexLink bridge("127.0.0.1", 1);
    EXPECT_EQ(bridge.mailbox(4), nullptr);
    bridge.setMailbox(4, "reply for four");
    bridge.setMailbox(5, "five");
    EXPECT_STREQ(bridge.mailbox(4), "reply for four");
    bridge.setMailbox(4, "newer");
    EXPECT_STREQ(bridge.mailbox(4), "newer");
    bridge.setMailbox(4, nullptr);
    EXPECT_EQ(bridge.mailbox(4), nullptr);
    EXPECT_STREQ(bridge.mailbox(5), "five");
    bridge.setMailbox(6, std::string(300, 'm').c_str());
    EXPECT_EQ(std::string(bridge.mailbox(6)).size(), 128u);
    bridge.setMailbox(0, "ignored");
    bridge.setMailbox(33, "ignored");
    EXPECT_EQ(bridge.mailbox(0), nullptr);
    EXPECT_EQ(bridge.mailbox(33), nullptr);
}

}  // namespace
