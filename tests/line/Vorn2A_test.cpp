// The plain-text terminal against the simulator: parameter queries and their
// cache, the bridge's mailboxes, and the concentrator through our driver.
#include "VornSimProcess.h"
#include "ToolInstall.h"
#include "Vorn2A.h"
#include "zLanvexLink.h"
#include "zSerialPort.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

class Vorn2ATest : public ::testing::Test {
protected:
    void simulate(std::vector<std::string> args) {
        args.insert(args.end(), {"--wire-log", wireLog_});
        sim_ = std::make_unique<vornsim::VornSimProcess>(args);
        ASSERT_TRUE(sim_->start()) << sim_->error();
    }
    std::unique_ptr<Vorn2A> terminal(int node, TerminalModel model, zCommDev& link) {
        VornSettings s;
        s.name = zString::format("Terminal %d", node);
        s.nodeNumber = static_cast<std::uint8_t>(node);
        s.terminalNumber = static_cast<std::int16_t>(node);
        s.kind = ConnectionKind::Rlx40;
        s.model = model;
        s.comTimeout = 1;
        auto t = std::make_unique<Vorn2A>(s);
        t->setLink(&link);
        t->setLabel(zString::format("[Term %3.3d]", node));
        t->setLogger(&log_);
        return t;
    }
    std::unique_ptr<zLanvexLink> bridge() {
        auto link = std::make_unique<zLanvexLink>("127.0.0.1", sim_->tcpPort());
        link->setTerminator(zCommDev::kEOT);
        return link;
    }
    std::string wire() const { return readFile(wireLog_); }
    std::string logText() const { return readFile(logPath_); }

    void TearDown() override {
        sim_.reset();
        std::filesystem::remove(wireLog_);
        std::filesystem::remove(logPath_);
    }

    std::string base_ = std::filesystem::temp_directory_path() / ("v2a_" + std::to_string(getpid()));
    std::string wireLog_ = base_ + "_wire.log";
    std::string logPath_ = base_ + ".log";
    zLogger log_{zString(logPath_)};
    std::unique_ptr<vornsim::VornSimProcess> sim_;
};

std::string version(Vorn2A& t) {
    char text[129] = {};
    TelegramCommand command("%XI", TelegramCommand::ReceiveData, text, 128);
    return t.sendCommand(command) ? std::string(text) : std::string("<failed>");
}

}  // namespace

TEST_F(Vorn2ATest, ParametersAreAskedOnceAndFallBackToTheirDefaults) {
    simulate({"--terminal", "1:VORNT3", "--bridge", "0", "--cfg", "1:23=0,31=0,32=5,46=-3"});
    auto link = bridge();
    auto t = terminal(1, TerminalModel::VornT3, *link);

    EXPECT_EQ(t->parameter(23), 0);  // answered 0: its default is 0 too
    EXPECT_EQ(t->parameter(31), 1);  // answered 0: below 1 becomes the default 1
    EXPECT_EQ(t->parameter(32), 5);
    EXPECT_EQ(t->parameter(46), 0);
    EXPECT_EQ(t->parameter(31), 1);
    EXPECT_EQ(t->parameter(7), 0);  // not a cached parameter: never asked
    EXPECT_EQ(t->cachedParameter(32), 5);

    std::string w = wire();
    EXPECT_EQ(countOf(w, "\"@CFG 31\""), 1);
    EXPECT_EQ(countOf(w, "\"@CFG 23\""), 1);
    EXPECT_FALSE(contains(w, "\"@CFG 7\""));

    zString value;
    ASSERT_TRUE(t->queryParameter(8, value));
    EXPECT_EQ(std::string(value.c_str()), "11");
}

TEST_F(Vorn2ATest, VorntTwoNeverAsksAndReadsZero) {
    simulate({"--terminal", "1:VORNT2", "--bridge", "0"});
    auto link = bridge();
    auto t = terminal(1, TerminalModel::VornT2, *link);
    EXPECT_EQ(t->parameter(31), 0);
    EXPECT_EQ(t->parameter(23), 0);
    EXPECT_FALSE(contains(wire(), "@CFG"));
}

