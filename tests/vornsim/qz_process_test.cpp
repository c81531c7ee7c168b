// The real vornsim binary serving the QZ family, driven by a raw client
// that builds each request frame by hand: how replies leave on the line.
#include "RawClient.h"
#include "TextFile.h"
#include "VornSimProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

using namespace vornsim_test;
using vornsim::VornSimProcess;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// STX, 0x80 + address, "*dddd" tag, code, data, check byte (0x80 | byte sum mod 128), CR.
std::string qzRequest(int address, int tag, const std::string& code) {
    char head[16];
    std::snprintf(head, sizeof head, "\x02%c*%04d", static_cast<char>(0x80 + address), tag);
    std::string frame = head + code;
    unsigned sum = 0;
    for (unsigned char c : frame) sum += c;
    frame += static_cast<char>(0x80 | (sum & 0x7f));
    frame += '\r';
    return frame;
}

// What the terminal answers to "03" with its default reader type.
std::string readerReply(int address, int tag) {
    char head[16];
    std::snprintf(head, sizeof head, "\x01%c*%04d", static_cast<char>(0x80 + address), tag);
    std::string reply = std::string(head) + "READ 2 BIOMETRIC";
    unsigned sum = 0;
    for (unsigned char c : reply) sum += c;
    reply += static_cast<char>(0x80 | (sum & 0x7f));
    reply += '\r';
    return reply;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

TEST(QzSimProcess, AnswersAtOnceOnAnUnpacedLine) {
    VornSimProcess sim({"--family", "qz", "--terminal", "3", "--tcp", "0"});
    ASSERT_TRUE(sim.start()) << sim.error();
    EXPECT_EQ(sim.readyLines().front(), "TCP " + std::to_string(sim.tcpPort()) + " 3");
    auto c = Connection::tcp(sim.tcpPort());
    ASSERT_TRUE(c.ok());
    c.send(qzRequest(3, 17, "03"));
    EXPECT_EQ(c.readUntil('\r'), readerReply(3, 17));
    EXPECT_EQ(sim.stop(), 0);
}

TEST(QzSimProcess, ALateReplyHoldsTheLineAndTheNextWaitsBehindIt) {
    VornSimProcess sim({"--family", "qz", "--terminal", "1", "--tcp", "0", "--late", "300@1"});
    ASSERT_TRUE(sim.start()) << sim.error();
    auto c = Connection::tcp(sim.tcpPort());
    ASSERT_TRUE(c.ok());
    const auto start = Clock::now();
    c.send(qzRequest(1, 1, "03"));
    c.send(qzRequest(1, 2, "03"));  // the host's retry, before the late answer
    const std::string both = readerReply(1, 1) + readerReply(1, 2);
    EXPECT_EQ(c.readUntilText(both, 3000ms), both) << "in request order";
    EXPECT_GE(msSince(start), 300 * 0.95);
    EXPECT_EQ(sim.stop(), 0);
}

TEST(QzSimProcess, ASlowLineDeliversEachReplyWholeWhenTheLineHasCarriedIt) {
    VornSimProcess sim({"--family", "qz", "--terminal", "1", "--tcp", "0", "--baud", "1200"});
    ASSERT_TRUE(sim.start()) << sim.error();
    auto c = Connection::tcp(sim.tcpPort());
    ASSERT_TRUE(c.ok());
    const std::string request = qzRequest(1, 5, "03");
    const std::string reply = readerReply(1, 5);
    const double wireMs = static_cast<double>(request.size() + reply.size()) * 10 * 1000 / 1200;
    const auto start = Clock::now();
    c.send(request);
    std::string first = c.readUntil('\x01', 3000ms);
    // Nothing of the reply arrives before the line has carried all of it.
    EXPECT_GE(msSince(start), wireMs * 0.95);
    if (first.find('\r') == std::string::npos) first += c.readUntil('\r', 3000ms);
    EXPECT_EQ(first, reply);
    EXPECT_LE(msSince(start), wireMs * 3);
    EXPECT_EQ(sim.stop(), 0);
}

TEST(QzSimProcess, AResetFaultResetsTheConnectionAndServingGoesOn) {
    std::string log = ::testing::TempDir() + "qzsim_" + std::to_string(::getpid()) + "_wire.log";
    std::remove(log.c_str());
    VornSimProcess sim({"--family", "qz", "--terminal", "1", "--tcp", "0", "--reset", "1", "--wire-log", log});
    ASSERT_TRUE(sim.start()) << sim.error();
    {
        auto c = Connection::tcp(sim.tcpPort());
        ASSERT_TRUE(c.ok());
        c.send(qzRequest(1, 1, "03"));
        EXPECT_EQ(c.readFor(3000ms), "") << "no reply, the connection ends";
    }
    auto next = Connection::tcp(sim.tcpPort());
    ASSERT_TRUE(next.ok());
    next.send(qzRequest(1, 2, "03"));
    EXPECT_EQ(next.readUntil('\r'), readerReply(1, 2));
    EXPECT_EQ(sim.stop(), 0);
    std::string wire = readFile(log);
    EXPECT_NE(wire.find("RESET #1 addr=01 tag=1"), std::string::npos) << wire;
    EXPECT_NE(wire.find("DISCONNECT reset"), std::string::npos) << wire;
    std::remove(log.c_str());
}
