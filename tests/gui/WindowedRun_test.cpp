// Wcmdv32 started by a calling application with a command line, as a
// drop-in for Cmdv32: the same files, the same result file, exit code 0,
// and the window gone by itself.
#include "SimulatorTest.h"
#include "WindowedProcess.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

const char* kPunchFiles =
    "[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=acc.txt\n[Mensa]\nFILE_NAME=mensa.txt\n"
    "[Commesse]\nFILE_NAME=comm.txt\n";

class WindowedRunTest : public SimulatorTest {
protected:
    ProcessResult run(const ToolInstall& install, const std::vector<std::string>& args) {
        return install.run(args, kNoDisplay);
    }
};

}  // namespace

TEST_F(WindowedRunTest, DownloadWritesThePunchLinesAndClearsTheTerminal) {
    std::string state = scratch("_punches.json");
    std::ofstream(state) << R"({"terminals":[{"node":5,"model":"VORN3","punches":[
        {"company":1,"terminal":5,"employee":1758,"time":"2026-01-05 07:08:41","flags":64,"cause":0},
        {"company":2,"terminal":5,"employee":123456,"time":"2008-12-31 23:59:00","flags":4,"cause":7},
        {"company":1,"terminal":5,"employee":42,"time":"2026-01-05 12:30:00","flags":36,"cause":0}]}]})";
    runSimulator({"--state", state});
    ToolInstall install(WCMDV32_PATH, std::string("[Global]\n") + kPunchFiles + terminalSection(5, "VORN3", sim->tcpPort()));

    auto r = run(install, {"-n5", "-r"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00003\n");
    EXPECT_EQ(install.readData("tmb.txt"),
              "01 001758 05/01/26 07:08 U 0005 00 P\n"
              "02 123456 31/12/08 23:59 I 0005 07 N\n");
    EXPECT_EQ(install.readData("acc.txt"), "01 000042 05/01/26 12:30 I 0005 00 A\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "Wcmdv32, ver. "));
    EXPECT_TRUE(contains(log, "[Term 005] 3 timb. ricevute, 3 salvate"));
    EXPECT_TRUE(contains(log, "Inizio sessione: \"-n5 -r \""));
    EXPECT_FALSE(contains(log, "Fine sessione"));
    EXPECT_TRUE(contains(stopAndReadState(), "\"punches\": []"));
}

TEST_F(WindowedRunTest, VersionLineIsTheSameAsTheConsoleWrites) {
    runSimulator({"--terminal", "3:VORN2"});
    std::string parameters = "[Global]\n" + terminalSection(3, "VORN2", sim->tcpPort());
    ToolInstall window(WCMDV32_PATH, parameters), console(CMDV32_PATH, parameters);

    auto r = run(window, {"-n3", "-v"});
    EXPECT_EQ(r.exitCode, 0);
    console.run({"-n3", "-v"});
    auto line = window.readData("RIDUVA.RET");
    EXPECT_TRUE(line.rfind("SIM ", 0) == 0) << line;
    EXPECT_EQ(line, console.readData("RIDUVA.RET"));
}

TEST_F(WindowedRunTest, UnreachableLastTerminalGivesTheTimeOutForm) {
    runSimulator({"--terminal", "1:VORN3", "--records", "2"});
    ToolInstall install(WCMDV32_PATH, std::string("[Global]\n") + kPunchFiles +
                                          terminalSection(1, "VORN3", sim->tcpPort()) +
                                          terminalSection(2, "VORN3", sim->tcpPort()));
    auto r = run(install, {"-r"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0001\n");
    EXPECT_EQ(countOf(install.readData("tmb.txt") + install.readData("acc.txt") + install.readData("mensa.txt") +
                          install.readData("comm.txt"),
                      "\n"),
              2);
}

TEST_F(WindowedRunTest, EmployeesUploadedAndReceivedBack) {
    runSimulator({"--terminal", "3:VORN1"});
    ToolInstall install(WCMDV32_PATH, "[Global]\n[Anagrafiche]\nFILE_NAME=emp.txt\n" +
                                          terminalSection(3, "VORN1", sim->tcpPort()));
    std::ofstream(install.dataDir() / "emp.txt") << ",5,1234,ROSSI MARIO,,3\n,5,77,BIANCHI LUCA,,3,REPARTO A,TURNO 2\n";

    auto r = run(install, {"-n3", "-t"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    run(install, {"-n3", "-ea"});
    auto received = install.readData("DUMMY.EMP");
    EXPECT_TRUE(contains(received, ",00005,000001234,ROSSI MARIO         ,")) << received;
    EXPECT_TRUE(contains(received, "BIANCHI LUCA"));
}

TEST_F(WindowedRunTest, UnknownTerminalNumberFailsItsCommandsAndTheOthersRun) {
    runSimulator({"--terminal", "3:VORN2"});
    ToolInstall install(WCMDV32_PATH, "[Global]\n" + terminalSection(3, "VORN2", sim->tcpPort()));
    auto r = run(install, {"-n3", "-n99", "-v"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0200\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "Errore Numero Terminale. ")) << log;
    EXPECT_TRUE(contains(readFile(wireLog), "\"VE\""));
}

// Nobody can answer a box without a screen: the run says why on standard
// error and ends as the calling application expects, never waiting.
TEST_F(WindowedRunTest, WithoutAScreenBoxesGoToStandardErrorAndTheRunEnds) {
    ToolInstall install(WCMDV32_PATH, "[Global]\n" + terminalSection(3, "VORN2", 9));
    auto r = run(install, {"-c", "-Ea"});
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(contains(r.err, "Wcmdv32: Errore fatale - Impossibile continuare!")) << r.err;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0200\n");

    // No platform named and no display: the window still runs, off screen.
    r = install.run({"-h"}, {{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.rfind("Wcmdv32\n", 0) == 0) << r.out;
    EXPECT_TRUE(contains(r.out, "Visualizza la versione e help."));
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00000\n");
}

TEST_F(WindowedRunTest, MissingParameterFileIsAnErrorResultWithoutAScreen) {
    ToolInstall install(WCMDV32_PATH, "");
    auto r = run(install, {"-v"});
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(contains(r.err, "cmdvorn.prm not found !!"));
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0200\n");
}
