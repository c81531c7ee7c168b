// "wqzcom.ini": where it is found, and what its values do.
#include "QzHostTest.h"

using SettingsTest = QzHostTest;

TEST_F(SettingsTest, SettingsInTheHostDirectoryAreUsed) {
    startSimulator({"--no-reply", "*"});
    writeSettings(hostDir, "NUM_RETRY=2\nETHERNET_TIMEOUT=0\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    EXPECT_EQ(call("13,x").code, 91);
    EXPECT_EQ(requestsLogged(), 2);
}

TEST_F(SettingsTest, TheSystemDirectoryComesFirst) {
    startSimulator({"--no-reply", "*"});
    writeSettings(hostDir, "NUM_RETRY=2\nETHERNET_TIMEOUT=0\n");
    writeSettings(systemDir, "num_retry = 3\nETHERNET_TIMEOUT=0\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    EXPECT_EQ(call("13,x").code, 91);
    EXPECT_EQ(requestsLogged(), 3);
}

TEST_F(SettingsTest, ASystemFileWithoutTheSectionIsPassedOver) {
    startSimulator({"--no-reply", "*"});
    writeText(systemDir / "wqzcom.ini", "[other]\nNUM_RETRY=5\n");
    writeSettings(hostDir, "NUM_RETRY=2\nETHERNET_TIMEOUT=0\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    EXPECT_EQ(call("13,x").code, 91);
    EXPECT_EQ(requestsLogged(), 2);
}

TEST_F(SettingsTest, JunkReadsAsZeroAndRetriesBelowOneCountAsOne) {
    startSimulator({"--no-reply", "*"});
    writeText(hostDir / "wqzcom.ini",
              "garbage line\n\x01\x02\xff\n[nx]\nNUM_RETRY=lots\nETHERNET_TIMEOUT=soon\n[nx\n=\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    EXPECT_EQ(call("13,x").code, 91);
    EXPECT_EQ(requestsLogged(), 1);
}
