// The real vornsim binary, driven through its harness by a raw client that
// builds every request by hand.
#include "RawClient.h"
#include "TextFile.h"
#include "VornSimProcess.h"

#include "crc16.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>

using namespace vornsim_test;
using vornsim::VornSimProcess;
using namespace std::chrono_literals;

namespace {

std::string tempPath(const std::string& name) {
    std::string p = ::testing::TempDir() + "vornsim_" + std::to_string(::getpid()) + "_" + name;
    std::remove(p.c_str());
    return p;
}

int count(const std::optional<Reply>& r) { return r && r->data.size() == 2 ? r->data[0] | r->data[1] << 8 : -1; }

}  // namespace

TEST(VornSimProcess, ServesSeveralNodesOnOneTcpEndpointAndLogsTheWire) {
    std::string log = tempPath("wire.log");
    VornSimProcess sim({"--terminal", "5:VORN2C", "--terminal", "7:VORN-L", "--tcp", "0", "--records", "4",
                        "--wire-log", log});
    ASSERT_TRUE(sim.start()) << sim.error();
    int port = sim.tcpPort();
    ASSERT_GT(port, 0);
    EXPECT_EQ(sim.readyLines().front(), "TCP " + std::to_string(port) + " 5,7");
    EXPECT_EQ(sim.readyLines().back(), "READY tcp=" + std::to_string(port));

    auto c = Connection::tcp(port);
    ASSERT_TRUE(c.ok());
    for (int node : {5, 7}) {
        auto r = c.exchange(node, 12, "VE");
        ASSERT_TRUE(r) << "node " << node;
        EXPECT_TRUE(r->checksumOk);
        EXPECT_EQ(r->destination, 0);
        EXPECT_EQ(r->source, node);
        EXPECT_EQ(r->sequence, 12);
        EXPECT_EQ(r->text, "");
        ASSERT_EQ(r->data.size(), 70u);
        EXPECT_EQ(r->data[56], 4) << "punch count in the version record";
    }
    c.send(request(9, 13, "VE"));
    EXPECT_EQ(c.readFor(300ms), "") << "no terminal 9 behind this bridge";

    // The bridge's node-status query.
    c.send("////Z");
    std::string status = c.readUntil('\x04');
    ASSERT_GE(status.size(), 33u);
    EXPECT_EQ(status.substr(0, 1), "Z");
    EXPECT_EQ(status.substr(1, 8), "00001010");

    std::string wire = readFile(log);
    EXPECT_NE(wire.find("RX #1 node=05 seq=12 \"VE\" | \\x0105001202VE"), std::string::npos) << wire;
    EXPECT_NE(wire.find("TX #1 node=05 seq=12 ok | \\x0100051200\\x02"), std::string::npos) << wire;
    EXPECT_NE(wire.find("IGNORED node=09"), std::string::npos) << wire;
    EXPECT_EQ(sim.stop(), 0);
    std::remove(log.c_str());
}

TEST(VornSimProcess, EveryFaultModeIsVisibleToTheClient) {
    VornSimProcess sim({"--terminal", "5", "--tcp", "0", "--records", "3", "--no-reply", "1", "--bad-crc", "2",
                        "--noise", "3", "--wrong-dest", "4", "--warn", "5", "--error", "6", "--late", "7",
                        "--drop", "9"});
    ASSERT_TRUE(sim.start()) << sim.error();
    auto c = Connection::tcp(sim.tcpPort());

    c.send(request(5, 1, "RE,NR"));
    EXPECT_EQ(c.readFor(300ms), "") << "no reply to request 1";

    auto crc = c.exchange(5, 2, "RE,NR");
    ASSERT_TRUE(crc);
    EXPECT_FALSE(crc->checksumOk);

    auto noise = c.exchange(5, 3, "RE,NR");
    ASSERT_TRUE(noise);
    EXPECT_FALSE(noise->noise.empty());
    EXPECT_TRUE(noise->checksumOk);
    EXPECT_EQ(count(noise), 3);

    auto dest = c.exchange(5, 4, "RE,NR");
    ASSERT_TRUE(dest);
    EXPECT_TRUE(dest->checksumOk) << "the checksum is right, only the address is wrong";
    EXPECT_NE(dest->destination, 0);

    auto warn = c.exchange(5, 5, "RE,NR");
    ASSERT_TRUE(warn);
    EXPECT_EQ(warn->text, "W");
    auto err = c.exchange(5, 6, "RE,NR");
    ASSERT_TRUE(err);
    EXPECT_EQ(err->text, "E");

    c.send(request(5, 7, "RE,NR"));
    std::string both = c.readUntil('\x04');
    auto stale = parseReply(both);
    ASSERT_TRUE(stale);
    EXPECT_EQ(stale->sequence, 6) << "a late reply with the previous sequence number comes first";
    std::string rest = both.substr(both.find('\x04') + 1);
    if (rest.find('\x04') == std::string::npos) rest += c.readUntil('\x04');
    auto right = parseReply(rest);
    ASSERT_TRUE(right);
    EXPECT_EQ(right->sequence, 7);
    EXPECT_EQ(count(right), 3);

    EXPECT_EQ(count(c.exchange(5, 8, "RE,NR")), 3);
    c.send(request(5, 9, "RE,NR"));
    EXPECT_TRUE(c.closedWithin(1000ms)) << "request 9 drops the connection";

    auto again = Connection::tcp(sim.tcpPort());
    EXPECT_EQ(count(again.exchange(5, 10, "RE,NR")), 3) << "the simulator serves the next client";
}

