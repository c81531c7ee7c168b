// The entry: command string, command table, the entry's own codes, the
// host's current directory and the busy mark.
#include "QzHostTest.h"

#include <atomic>
#include <thread>

using EntryTest = QzHostTest;

TEST_F(EntryTest, VerAnswersTheVersionInAnyCase) {
    EXPECT_EQ(call("VER").code, 0);
    EXPECT_EQ(call("VER").reply, "Ver 4.12");
    QzResult lower = call("ver");
    EXPECT_EQ(lower.code, 0);
    EXPECT_EQ(lower.reply, "Ver 4.12");
}

TEST_F(EntryTest, BothEntryPointsBehaveAlike) {
    char command[] = "ver";
    char reply[1024] = "x";
    EXPECT_EQ(qz().QZCom(command, reply), 0);
    EXPECT_STREQ(reply, "Ver 4.12");
}

TEST_F(EntryTest, UnknownWordsAndThreeCommasAreInvalid) {
    for (const char* command : {"A,B,C,D", "NOSUCH", "", ",x", "VER,a,b,c", "OPENCOMX"}) {
        QzResult r = call(command);
        EXPECT_EQ(r.code, WQZCOM_UNKNOWN_COMMAND) << command;
        EXPECT_EQ(r.reply, "Invalid DLL command") << command;
    }
    EXPECT_EQ(call("VER,a,b").code, 0);  // a third field is accepted and not used
}

TEST_F(EntryTest, CommasOfTheCommandAreReplacedByZeroBytes) {
    char command[] = "VER,x,y";
    char reply[1024];
    ASSERT_EQ(qz().Qzcom(command, reply), 0);
    EXPECT_EQ(std::string(command, sizeof command - 1), std::string("VER\0x\0y", 7));
}

TEST_F(EntryTest, TestCommandDoesNothing) {
    QzResult r = call("TEST");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.reply, "");
}

TEST_F(EntryTest, TerminalCommandsBeforeOpencomFailCleanly) {
    for (const char* command : {"13,xyz", "INITMODEM,123", "STOPMODEM"}) {
        QzResult r = call(command);
        EXPECT_EQ(r.code, WQZCOM_NOT_OPEN) << command;
        EXPECT_EQ(r.reply, "") << command;
    }
    EXPECT_EQ(call("COMCLOSE").code, 0);
}

TEST_F(EntryTest, HostDirectoryIsRestoredAfterEveryCall) {
    startSimulator();
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    for (const char* command : {"VER", "13,xyz", "NOSUCH", "A,B,C,D", "COMCLOSE"}) {
        call(command);
        EXPECT_EQ(std::filesystem::current_path(), hostDir) << command;
    }
}

TEST_F(EntryTest, CommandsRunInTheWorkingDirectory) {
    startSimulator();
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    // The modem prefix file is looked for in the working directory only.
    writeText(hostDir / "qzcom.tlf", "ATDT\n");
    EXPECT_EQ(call("INITMODEM,123").code, 98);
}

TEST_F(EntryTest, ANestedCallFromAnotherThreadIsRefusedAtOnce) {
    startSimulator({"--no-reply", "*"});
    writeSettings(hostDir, "ETHERNET_TIMEOUT=2\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);

    std::atomic<int> slow{-100};
    std::thread caller([&] { slow = call("13,wait").code; });
    // The first call is inside its exchange once the terminal has the request.
    EXPECT_TRUE(eventually([&] { return requestsLogged() > 0; }));
    auto before = std::chrono::steady_clock::now();
    QzResult nested = call("VER");
    auto took = std::chrono::steady_clock::now() - before;
    caller.join();
    EXPECT_EQ(nested.code, WQZCOM_BUSY);
    EXPECT_LT(took, std::chrono::milliseconds(500));
    EXPECT_EQ(slow, 91);
    EXPECT_EQ(call("VER").code, 0);  // free again afterwards
}