TEST_F(Vorn2ATest, RepliesForAnotherNodeWaitInItsMailbox) {
    // Node 2's answer arrives while node 1 is served; node 2's own request
    // is then lost, so only its mailbox can answer it.
    simulate({"--terminal", "1:VORNT3", "--terminal", "2:VORNT3", "--bridge", "0", "--unsolicited",
              "2:EARLY NEWS@1", "--no-reply", "2"});
    auto link = bridge();
    auto one = terminal(1, TerminalModel::VornT3, *link);
    auto two = terminal(2, TerminalModel::VornT3, *link);

    EXPECT_EQ(version(*one), "VORNT3 SIM 1.0");
    ASSERT_NE(link->mailbox(2), nullptr);
    EXPECT_STREQ(link->mailbox(2), "EARLY NEWS");
    EXPECT_EQ(link->mailbox(1), nullptr);

    EXPECT_EQ(version(*two), "EARLY NEWS");
    EXPECT_EQ(two->statusCode(), RunError::None);
    EXPECT_EQ(link->mailbox(2), nullptr);
}

TEST_F(Vorn2ATest, PollDeliversTheMailboxFirstThenAsksTheBridge) {
    simulate({"--terminal", "1:VORNT3", "--terminal", "2:VORNT3", "--bridge", "0"});
    auto link = bridge();
    auto two = terminal(2, TerminalModel::VornT3, *link);
    ASSERT_TRUE(two->connect());
    link->setMailbox(2, "WAITING");
    char area[Vorn2A::kMessageSize] = {};
    EXPECT_EQ(two->pollTerminal(area), Rlx40::Message);
    EXPECT_EQ(area[0], 2);
    EXPECT_STREQ(area + 1, "WAITING");
    EXPECT_EQ(link->mailbox(2), nullptr);

    // Nothing waiting: the bridge's node status decides.
    EXPECT_EQ(two->pollTerminal(area), Rlx40::NothingToSend);
    EXPECT_TRUE(contains(wire(), "BRIDGE RX"));
    auto absent = terminal(9, TerminalModel::VornT3, *link);
    EXPECT_EQ(absent->pollTerminal(area), Rlx40::NoAnswer);
}

TEST_F(Vorn2ATest, TerminalsOnDifferentPortsShareOneConcentratorBinding) {
    simulate({"--terminal", "1:VORNT3", "--terminal", "2:VORNT3", "--concentrator", "all", "--concentrator", "all"});
    zSerialPort first(zString(sim_->ptyPath(0)));
    zSerialPort second(zString(sim_->ptyPath(1)));
    auto one = terminal(1, TerminalModel::VornT3, first);
    auto two = terminal(2, TerminalModel::VornT3, second);

    EXPECT_EQ(version(*one), "VORNT3 SIM 1.0");
    EXPECT_EQ(version(*two), "VORNT3 SIM 1.0");
    ASSERT_NE(one->binding(), nullptr);
    EXPECT_EQ(one->binding(), two->binding());
    // Everything went through the first port's concentrator.
    std::string w = wire();
    EXPECT_TRUE(contains(w, "pty1 LINE RX #2 node=02 \"%XI\""));
    EXPECT_FALSE(contains(w, "pty2 LINE"));
}

TEST_F(Vorn2ATest, ConcentratorMessageFromAnotherTerminalIsRefused) {
    simulate({"--terminal", "1:VORNT3", "--terminal", "2:VORNT3", "--concentrator", "all", "--wrong-dest", "%XI"});
    zSerialPort port(zString(sim_->ptyPath(0)));
    auto one = terminal(1, TerminalModel::VornT3, port);
    EXPECT_EQ(version(*one), "<failed>");
    EXPECT_EQ(one->statusCode(), RunError::Timeout);
    EXPECT_TRUE(contains(logText(), "[Term 001] Wrong Terminal replied: 2 "));
}

TEST_F(Vorn2ATest, ConcentratorThatNeverAnswersTimesOut) {
    simulate({"--terminal", "1:VORNT3", "--concentrator", "all", "--no-reply", "*"});
    zSerialPort port(zString(sim_->ptyPath(0)));
    auto one = terminal(1, TerminalModel::VornT3, port);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(version(*one), "<failed>");
    EXPECT_EQ(one->statusCode(), RunError::Timeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}
