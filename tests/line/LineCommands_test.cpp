// The commands on the newer models end to end: the real Cmdv32 against the
// simulator's bridge and concentrator.
#include "ToolInstall.h"
#include "VornSimProcess.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

// Two punches of 31 December, in a year long past: the download dates them
// in the PC's current year.
constexpr char kPunches[] = R"({"terminals":[{"node":1,"model":"VORNT3","punches":[
    {"company":7,"terminal":1,"employee":123456,"time":"2019-12-31 08:30:00","flags":36,"cause":5},
    {"company":7,"terminal":1,"employee":42,"time":"2019-12-31 17:05:00","flags":32,"cause":0}]}]})";

std::string currentYear() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char yy[8];
    std::snprintf(yy, sizeof yy, "%02d", local.tm_year % 100);
    return yy;
}

std::string terminal(int node, const std::string& model, const std::string& port) {
    return "[Terminal " + std::to_string(node) + "]\nCOM_TYPE=RLX40\nTERM_TYPE=" + model + "\nNODE_NR=" +
           std::to_string(node) + "\nCOM_TIME_OUT=1\nPORT=" + port + "\n";
}

std::string parameters(const std::string& terminals) {
    return "[Global]\n[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=acc.txt\n" + terminals;
}

class LineCommandsTest : public ::testing::Test {
protected:
    void simulate(std::vector<std::string> args, bool withPunches = true) {
        if (withPunches) {
            std::ofstream(state_) << kPunches;
            args.insert(args.end(), {"--state", state_});
        }
        args.insert(args.end(), {"--wire-log", wireLog_, "--state-out", stateOut_});
        sim_ = std::make_unique<vornsim::VornSimProcess>(args);
        ASSERT_TRUE(sim_->start()) << sim_->error();
    }
    std::string bridgePort() const { return "tcp//127.0.0.1:" + std::to_string(sim_->tcpPort()); }
    std::string wire() const { return readFile(wireLog_); }
    std::string stateAfter() {
        sim_->stop();
        return readFile(stateOut_);
    }
    void TearDown() override {
        sim_.reset();
        for (const auto& f : {state_, wireLog_, stateOut_}) std::filesystem::remove(f);
    }

    std::string base_ = std::filesystem::temp_directory_path() / ("line_" + std::to_string(getpid()));
    std::string state_ = base_ + "_state.json";
    std::string wireLog_ = base_ + "_wire.log";
    std::string stateOut_ = base_ + "_after.json";
    std::unique_ptr<vornsim::VornSimProcess> sim_;
};

}  // namespace