TEST(VornSimProcess, FaultsByCommandAndRecordsArrivingBetweenCounts) {
    std::string state = tempPath("state.json");
    VornSimProcess sim({"--terminal", "5", "--tcp", "0", "--records", "3", "--add-records", "2", "--no-reply",
                        "RE,DE", "--state-out", state});
    ASSERT_TRUE(sim.start()) << sim.error();
    auto c = Connection::tcp(sim.tcpPort());
    EXPECT_EQ(count(c.exchange(5, 1, "RE,NR")), 3);
    EXPECT_EQ(count(c.exchange(5, 2, "RE,NR")), 5) << "two records arrived after the first count";
    auto fifth = c.exchange(5, 3, "RE,GE,4");
    ASSERT_TRUE(fifth);
    EXPECT_EQ(fifth->data.size(), 19u);
    c.send(request(5, 4, "RE,DE"));
    EXPECT_EQ(c.readFor(300ms), "");
    EXPECT_EQ(count(c.exchange(5, 5, "RE,NR")), 5) << "an unanswered delete deleted nothing";
    EXPECT_EQ(sim.stop(), 0);
    auto saved = nlohmann::json::parse(readFile(state));
    EXPECT_EQ(saved["terminals"][0]["punches"].size(), 5u);
    std::remove(state.c_str());
}

TEST(VornSimProcess, StateOutShowsWhatTheClientChanged) {
    std::string state = tempPath("state2.json");
    VornSimProcess sim({"--terminal", "3:VORN-L", "--tcp", "0", "--records", "6", "--state-out", state});
    ASSERT_TRUE(sim.start()) << sim.error();
    auto c = Connection::tcp(sim.tcpPort());
    auto del = c.exchange(3, 1, "RE,DE");
    ASSERT_TRUE(del);
    EXPECT_EQ(del->text, "");
    // A US employee record of company 2, number 77, with its check.
    std::vector<std::uint8_t> us = {2, 0, 0, 0, 0, 0, 77, 0, 0, 0};
    std::uint16_t check = fnd::crc16(us.data(), us.size());
    us.push_back(static_cast<std::uint8_t>(check));
    us.push_back(static_cast<std::uint8_t>(check >> 8));
    auto stored = c.exchange(3, 2, "US,SE", &us);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->text, "");
    EXPECT_EQ(sim.stop(), 0);

    auto saved = nlohmann::json::parse(readFile(state));
    const auto& t = saved["terminals"][0];
    EXPECT_TRUE(t["punches"].empty());
    EXPECT_EQ(t["recoverable"].size(), 6u);
    ASSERT_EQ(t["employees"].size(), 1u);
    EXPECT_EQ(t["employees"][0]["number"], 77);
    EXPECT_EQ(t["employees"][0]["company"], 2);
    std::remove(state.c_str());
}

TEST(VornSimProcess, RecordsOfAStateFileGoOutByteForByte) {
    std::string state = tempPath("in.json");
    std::ofstream(state) << R"({"terminals": [{"node": 2, "model": "VORN2C",
        "punches": [{"company": 3, "terminal": 9, "employee": 66051, "time": "1990-01-02 00:00:01",
                     "flags": 4, "cause": 5, "check": 4660}],
        "jobs": [{"company": 1, "terminal": 9, "employee": 7, "time": 86400, "status": 3, "data": "ABC",
                  "lengths": [3, 0, 0, 0, 0, 0, 0]}]}]})";
    VornSimProcess sim({"--state", state, "--tcp", "0"});
    ASSERT_TRUE(sim.start()) << sim.error();
    auto c = Connection::tcp(sim.tcpPort());
    auto punch = c.exchange(2, 1, "RE,GE,0");
    ASSERT_TRUE(punch);
    // 2 days and 1 second after the epoch is 172801 = 0x0002a301; the stored check 4660 is 0x1234.
    EXPECT_EQ(punch->data, (std::vector<std::uint8_t>{3, 9, 0x03, 0x02, 0x01, 0x00, 0x01, 0xa3, 0x02, 0x00, 4, 5, 0, 0,
                                                      0, 0, 0, 0x34, 0x12}));
    auto job = c.exchange(2, 2, "JO,GE,0");
    ASSERT_TRUE(job);
    ASSERT_EQ(job->data.size(), 61u);
    EXPECT_EQ(job->data[10], 3);
    EXPECT_EQ(std::string(job->data.begin() + 11, job->data.begin() + 14), "ABC");
    EXPECT_EQ(job->data[51], 3);
    EXPECT_EQ(job->data[59] | job->data[60] << 8, fnd::crc16(job->data.data(), 59));
    EXPECT_EQ(c.exchange(2, 3, "JO,GE,1")->text, "W");
    std::remove(state.c_str());
}

