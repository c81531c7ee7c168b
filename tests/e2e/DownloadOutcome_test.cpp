// What the calling application learns from a download that left records on
// the terminal, and the count a VORN2C's -r reports.
#include "SimulatorTest.h"

#include <gtest/gtest.h>

namespace {

std::string parameters(int port, const char* model = "VORN3") {
    return "[Global]\n"
           "[Timbrature]\nFILE_NAME=tmb.txt\n"
           "[Accessi]\nFILE_NAME=acc.txt\n"
           "[Mensa]\nFILE_NAME=mensa.txt\n"
           "[Commesse]\nFILE_NAME=comm.txt\n"
           "[Terminal 5]\nCOM_TYPE=RS485\nNODE_NR=5\nCOM_TIME_OUT=101\nTERM_TYPE=" +
           std::string(model) + "\nPORT=tcp//127.0.0.1:" + std::to_string(port) + "\n";
}

class DownloadOutcomeTest : public SimulatorTest {};

}  // namespace

TEST_F(DownloadOutcomeTest, SkippedPunchIsReportedAsAnErrorAndNotAsExecuted) {
    runSimulator({"--terminal", "5:VORN3", "--records", "8", "--warn", "RE,GE,3"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    auto r = install.run({"-r"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] 1 Timbrature RIMASTE sul terminale")) << log;
    EXPECT_FALSE(contains(log, "eseguito")) << log;
    EXPECT_FALSE(contains(readFile(wireLog), "\"RE,DE\""));
}

TEST_F(DownloadOutcomeTest, SkippedJobRecordIsReportedAsAnError) {
    runSimulator({"--terminal", "5:VORN2C", "--jobs", "4", "--warn", "JO,GE,1"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort(), "VORN2C"));
    auto r = install.run({"-j"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] 1 timb. Commesse RIMASTE sul terminale")) << log;
    EXPECT_FALSE(contains(log, "eseguito")) << log;
    EXPECT_FALSE(contains(readFile(wireLog), "\"JO,DE\""));
}

TEST_F(DownloadOutcomeTest, DownloadOnAVorn2CCountsTheJobRecords) {
    runSimulator({"--terminal", "5:VORN2C", "--records", "3", "--jobs", "2"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort(), "VORN2C"));
    auto r = install.run({"-r"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    auto wire = readFile(wireLog);
    EXPECT_TRUE(contains(wire, "\"RE,DE\""));
    EXPECT_TRUE(contains(wire, "\"JO,DE\""));
}
