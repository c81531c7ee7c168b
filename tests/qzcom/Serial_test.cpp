// The serial link over a pseudo-terminal, through real termios.
#include "QzHostTest.h"

using SerialTest = QzHostTest;

TEST_F(SerialTest, ExchangesFramesOverTheLine) {
    startSimulator({}, 3);
    ASSERT_EQ(call("OPENCOM," + serialConnection(3)).code, 0);
    QzResult r = call("13,xyz");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.reply, "T03Rx0000");
    EXPECT_NE(wireLog().find("pty1 RX #1 addr=03 code=13 \"xyz\""), std::string::npos) << wireLog();
}

TEST_F(SerialTest, TaggedProtocolOverTheLine) {
    startSimulator();
    const std::string tagged = sim->ptyPath() + "*9600 1 " + workDir.string();
    ASSERT_EQ(call("OPENCOM," + tagged).code, 0);
    EXPECT_EQ(call("13,a").reply, "T01Rx0000");
    EXPECT_NE(wireLog().find(" tag="), std::string::npos);
}

TEST_F(SerialTest, NoiseBeforeSohIsDropped) {
    startSimulator({"--noise", "*"});
    ASSERT_EQ(call("OPENCOM," + serialConnection()).code, 0);
    QzResult r = call("13,x");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.reply, "T01Rx0000");
}

TEST_F(SerialTest, AReplyOf1024BytesWithoutCrGives1) {
    startSimulator({"--oversize", "1"});
    ASSERT_EQ(call("OPENCOM," + serialConnection()).code, 0);
    QzResult r = call("13,x");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.reply, "");
}

TEST_F(SerialTest, SilenceGivesATimeOutPerAttempt) {
    startSimulator({"--no-reply", "*"});
    writeSettings(hostDir, "SERIAL_TIMEOUT=0\nNUM_RETRY=2\n");
    ASSERT_EQ(call("OPENCOM," + serialConnection()).code, 0);
    EXPECT_EQ(call("13,x").code, 91);
    EXPECT_EQ(requestsLogged(), 2);
}

TEST_F(SerialTest, AMissingDeviceOrSpeedGives1) {
    EXPECT_EQ(call("OPENCOM,/dev/no-such-tty:9600 1 /tmp").code, 1);
    startSimulator();
    EXPECT_EQ(call("OPENCOM," + serialConnection(1, 12345)).code, 1);
}

TEST_F(SerialTest, APseudoTerminalHasNoCarrier) {
    startSimulator();
    ASSERT_EQ(call("OPENCOM," + serialConnection()).code, 0);
    EXPECT_EQ(call("GETMODEMSTATUS").code, 0);
}
