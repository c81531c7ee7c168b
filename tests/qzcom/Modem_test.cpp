// Dialling through a simulated Hayes modem in front of the terminal.
#include "QzHostTest.h"

using ModemTest = QzHostTest;

TEST_F(ModemTest, DialsWithThePrefixAndTalksToTheTerminal) {
    startSimulator({"--modem", "all"});
    writeText(workDir / "qzcom.tlf", "ATDT\r\n");
    ASSERT_EQ(call("OPENCOM," + sim->modemPath() + ":9600 1 " + workDir.string()).code, 0);
    QzResult dial = call("INITMODEM,0_123");
    EXPECT_EQ(dial.code, 0);
    EXPECT_NE(dial.reply.find("CONNECT"), std::string::npos) << dial.reply;
    EXPECT_NE(wireLog().find("0,123"), std::string::npos) << wireLog();
    EXPECT_EQ(call("13,x").reply, "T01Rx0000");
    EXPECT_EQ(call("STOPMODEM").code, 0);
}

TEST_F(ModemTest, ABusyLineGives2) {
    startSimulator({"--modem", "all", "--modem-busy", "1"});
    writeText(workDir / "qzcom.tlf", "ATDT\n");
    ASSERT_EQ(call("OPENCOM," + sim->modemPath() + ":9600 1 " + workDir.string()).code, 0);
    QzResult dial = call("INITMODEM,555");
    EXPECT_EQ(dial.code, 2);
    EXPECT_NE(dial.reply.find("BUSY"), std::string::npos) << dial.reply;
}

TEST_F(ModemTest, WithoutThePrefixFileNothingIsDialled) {
    startSimulator({"--modem", "all"});
    ASSERT_EQ(call("OPENCOM," + sim->modemPath() + ":9600 1 " + workDir.string()).code, 0);
    QzResult dial = call("INITMODEM,555");
    EXPECT_EQ(dial.code, 98);
    EXPECT_EQ(dial.reply, "");
}
