// The link and the frames against the simulated terminal over TCP.
#include "QzHostTest.h"

using LinkTest = QzHostTest;

TEST_F(LinkTest, FrameCarriesAddressCodeAndCheckByte) {
    startSimulator();
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    QzResult r = call("01");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.reply, "T01Rx0000");
    EXPECT_NE(wireLog().find("code=01 \"\" | \\x02\\x8101\\xe4\\x0d"), std::string::npos) << wireLog();
}

TEST_F(LinkTest, RawTelegramSendsCodeAndDataAndReturnsTheReply) {
    startSimulator({}, 5);
    ASSERT_EQ(call("OPENCOM," + tcpConnection(5)).code, 0);
    QzResult r = call("13,xyz");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.reply, "T05Rx0000");
    EXPECT_NE(wireLog().find("addr=05 code=13 \"xyz\""), std::string::npos) << wireLog();
}

TEST_F(LinkTest, ShortAndLongTcpFormsOpenTheSameLink) {
    startSimulator({}, 5);
    const std::string port = std::to_string(sim->tcpPort());
    for (const std::string& form :
         {"TCP:127.0.0.1 " + port + " 5 " + workDir.string(),
          "TCP:127.0.0.1_0.0.0.0_" + port + "_0000 05 " + workDir.string(),
          "tcp:127.0.0.1_0.0.0.0_" + port + "_0000 5 " + workDir.string()}) {
        ASSERT_EQ(call("OPENCOM," + form).code, 0) << form;
        EXPECT_EQ(call("13,a").reply, "T05Rx0000") << form;
    }
    EXPECT_EQ(countOf(wireLog(), "CONNECT\n"), 3);
    EXPECT_EQ(countOf(wireLog(), "addr=05 code=13"), 3);
}

TEST_F(LinkTest, TheReplyCodeComesFromTheTRxForm) {
    startSimulator({"--reply-code", "12@1", "--reply-code", "97@2"});
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    QzResult twelve = call("13,a");
    EXPECT_EQ(twelve.code, 12);
    EXPECT_EQ(twelve.reply, "T01Rx0012");
    EXPECT_EQ(call("13,b").code, 97);
    EXPECT_EQ(call("13,c").code, 0);
}

TEST_F(LinkTest, ThreeAttemptsWithoutAnswerGiveThreeTimeOutsAnd91) {
    startSimulator({"--no-reply", "*"});
    writeSettings(hostDir, "NUM_RETRY=3\nETHERNET_TIMEOUT=1\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    auto start = std::chrono::steady_clock::now();
    QzResult r = call("13,x");
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.code, 91);
    EXPECT_EQ(r.reply, "");
    EXPECT_EQ(requestsLogged(), 3);
    EXPECT_GE(took, std::chrono::seconds(3));
}

TEST_F(LinkTest, AWrongTagRepeatsTheRequest) {
    startSimulator({"--wrong-tag", "1"});
    writeSettings(hostDir, "NUM_RETRY=2\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection(1, true)).code, 0);
    QzResult r = call("13,x");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.reply, "T01Rx0000");
    const std::string log = wireLog();
    EXPECT_EQ(countOf(log, "code=13 \"x\""), 2);
    EXPECT_EQ(countOf(log, " tag="), 4) << log;  // each request and each reply
}

TEST_F(LinkTest, AWronglyTaggedReplyIsNeverTaken) {
    startSimulator({"--wrong-tag", "*", "--reply-code", "7@*"});
    writeSettings(hostDir, "NUM_RETRY=2\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection(1, true)).code, 0);
    QzResult r = call("13,x");
    EXPECT_EQ(r.code, 91);  // another request's answer is no answer to this one
    EXPECT_EQ(r.reply, "");
    EXPECT_EQ(requestsLogged(), 2);
}

TEST_F(LinkTest, AResetConnectionIsOpenedAgain) {
    startSimulator({"--reset", "1"});
    writeSettings(hostDir, "NUM_RETRY=2\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    QzResult r = call("13,x");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.reply, "T01Rx0000");
    EXPECT_TRUE(eventually([&] { return countOf(wireLog(), "CONNECT\n") == 2; }));
    EXPECT_EQ(call("13,y").code, 0);
}

TEST_F(LinkTest, AResetOnTheLastAttemptGives10AndTheNextCallWorks) {
    startSimulator({"--reset", "1"});
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    EXPECT_EQ(call("13,x").code, 10);
    EXPECT_EQ(call("13,y").code, 0);
}

TEST_F(LinkTest, NoiseBeforeTheReplyIsDropped) {
    startSimulator({"--noise", "*"});
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    QzResult r = call("13,x");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.reply, "T01Rx0000");
}

TEST_F(LinkTest, AnOversizedReplyIsATimeOut) {
    startSimulator({"--oversize", "1"});
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    QzResult r = call("13,x");
    EXPECT_EQ(r.code, 91);
    EXPECT_EQ(r.reply, "");
}

TEST_F(LinkTest, ARequestTooLongForOneFrameIsNotSent) {
    startSimulator();
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    QzResult r = call("13," + std::string(5000, 'a'));
    EXPECT_EQ(r.code, WQZCOM_REQUEST_TOO_LONG);
    EXPECT_EQ(r.reply, "");
    EXPECT_EQ(requestsLogged(), 0);
    EXPECT_EQ(call("13," + std::string(1000, 'a')).code, 0);
}

TEST_F(LinkTest, MalformedConnectionStringsGive1) {
    startSimulator();
    const std::string port = std::to_string(sim->tcpPort());
    for (const std::string& bad :
         {std::string(""), std::string("XYZ:1.2.3.4 5 6 /tmp"), "TCP:300.0.0.1 " + port + " 1 /tmp",
          "TCP:127.0.0.1 " + port + " 200 /tmp", std::string("TCP:127.0.0.1_0.0.0.0 1"),
          std::string("COMx:9600 1 /tmp"), std::string("COM1:9600"),
          std::string("/dev/null 1 /tmp"), std::string(2000, '.')}) {
        EXPECT_EQ(call("OPENCOM," + bad).code, 1) << bad;
        EXPECT_EQ(call("13,x").code, WQZCOM_NOT_OPEN) << bad;
    }
}

TEST_F(LinkTest, ARefusingPortGives1AfterTheConnectionTimeOut) {
    startSimulator();
    writeSettings(hostDir, "RX_CONNECTION_TIMEOUT=1\n");
    // A port nobody listens on: the simulator's, once it has gone.
    const int port = sim->tcpPort();
    sim->stop();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(call("OPENCOM,TCP:127.0.0.1 " + std::to_string(port) + " 1 /tmp").code, 1);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::seconds(1));
    EXPECT_LT(took, std::chrono::seconds(5));
}

TEST_F(LinkTest, ADatagramLinkOpensButNoExchangeSucceeds) {
    writeSettings(hostDir, "ETHERNET_TIMEOUT=1\n");
    ASSERT_EQ(call("OPENCOM,UDP:127.0.0.1_0.0.0.0_4000_0000 01 /tmp").code, 0);
    EXPECT_EQ(call("13,x").code, 91);
    EXPECT_EQ(call("COMCLOSE").code, 0);
}

TEST_F(LinkTest, AfterComcloseNothingIsSent) {
    startSimulator();
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    EXPECT_EQ(call("COMCLOSE").code, 0);
    EXPECT_EQ(call("13,x").code, WQZCOM_NOT_OPEN);
    EXPECT_EQ(requestsLogged(), 0);
}
