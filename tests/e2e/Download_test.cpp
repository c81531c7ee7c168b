// The main job end to end: punches downloaded from the simulator into their
// files, and deleted on the terminal only when every record is on the disk.
#include "Eventually.h"
#include "SimulatorTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

namespace {

int lines(const std::string& text) { return countOf(text, "\n"); }

// A parameter file routing every kind of record to its own file.
std::string parameters(int port, const std::string& terminalExtra = "", const std::string& punchesFile = "tmb.txt") {
    return "[Global]\n"
           "[Timbrature]\nFILE_NAME=" + punchesFile + "\n"
           "[Accessi]\nFILE_NAME=acc.txt\n"
           "[Mensa]\nFILE_NAME=mensa.txt\n"
           "[Commesse]\nFILE_NAME=comm.txt\n"
           "[Terminal 5]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=5\nCOM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" +
           std::to_string(port) + "\n" + terminalExtra;
}

class DownloadTest : public SimulatorTest {
protected:
    // Starts the simulator with node 5 (VORN3) and the given extra options.
    void startSimulator(std::vector<std::string> extra) {
        extra.insert(extra.begin(), {"--terminal", "5:VORN3"});
        runSimulator(extra);
    }
    std::string allOutput(const ToolInstall& install) {
        return install.readData("tmb.txt") + install.readData("acc.txt") + install.readData("mensa.txt") +
               install.readData("comm.txt");
    }
};

}  // namespace

TEST_F(DownloadTest, PunchLinesByteForByte) {
    std::string state = scratch("_punches.json");
    std::ofstream(state) << R"({"terminals":[{"node":5,"model":"VORN3","punches":[
        {"company":1,"terminal":5,"employee":1758,"time":"2026-01-05 07:08:41","flags":64,"cause":0},
        {"company":2,"terminal":5,"employee":123456,"time":"2008-12-31 23:59:00","flags":4,"cause":7},
        {"company":1,"terminal":5,"employee":42,"time":"2026-01-05 12:30:00","flags":36,"cause":0}]}]})";
    runSimulator({"--state", state});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));

    auto r = install.run({"-n5", "-r"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00003\n");
    EXPECT_EQ(install.readData("tmb.txt"),
              "01 001758 05/01/26 07:08 U 0005 00 P\n"
              "02 123456 31/12/08 23:59 I 0005 07 N\n");
    EXPECT_EQ(install.readData("acc.txt"), "01 000042 05/01/26 12:30 I 0005 00 A\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] 3 timbrature trovate"));
    EXPECT_TRUE(contains(log, "[Term 005] 3 timb. ricevute, 3 salvate"));
    EXPECT_TRUE(contains(log, "[Term 005] Timbrature rimosse dal terminale"));
    EXPECT_TRUE(contains(stopAndReadState(), "\"punches\": []"));
}

