// Terminals behind a Hayes modem: the real binary dials the simulator's
// modem on a pseudo-terminal, logs on and exchanges telegrams over the call.
#include "ToolInstall.h"
#include "VornSimProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

std::string modemTerminal(int node, const std::string& port, const std::string& number, const std::string& extra = "",
                          const std::string& comType = "MODEM") {
    // The first of two equal keys counts: `extra` may replace the short waits.
    return "[Terminal " + std::to_string(node) + "]\n" + extra + "COM_TYPE=" + comType +
           "\nTERM_TYPE=VORN3\nNODE_NR=" + std::to_string(node) + "\nPORT=" + port + ":38400,N,8,1\nMODEM_DIAL_NR=" +
           number + "\nMODEM_WAIT_CONNECT=2\nMODEM_PAUSE=0\nCOM_TIME_OUT=101\n";
}

// Terminals 5 and 6, both at number 0123 behind the simulator's modem.
std::string twoTerminalsOnOneNumber(const vornsim::VornSimProcess& sim, const std::string& password) {
    return "[Global]\n" + modemTerminal(5, sim.modemPath(), "0123", "PASSWORD=" + password + "\n") +
           modemTerminal(6, sim.modemPath(), "0123", "PASSWORD=" + password + "\n");
}

// The simulator with a modem in front of terminals 5 and 6, password "secret".
std::vector<std::string> simArgs(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--terminal", "5:VORN3", "--terminal", "6:VORN3", "--modem", "all",
                                  "--password", "secret",  "--modem-connect-ms", "30"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

}  // namespace