TEST(VornSimProcess, SlowLineCostsEachByteItsTransmissionTime) {
    VornSimProcess fast({"--terminal", "1", "--tcp", "0"});
    VornSimProcess slow({"--terminal", "1", "--tcp", "0", "--pty", "all", "--baud", "9600"});
    ASSERT_TRUE(fast.start()) << fast.error();
    ASSERT_TRUE(slow.start()) << slow.error();
    std::string req = request(1, 1, "VE");
    std::size_t replyBytes = 9 + 1 + 140 + 4 + 1;  // header, STX, 70 bytes as hex, checksum, EOT
    double wireMs = static_cast<double>(req.size() + replyBytes) * 10 * 1000 / 9600;

    auto timed = [&](Connection& c) {
        auto start = std::chrono::steady_clock::now();
        c.send(req);
        std::string got = c.readUntil('\x04', 3000ms);
        EXPECT_EQ(got.size(), replyBytes);
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    auto f = Connection::tcp(fast.tcpPort());
    EXPECT_LT(timed(f), wireMs / 2);
    auto s = Connection::tcp(slow.tcpPort());
    double tcpMs = timed(s);
    EXPECT_GE(tcpMs, wireMs * 0.95);
    EXPECT_LE(tcpMs, wireMs * 2);
    auto p = Connection::device(slow.ptyPath());
    ASSERT_TRUE(p.ok());
    double ptyMs = timed(p);
    EXPECT_GE(ptyMs, wireMs * 0.95);
    EXPECT_LE(ptyMs, wireMs * 2);

    {
        auto leaving = Connection::tcp(slow.tcpPort());
        leaving.send(req);
        EXPECT_FALSE(leaving.readUntil('\x01').empty()) << "part of the reply is on its way";
    }  // and the client leaves in the middle of it
    auto next = Connection::tcp(slow.tcpPort());
    EXPECT_TRUE(next.exchange(1, 2, "VE"));
}

TEST(VornSimProcess, BadInputIsRefusedAndServingGoesOn) {
    std::string log = tempPath("bad.log");
    VornSimProcess sim({"--terminal", "5", "--tcp", "0", "--wire-log", log});
    ASSERT_TRUE(sim.start()) << sim.error();
    {
        auto gone = Connection::tcp(sim.tcpPort());  // connects and leaves at once
    }
    {
        auto half = Connection::tcp(sim.tcpPort());
        half.send(request(5, 1, "RE,NR").substr(0, 8));  // leaves mid-telegram
    }
    auto c = Connection::tcp(sim.tcpPort());
    c.send(std::string("\xff\xfe garbage \x02\x03", 14));
    c.send("\x01" + std::string(3000, '7') + "\x04");
    std::string badCrc = request(5, 2, "RE,NR");
    badCrc[badCrc.size() - 2] ^= 1;
    c.send(badCrc);
    EXPECT_EQ(c.readFor(300ms), "") << "nothing refused is answered";
    EXPECT_EQ(count(c.exchange(5, 3, "RE,NR")), 0);
    EXPECT_EQ(c.exchange(5, 4, "ZZ,TOP")->text, "W") << "an unknown command gets a warning";

    std::string wire = readFile(log);
    EXPECT_NE(wire.find("REFUSED 14 bytes outside a telegram"), std::string::npos) << wire;
    EXPECT_NE(wire.find("REFUSED telegram over 1024 bytes"), std::string::npos) << wire;
    EXPECT_NE(wire.find("REFUSED checksum"), std::string::npos) << wire;
    EXPECT_EQ(sim.stop(), 0);
    std::remove(log.c_str());
}

TEST(VornSimProcess, PseudoTerminalBusWithTwoNodes) {
    VornSimProcess sim({"--terminal", "1:VORN3", "--terminal", "2:VORN2", "--pty", "1,2", "--pty", "2"});
    ASSERT_TRUE(sim.start()) << sim.error();
    EXPECT_EQ(sim.readyLines()[0], "PTY 1,2 " + sim.ptyPath(0));
    EXPECT_EQ(sim.readyLines().back(), "READY");
    auto bus = Connection::device(sim.ptyPath(0));
    ASSERT_TRUE(bus.ok());
    auto one = bus.exchange(1, 1, "TI,GE");
    ASSERT_TRUE(one);
    EXPECT_EQ(one->source, 1);
    EXPECT_EQ(one->data.size(), 4u);
    auto two = bus.exchange(2, 2, "MP,GE");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->data.size(), 30u);

    auto other = Connection::device(sim.ptyPath(1));
    other.send(request(1, 3, "VE"));
    EXPECT_EQ(other.readFor(300ms), "") << "node 1 is not on the second line";
}

