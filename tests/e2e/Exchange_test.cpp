// Telegram exchanges of the real binary with the simulator, over TCP (as
// through an Ethernet bridge) and over a pseudo-terminal through termios.
#include "ToolInstall.h"
#include "VornSimProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <unistd.h>

namespace {

std::string tcpTerminal(int termNr, int node, int port, const std::string& extra = "") {
    return "[Terminal " + std::to_string(termNr) + "]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=" + std::to_string(node) +
           "\nTERM_NR=" + std::to_string(termNr) + "\nPORT=tcp//127.0.0.1:" + std::to_string(port) + "\n" + extra;
}

}  // namespace

TEST(Exchange, VersionOverTcpWritesReportAndResultFile) {
    // Two terminals that tell their versions apart, so that the result file
    // shows whose reply it holds.
    const auto state = std::filesystem::temp_directory_path() / ("exchange_" + std::to_string(getpid()) + ".json");
    std::ofstream(state) << R"({"terminals":[{"node":5,"model":"VORN3","version":{"version":"V5.05"}},)"
                            R"({"node":6,"model":"VORN-L","version":{"version":"L6.06"}}]})";
    vornsim::VornSimProcess sim({"--state", state.string(), "--tcp", "0", "--records", "12"});
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH, "[Global]\n" + tcpTerminal(5, 5, sim.tcpPort()) + tcpTerminal(6, 6, sim.tcpPort()));

    auto r = install.run({"-n5", "-v"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "=== [Term 005] Version info ===\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "  NumOfRec: 12\n")) << r.out;
    EXPECT_FALSE(contains(r.out, "CRC Error"));
    // version, date, time, programmer and six counters
    std::regex versionLine(R"(^\S+ .+ \d+ \d+ \d+ \d+ \d+ \d+\n$)");
    std::string result = install.readData("RIDUVA.RET");
    EXPECT_TRUE(std::regex_match(result, versionLine)) << result;
    EXPECT_TRUE(contains(result, " 12 ")) << result;
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Invio Cmd. VE\n"));
    EXPECT_TRUE(contains(log, "[Term 005] Comando VE eseguito.\n"));

    EXPECT_EQ(result.rfind("V5.05 ", 0), 0u) << result;

    // Two terminals behind one bridge: one link, both answer, and the result
    // file holds the last one's reply.
    r = install.run({"-v"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(contains(r.out, "=== [Term 005] Version info ===")) << r.out;
    EXPECT_TRUE(contains(r.out, "=== [Term 006] Version info ===")) << r.out;
    result = install.readData("RIDUVA.RET");
    EXPECT_TRUE(std::regex_match(result, versionLine)) << result;
    EXPECT_EQ(result.rfind("L6.06 ", 0), 0u) << result;
    std::filesystem::remove(state);
}

TEST(Exchange, TimeoutRetriesThenTheResultFileSaysTimeOut) {
    vornsim::VornSimProcess sim({"--terminal", "5:VORN3", "--tcp", "0", "--no-reply", "*"});
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH,
                        "[Global]\n" + tcpTerminal(5, 5, sim.tcpPort(), "COM_TIME_OUT=101\nMAX_RETRY=2\n"));
    auto r = install.run({"-v"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0001\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] VE time-out - retry 1/2\n")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] VE time-out - retry 2/2\n"));
    EXPECT_TRUE(contains(log, "[Term 005] VE Time-out. Commando Fallito!\n"));
    EXPECT_FALSE(contains(log, "Comando VE eseguito"));
}

TEST(Exchange, WarningAnswerIsNotRetried) {
    vornsim::VornSimProcess sim({"--terminal", "5:VORN3", "--tcp", "0", "--warn", "VE"});
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH, "[Global]\n" + tcpTerminal(5, 5, sim.tcpPort(), "MAX_RETRY=3\n"));
    auto r = install.run({"-v"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] <node 5> VE")) << log;
    EXPECT_FALSE(contains(log, "retry"));
}

TEST(Exchange, NoiseBadChecksumWrongDestinationAndLateReplies) {
    // Noise before SOH is skipped; the others fail the first attempt and the
    // retry succeeds.
    struct Case {
        const char* option;
        const char* logPart;
    } cases[] = {{"--noise", nullptr},
                 {"--bad-crc", "Errore telegramma ricevuto: ERR_CRC"},
                 {"--wrong-dest", "Errore telegramma ricevuto: ERR_TELEGRAM"},
                 {"--late", "Response out of sequence"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        vornsim::VornSimProcess sim({"--terminal", "5:VORN3", "--tcp", "0", c.option, "1"});
        ASSERT_TRUE(sim.start()) << sim.error();
        ToolInstall install(CMDV32_PATH, "[Global]\n" + tcpTerminal(5, 5, sim.tcpPort(), "COM_TIME_OUT=105\nMAX_RETRY=2\n"));
        auto r = install.run({"-v"});
        EXPECT_EQ(r.exitCode, 0);
        auto log = install.readData("cmdvorn.log");
        EXPECT_TRUE(contains(log, "[Term 005] Comando VE eseguito.")) << log;
        if (c.logPart) {
            EXPECT_TRUE(contains(log, c.logPart)) << log;
        }
        EXPECT_NE(install.readData("RIDUVA.RET")[0], '-');
    }
}

TEST(Exchange, ConnectionRefusedIsAnOpenError) {
    ToolInstall install(CMDV32_PATH, "[Global]\n" + tcpTerminal(5, 5, 9));
    auto r = install.run({"-v"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0001\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Errore conessione")) << log;
    EXPECT_TRUE(contains(log, "WSAECONNREFUSED")) << log;
}

TEST(Exchange, SerialLineThroughAPseudoTerminal) {
    vornsim::VornSimProcess sim({"--terminal", "3:VORN3", "--terminal", "4:VORN2", "--pty", "all", "--records", "3"});
    ASSERT_TRUE(sim.start()) << sim.error();
    std::string port = sim.ptyPath();
    ToolInstall install(CMDV32_PATH, "[Global]\n"
                                     "[Terminal 3]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=3\nPORT=" + port + ":38400,N,8,1\n"
                                     "[Terminal 4]\nCOM_TYPE=RS485\nTERM_TYPE=VORN2\nNODE_NR=4\nPORT=" + port + ":19200,N,8,1\n");
    auto r = install.run({"-v"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 003] Comando VE eseguito.")) << log;
    EXPECT_TRUE(contains(log, "[Term 004] Comando VE eseguito.")) << log;
    EXPECT_EQ(countOf(r.out, "Version info"), 2);
}

TEST(Exchange, RoutedTerminalTalksThroughItsRouter) {
    vornsim::VornSimProcess sim({"--terminal", "5:VORN3", "--terminal", "9:VORN3", "--tcp", "0", "--wire-log", "/dev/stdout"});
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH, "[Global]\n" + tcpTerminal(5, 5, sim.tcpPort()) +
                                         "[Terminal 9]\nCOM_TYPE=MODEM\nTERM_TYPE=VORN3\nNODE_NR=9\nROUTER_NODE=5\n");
    auto r = install.run({"-n9", "-v"});
    EXPECT_EQ(r.exitCode, 0);
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "e' incompatibile con ROUTER_NODE")) << log;
    EXPECT_TRUE(contains(log, "[Term 009] Comando VE eseguito.")) << log;
}