TEST(Modem, DialLogOnVersionAndCallReusedForTheSameNumber) {
    vornsim::VornSimProcess sim(simArgs());
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH, twoTerminalsOnOneNumber(sim, "secret"));
    auto r = install.run({"-v"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(countOf(r.out, "Version info"), 2) << r.out;
    auto log = install.readData("cmdvorn.log");
    // One call serves both terminals; the log-on went through, else VE would not run.
    EXPECT_EQ(countOf(log, "Chiamata Modem: 0123"), 1) << log;
    EXPECT_TRUE(contains(log, "[Term 005] Modem: ATE1->ATE1")) << log;
    // (a late echo of the LF after "ATV1\r\n" may come before the dial's echo)
    EXPECT_TRUE(contains(log, "[Term 005] Modem collegato: ")) << log;
    EXPECT_TRUE(contains(log, "ATD0123...CONNECT..\n")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] Comando VE eseguito.")) << log;
    EXPECT_TRUE(contains(log, "[Term 006] Comando VE eseguito.")) << log;
    // The pseudo-terminal has no modem lines: said once, and the dialogue stands in.
    EXPECT_EQ(countOf(log, "senza linee CTS/DCD"), 1) << log;
    EXPECT_NE(install.readData("RIDUVA.RET")[0], '-');
}

TEST(Modem, EmptyPasswordLogOnExternalLineAndAnotherNumberReplacesTheCall) {
    auto wireLog = std::filesystem::temp_directory_path() / ("modem_wire_" + std::to_string(getpid()));
    vornsim::VornSimProcess sim({"--terminal", "5:VORN3", "--terminal", "6:VORN3", "--modem", "all",
                                 "--modem-connect-ms", "30", "--wire-log", wireLog.string()});
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH, "[Global]\n" + modemTerminal(5, sim.modemPath(), "0123") +
                                         modemTerminal(6, sim.modemPath(), "0456", "", "MODEM_EXT"));
    auto r = install.run({"-v"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    sim.stop();
    std::string wire = readFile(wireLog);
    std::filesystem::remove(wireLog);
    // The log-on carries the empty password's NUL and nothing else.
    EXPECT_TRUE(contains(wire, "\"OPEN\" data=1 | \\x0105000101OPEN\\x0200")) << wire;
    EXPECT_EQ(countOf(wire, "\"OPEN\""), 1) << wire;  // none on the external line
    EXPECT_TRUE(contains(wire, "MODEM command ATH0")) << wire;
    EXPECT_TRUE(contains(wire, "MODEM dialling 0456")) << wire;
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 006] Comando VE eseguito.")) << log;
}

TEST(Modem, BusyIsRetriedAfterThePause) {
    vornsim::VornSimProcess sim(simArgs({"--modem-busy", "2"}));
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH,
                        "[Global]\n" + modemTerminal(5, sim.modemPath(), "0123",
                                                     // The CR sent before each retry waits a whole COM_TIME_OUT.
                                                     "PASSWORD=secret\nMODEM_RETRY=2\nCOM_TIME_OUT=1\n"));
    auto r = install.run({"-v"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    auto log = install.readData("cmdvorn.log");
    EXPECT_EQ(countOf(log, "[Term 005] Modem non risponde: BUSY"), 2) << log;
    EXPECT_TRUE(contains(log, "[Term 005] Pause 0 sec - Retry 01")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] Pause 0 sec - Retry 02")) << log;
    EXPECT_EQ(countOf(log, "Chiamata Modem: 0123"), 3);
    EXPECT_TRUE(contains(log, "[Term 005] Comando VE eseguito.")) << log;
}

TEST(Modem, NoCarrierIsAModemErrorInTheResultFile) {
    vornsim::VornSimProcess sim(simArgs({"--modem-no-carrier", "1"}));
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH, "[Global]\n" + modemTerminal(5, sim.modemPath(), "0123", "PASSWORD=secret\n"));
    auto r = install.run({"-v"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0001\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Modem non risponde: NO CARRIER")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] Errore collegamento Modem: ")) << log;
    EXPECT_TRUE(contains(log, "ATD0123...NO CARRIER..\n")) << log;
    EXPECT_TRUE(contains(log, " [Term 005] Errore collegamento 0123")) << log;
    EXPECT_FALSE(contains(log, "Pause"));  // MODEM_RETRY 0 and MAX_RETRY 0: one attempt
    EXPECT_FALSE(contains(log, "Comando VE eseguito"));
}

TEST(Modem, WrongPasswordFailsAndTheCallIsNotReusedWithoutLogOn) {
    vornsim::VornSimProcess sim(simArgs());
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH, twoTerminalsOnOneNumber(sim, "wrong"));
    auto r = install.run({"-v"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] <node 5> OPEN")) << log;
    EXPECT_TRUE(contains(log, "[Term 006] <node 6> OPEN")) << log;
    // The refused call was hung up, so the second terminal dialled and logged on itself.
    EXPECT_EQ(countOf(log, "Chiamata Modem: 0123"), 2) << log;
    EXPECT_FALSE(contains(log, "Comando VE eseguito"));
}

TEST(Modem, DroppedCallIsRecoveredOnce) {
    // Requests: 1 OPEN, 2 VE of terminal 5, 3 VE of terminal 6 (over the same call): dropped.
    vornsim::VornSimProcess sim(simArgs({"--drop", "3"}));
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH, twoTerminalsOnOneNumber(sim, "secret"));
    auto r = install.run({"-v"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    auto log = install.readData("cmdvorn.log");
    // The modem speaks with the label of the terminal that dialled.
    EXPECT_TRUE(contains(log, " [Term 005] Errore Modem /dev/pts/")) << log;
    EXPECT_TRUE(contains(log, "Linea Caduta !!!!")) << log;
    EXPECT_TRUE(contains(log, " [Term 006] Ripristino connessione modem!")) << log;
    EXPECT_EQ(countOf(log, "Chiamata Modem: 0123"), 2) << log;
    EXPECT_TRUE(contains(log, "[Term 006] Comando VE eseguito.")) << log;
    EXPECT_NE(install.readData("RIDUVA.RET")[0], '-');
}

TEST(Modem, DroppedAgainAfterRecoveryIsAModemError) {
    // Terminal 6's VE is dropped on the reused call (request 3) and again
    // after redialling and logging on (request 5).
    vornsim::VornSimProcess sim(simArgs({"--drop", "3", "--drop", "5"}));
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH, twoTerminalsOnOneNumber(sim, "secret"));
    auto r = install.run({"-v"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0001\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_EQ(countOf(log, "Ripristino connessione modem!"), 1) << log;
    EXPECT_FALSE(contains(log, "[Term 006] Comando VE eseguito.")) << log;
}

TEST(Modem, CtrlCDuringTheDialStopsTheCommandWithoutRetrying) {
    vornsim::VornSimProcess sim({"--terminal", "5:VORN3", "--modem", "all", "--modem-connect-ms", "20000"});
    ASSERT_TRUE(sim.start()) << sim.error();
    ToolInstall install(CMDV32_PATH, "[Global]\n" + modemTerminal(5, sim.modemPath(), "0123",
                                                                  "MODEM_WAIT_CONNECT=30\nMODEM_RETRY=3\n"));
    // The operator's Ctrl-C, 1.5 s into the dial.
    auto r = runProcess("/usr/bin/timeout", {"-s", "INT", "1.5", (install.programDir() / "Cmdv32").string(), "-v"},
                        install.dataDir().string());
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Chiamata modem interrota dall'utente")) << log;
    EXPECT_EQ(countOf(log, "Chiamata Modem: 0123"), 1) << log;
    EXPECT_FALSE(contains(log, "Errore collegamento 0123")) << log;
    EXPECT_TRUE(contains(log, "Fine sessione")) << log;
}

TEST(Modem, ModemTerminalOnATcpPortIsAConfigurationError) {
    ToolInstall install(CMDV32_PATH, "[Global]\n[Terminal 5]\nCOM_TYPE=MODEM\nTERM_TYPE=VORN3\nNODE_NR=5\n"
                                     "PORT=tcp//127.0.0.1:9\nMODEM_DIAL_NR=0123\n");
    auto r = install.run({"-v"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0001\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, " [Term 005] Errore Configurazione.Tipo porta=")) << log;
    EXPECT_TRUE(contains(log, ", Modem necessita di una porta seriale !")) << log;
    EXPECT_FALSE(contains(log, "Chiamata Modem"));
}