TEST(VornSimProcess, SeparateLinesReuseNodeNumbers) {
    VornSimProcess sim({"--terminal", "1:VORN2C@north", "--terminal", "1:VORN-L@south", "--terminal", "2@south",
                        "--tcp", "0@north", "--tcp", "0@south"});
    ASSERT_TRUE(sim.start()) << sim.error();
    EXPECT_EQ(sim.readyLines()[1], "TCP " + std::to_string(sim.tcpPort(1)) + " 1,2");
    auto north = Connection::tcp(sim.tcpPort(0));
    auto south = Connection::tcp(sim.tcpPort(1));
    EXPECT_EQ(north.exchange(1, 1, "RA,NR")->text, "W") << "node 1 of the north line is a VORN2C";
    EXPECT_EQ(count(south.exchange(1, 2, "RA,NR")), 0) << "node 1 of the south line is a VORN-L";
    north.send(request(2, 3, "VE"));
    EXPECT_EQ(north.readFor(300ms), "") << "node 2 is on the other line";
    south.send("////Z");
    EXPECT_EQ(south.readUntil('\x04').substr(0, 4), "Z110");
}

TEST(VornSimProcess, ModemDialsTerminalsAndTheTimeService) {
    VornSimProcess sim({"--terminal", "4", "--modem", "all", "--password", "segreto", "--time-service", "0119",
                        "--time-service-interval", "50", "--modem-busy", "1", "--modem-connect-ms", "20"});
    ASSERT_TRUE(sim.start()) << sim.error();
    auto m = Connection::device(sim.modemPath());
    ASSERT_TRUE(m.ok());
    m.send("ATZ\r");
    EXPECT_NE(m.readUntil('K').find("OK"), std::string::npos);
    m.readFor(50ms);
    m.send("ATD555\r");
    EXPECT_NE(m.readUntilText("BUSY").find("BUSY"), std::string::npos);
    m.send("ATD555\r");
    EXPECT_NE(m.readUntilText("CONNECT").find("CONNECT"), std::string::npos);

    std::vector<std::uint8_t> wrong = {'x', 0};
    EXPECT_EQ(m.exchange(4, 1, "OPEN", &wrong)->text, "E");
    std::vector<std::uint8_t> password = {'s', 'e', 'g', 'r', 'e', 't', 'o', 0};
    EXPECT_EQ(m.exchange(4, 2, "OPEN", &password)->text, "");
    EXPECT_EQ(m.exchange(4, 3, "VE")->data.size(), 70u);

    std::this_thread::sleep_for(100ms);
    m.send("+++");
    EXPECT_NE(m.readUntilText("OK").find("OK"), std::string::npos);
    m.send("ATH0\r");
    EXPECT_NE(m.readUntilText("OK").find("OK"), std::string::npos);

    m.send("ATDT0119\r");
    EXPECT_NE(m.readUntilText("CONNECT").find("CONNECT"), std::string::npos);
    // The rest of the result line, then at least one whole time code line.
    std::string lines;
    while (std::count(lines.begin(), lines.end(), '\n') < 2) {
        std::string more = m.readUntil('\n');
        if (more.empty()) break;
        lines += more;
    }
    auto end = lines.find('\n');
    ASSERT_NE(end, std::string::npos);
    auto second = lines.substr(end + 1, 80);
    ASSERT_EQ(second.size(), 80u) << lines;
    EXPECT_EQ(second[77], '*');
    EXPECT_EQ(second[79], '\n');
}

TEST(VornSimProcess, RefusesAnUnusableCommandLine) {
    VornSimProcess sim({"--terminal", "5", "--tcp", "0", "--bogus", "1"});
    EXPECT_FALSE(sim.start(3000ms));
    EXPECT_FALSE(sim.error().empty());
    EXPECT_FALSE(sim.running());
}