TEST_F(DownloadTest, ClearDeletesOnlyAfterEverythingIsSavedAndKeepNeverDeletes) {
    startSimulator({"--records", "60", "--seed", "7"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));

    auto r = install.run({"-x"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00060\n");
    EXPECT_EQ(lines(allOutput(install)), 60);
    auto wire = readFile(wireLog);
    EXPECT_FALSE(contains(wire, "\"RE,DE\""));
    EXPECT_TRUE(contains(wire, "\"ON\""));  // more than 50 records
    EXPECT_TRUE(contains(wire, "\"OF\""));

    r = install.run({"-r"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00060\n");
    EXPECT_EQ(lines(allOutput(install)), 120);  // appended
    EXPECT_EQ(countOf(readFile(wireLog), "\"RE,DE\""), 1);
    EXPECT_TRUE(contains(readFile(wireLog), "\"RE,GE,3b\""));  // index 59 in lowercase hex

    r = install.run({"-r"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00000\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 005] Nessuna timbratura presente"));
}

TEST_F(DownloadTest, SkippedRecordLeavesEverythingOnTheTerminal) {
    startSimulator({"--records", "8", "--warn", "RE,GE,3"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    install.run({"-r"});
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] 1 Timbrature RIMASTE sul terminale")) << log;
    EXPECT_EQ(lines(allOutput(install)), 7);
    EXPECT_FALSE(contains(readFile(wireLog), "\"RE,DE\""));
    EXPECT_FALSE(contains(stopAndReadState(), "\"punches\": []"));
}

TEST_F(DownloadTest, LostTerminalStopsTheDownloadAndDeletesNothing) {
    startSimulator({"--records", "8", "--no-reply", "RE,GE,5"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    install.run({"-r"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0001\n");
    EXPECT_EQ(lines(allOutput(install)), 5);
    EXPECT_FALSE(contains(readFile(wireLog), "\"RE,DE\""));
    EXPECT_FALSE(contains(readFile(wireLog), "\"RE,GE,6\""));
}

TEST_F(DownloadTest, RecordsArrivingDuringTheDownloadAreCaughtUpBeforeTheDelete) {
    startSimulator({"--records", "5", "--add-records", "2@RE,GE,4"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    install.run({"-r"});
    EXPECT_EQ(lines(allOutput(install)), 7);
    auto wire = readFile(wireLog);
    EXPECT_TRUE(contains(wire, "\"RE,GE,6\""));
    EXPECT_EQ(countOf(wire, "\"RE,DE\""), 1);
    EXPECT_TRUE(contains(stopAndReadState(), "\"punches\": []"));
}

TEST_F(DownloadTest, CatchUpRecordSkippedAfterAWarningIsNotDeleted) {
    startSimulator({"--records", "5", "--add-records", "2@RE,GE,4", "--warn", "RE,GE,5"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    install.run({"-r"});
    EXPECT_EQ(lines(allOutput(install)), 6);
    EXPECT_FALSE(contains(readFile(wireLog), "\"RE,DE\""));
    // The record left behind makes the run an error, as in the first pass.
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] 1 Timbrature RIMASTE sul terminale")) << log;
    EXPECT_FALSE(contains(log, "eseguito")) << log;
}

TEST_F(DownloadTest, UnwritableOrUnopenableFilesStopWithoutDeleting) {
    struct Case {
        const char* file;
        const char* result;
    } cases[] = {{"/dev/full", "-0101\n"}, {"/nonexistent-dir/tmb.txt", "-0100\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        startSimulator({"--records", "4"});
        ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort(), "", c.file));
        // Only punches, so every record goes to the broken file.
        install.run({"-r"});
        EXPECT_EQ(install.readData("RIDUVA.RET"), c.result);
        EXPECT_FALSE(contains(readFile(wireLog), "\"RE,DE\""));
        sim->stop();
        std::filesystem::remove(wireLog);
    }
}

TEST_F(DownloadTest, CorruptRecordIsACrcErrorAndNothingIsDeleted) {
    std::string state = scratch("_crc.json");
    std::ofstream(state) << R"({"terminals":[{"node":5,"model":"VORN3","punches":[
        {"company":1,"terminal":5,"employee":1,"time":"2026-01-05 07:08:41","flags":64,"cause":0},
        {"company":1,"terminal":5,"employee":2,"time":"2026-01-05 07:09:41","flags":64,"cause":0,"check":1}]}]})";
    runSimulator({"--state", state});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    install.run({"-r"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "Errore CRC nei dati ricevuti.  Timbratura RE,GE,1"));
    EXPECT_FALSE(contains(readFile(wireLog), "\"RE,DE\""));
}

TEST_F(DownloadTest, CountsAndTheGluedFileName) {
    startSimulator({"--terminal", "6:VORN-L", "--records", "12", "--recoverable", "3"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()) +
                                         "[Terminal 6]\nCOM_TYPE=RS485\nTERM_TYPE=VORN-L\nNODE_NR=6\nPORT=tcp//127.0.0.1:" +
                                         std::to_string(sim->tcpPort()) + "\n");
    auto r = install.run({"-n5", "-yr"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00012\n");
    EXPECT_TRUE(contains(r.out, "[Term 005] Num. timbrature= 12"));
    r = install.run({"-n6", "-yz"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00003\n");

    // -z keeps the recoverable punches; the glued name replaces the punches file.
    r = install.run({"-n6", "-zrecuperate.txt"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00003\n");
    EXPECT_FALSE(contains(readFile(wireLog), "\"RA,DE\""));

    // -@z without anybody to confirm is refused.
    r = install.run({"-n6", "-@z"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    EXPECT_FALSE(contains(readFile(wireLog), "\"RA,DE\""));
    r = install.run({"-n6", "-@z"}, {{"CMDVORN_ASSUME_YES", "1"}});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");
    EXPECT_TRUE(contains(readFile(wireLog), "\"RA,DE\""));
}

TEST_F(DownloadTest, CtrlCStopsTheDownloadWith106AndDeletesNothing) {
    startSimulator({"--records", "300", "--baud", "9600"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    auto running = install.start({"-r"});
    // Wait until the download is under way, then interrupt it.
    ASSERT_TRUE(eventually([&] { return contains(readFile(wireLog), "\"RE,GE,3\""); })) << readFile(wireLog);
    running->signal(SIGINT);
    auto r = running->wait(std::chrono::seconds(60));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Commando interroto dall'utente!")) << log;
    EXPECT_TRUE(contains(log, "Timbrature RIMASTE sul terminale"));
    EXPECT_FALSE(contains(readFile(wireLog), "\"RE,DE\""));
}

TEST_F(DownloadTest, PeerClosingMidDownloadIsAReadErrorAndDeletesNothing) {
    startSimulator({"--records", "8", "--drop", "RE,GE,3"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    auto r = install.run({"-r"}, {}, std::chrono::seconds(30));
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Error Read")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] 5 Timbrature RIMASTE sul terminale")) << log;
    EXPECT_EQ(lines(allOutput(install)), 3);
    EXPECT_FALSE(contains(readFile(wireLog), "\"RE,DE\""));
}