TEST_F(LineCommandsTest, BridgeDownloadDatesLinesByFileNameAndClearsOnlyAfterSaving) {
    simulate({"--bridge", "0"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", bridgePort())));

    auto r = install.run({"-n1", "-r"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    const std::string yy = currentYear();
    EXPECT_EQ(install.readData("acc.txt"), "07 123456 31/12/" + yy + " 08:30 I 0001 00 A\n"
                                           "07 000042 31/12/" + yy + " 17:05 U 0001 00 A\n");
    EXPECT_FALSE(install.dataExists("tmb.txt"));
    std::string log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 001] 2 timbrature trovate"));
    EXPECT_TRUE(contains(log, " @TYPE 1231.PRE"));
    EXPECT_TRUE(contains(log, "<[Term 001]> Lanvex: \x01@DIR"));
    EXPECT_TRUE(contains(log, "[Term 001] 2 timb. ricevute, 2 salvate"));
    EXPECT_TRUE(contains(log, "[Term 001] Timbrature rimosse dal terminale"));
    EXPECT_FALSE(contains(log, "Badge format"));
    std::string w = wire();
    EXPECT_TRUE(contains(w, "\"@DIR\" | @DIR"));
    EXPECT_TRUE(contains(w, "\"@TYPE 1231.PRE\""));
    EXPECT_TRUE(contains(w, "\"%%3\""));
    EXPECT_TRUE(contains(stateAfter(), "\"punches\": []"));
}

TEST_F(LineCommandsTest, KeepNeverClearsAndCountUsesTheListing) {
    simulate({"--bridge", "0"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", bridgePort())));
    auto r = install.run({"-n1", "-x"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    r = install.run({"-n1", "-yr"});
    EXPECT_TRUE(contains(r.out + install.readData("cmdvorn.log"), "[Term 001] Num. timbrature= 2"));
    EXPECT_FALSE(contains(wire(), "%%3"));
}

TEST_F(LineCommandsTest, CauseModeOneGivesInPunchesOfKindNInThePunchesFile) {
    simulate({"--bridge", "0", "--cfg", "1:23=1"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", bridgePort())));
    install.run({"-n1", "-x"});
    const std::string yy = currentYear();
    EXPECT_EQ(install.readData("tmb.txt"), "07 123456 31/12/" + yy + " 08:30 I 0001 05 N\n"
                                           "07 000042 31/12/" + yy + " 17:05 I 0001 00 N\n");
    EXPECT_FALSE(install.dataExists("acc.txt"));
}

TEST_F(LineCommandsTest, ListingWithoutARecognisableLineCountsNinetyNineAndFetchesNothing) {
    simulate({"--bridge", "0", "--no-reply", "@DIR"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", bridgePort())));
    auto r = install.run({"-n1", "-r"});
    EXPECT_EQ(r.exitCode, 0);
    std::string log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 001] Nessuna timbratura presente"));
    EXPECT_FALSE(contains(wire(), "@TYPE"));
    EXPECT_FALSE(contains(wire(), "%%3"));
    install.run({"-n1", "-yr"});
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 001] Num. timbrature= 99"));
}

TEST_F(LineCommandsTest, BadgeFormatDifferentFromTheDefinitionIsOnlyAWarning) {
    simulate({"--bridge", "0", "--cfg", "1:7=3"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", bridgePort())));
    install.run({"-n1", "-r"});
    std::string log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 001] Warning: Badge format sul terminale (Cfg7=3, Cfg8=11) != (4,11)")) << log;
    EXPECT_TRUE(contains(log, "[Term 001] Timbrature rimosse dal terminale"));
}

TEST_F(LineCommandsTest, VorntTwoDownloadsWithoutParameterQueries) {
    std::string state = std::string(kPunches);
    state.replace(state.find("VORNT3"), 6, "VORNT2");
    std::ofstream(state_) << state;
    simulate({"--bridge", "0", "--state", state_}, false);
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT2", bridgePort())));
    install.run({"-n1", "-r"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    EXPECT_FALSE(contains(wire(), "@CFG"));
}

TEST_F(LineCommandsTest, VersionTextGoesToTheResultFile) {
    simulate({"--bridge", "0"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", bridgePort())));
    auto r = install.run({"-n1", "-v"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "VORNT3 SIM 1.0\n");
    EXPECT_TRUE(contains(r.out, "Versione: VORNT3 SIM 1.0"));
    EXPECT_TRUE(contains(wire(), "\"%XI\""));
}

TEST_F(LineCommandsTest, ParameterReportAsksEveryParameter) {
    simulate({"--bridge", "0"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", bridgePort())));
    auto r = install.run({"-n1", "-pg"});
    EXPECT_EQ(r.exitCode, 0);
    std::string log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "==== [Term 001] - Parametri operativi ==="));
    EXPECT_TRUE(contains(log, "   CFG 07 4\n"));
    EXPECT_EQ(countOf(wire(), "LINE RX"), 53);
}

TEST_F(LineCommandsTest, ConcentratorDownloadThroughOurDriver) {
    simulate({"--concentrator", "all"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", sim_->ptyPath(0) + ":19200")));
    std::filesystem::copy_file(RLX40C_PATH, install.programDir() / "libRLX40C.so");
    auto r = install.run({"-n1", "-r"});
    EXPECT_EQ(r.exitCode, 0) << install.readData("cmdvorn.log");
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    EXPECT_EQ(countOf(install.readData("acc.txt"), "\n"), 2);
    EXPECT_TRUE(contains(wire(), "\"%%3\""));
    EXPECT_TRUE(contains(stateAfter(), "\"punches\": []"));
}

TEST_F(LineCommandsTest, MissingDriverFailsItsTerminalWithoutEndingTheRun) {
    simulate({"--bridge", "0", "--terminal", "2:VORNT3"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(2, "VORNT3", "COM1:9600") + terminal(1, "VORNT3", bridgePort())));
    auto r = install.run({"-n2", "-r", "-v", "-n1", "-x"});
    std::string log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 002] Errore connessione Rlx40. RLX40C.DLL missing")) << log;
    EXPECT_TRUE(contains(log, "[Term 002] Errore connessione Rlx40. RLX40 not initialized. RLX40C.DLL missing"));
    EXPECT_TRUE(contains(log, "[Term 001] 2 timb. ricevute, 2 salvate"));
    EXPECT_EQ(countOf(install.readData("acc.txt"), "\n"), 2);

    // Status 126 is the port-open error in the result file.
    install.run({"-n2", "-r"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0001\n");
}

namespace {

// One punch stored on 2 May and three on 3 May: two stored files.
constexpr char kTwoFiles[] = R"({"terminals":[{"node":1,"model":"VORNT3","punches":[
    {"company":7,"terminal":1,"employee":11,"time":"2019-05-02 08:00:00","flags":36,"cause":0},
    {"company":7,"terminal":1,"employee":21,"time":"2019-05-03 08:01:00","flags":36,"cause":0},
    {"company":7,"terminal":1,"employee":22,"time":"2019-05-03 08:02:00","flags":36,"cause":0},
    {"company":7,"terminal":1,"employee":23,"time":"2019-05-03 08:03:00","flags":32,"cause":0}]}]})";

}  // namespace

TEST_F(LineCommandsTest, LinesWithoutLineEndsAreTakenApartByTheQuietBetweenThem) {
    // Run together, "0502.PRE 1" and "0503.PRE 3" would read as one file of
    // one record, and the clear would take the three of 3 May unread.
    std::ofstream(state_) << kTwoFiles;
    simulate({"--bridge", "0", "--bare-lines", "400", "--state", state_}, false);
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", bridgePort())));
    auto r = install.run({"-n1", "-r"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00004\n");
    std::string acc = install.readData("acc.txt");
    EXPECT_EQ(countOf(acc, "\n"), 4) << acc;
    for (const char* employee : {"000011", "000021", "000022", "000023"}) EXPECT_TRUE(contains(acc, employee)) << acc;
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 001] 4 timbrature trovate"));
    EXPECT_TRUE(contains(stateAfter(), "\"punches\": []"));
}

TEST_F(LineCommandsTest, PunchStoredBetweenTheDumpAndTheClearIsNotCleared) {
    // The last exchange before the clear is the badge format check (@CFG 8);
    // a punch is stored right after it.
    simulate({"--bridge", "0", "--add-records", "1@@CFG 8"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", bridgePort())));
    install.run({"-n1", "-r"});
    EXPECT_EQ(countOf(install.readData("acc.txt"), "\n"), 2);
    std::string log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 001] 1 Timbrature RIMASTE sul terminale")) << log;
    EXPECT_FALSE(contains(log, "rimosse")) << log;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    EXPECT_FALSE(contains(wire(), "\"%%3\""));
    EXPECT_EQ(countOf(stateAfter(), "\"employee\""), 3);
}

TEST_F(LineCommandsTest, GarbledLineIsLoggedNotWrittenAndNothingIsCleared) {
    simulate({"--bridge", "0", "--garbage-line", "@TYPE*"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", bridgePort())));
    install.run({"-n1", "-r"});
    EXPECT_EQ(install.readData("acc.txt"), "07 000042 31/12/" + currentYear() + " 17:05 U 0001 00 A\n");
    std::string log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 001] @TYPE 1231.PRE: riga non valida, non salvata: x930")) << log;
    EXPECT_TRUE(contains(log, "\\x7f")) << log;
    EXPECT_TRUE(contains(log, "[Term 001] 1 Timbrature RIMASTE sul terminale")) << log;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    EXPECT_FALSE(contains(wire(), "\"%%3\""));
}

TEST_F(LineCommandsTest, EndlessDumpStopsAtTheAnnouncedLinesAndClearsNothing) {
    simulate({"--bridge", "0", "--endless-dump", "@TYPE*"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, "VORNT3", bridgePort())));
    auto r = install.run({"-n1", "-r"}, {}, std::chrono::seconds(60));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::string log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 001] @TYPE 1231.PRE: piu' righe delle 2 annunciate, download interrotto")) << log;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    EXPECT_FALSE(contains(wire(), "\"%%3\""));
    EXPECT_FALSE(contains(stateAfter(), "\"punches\": []"));
}
