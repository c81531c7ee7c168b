// RIDUVA.json, the run report beside RIDUVA.RET: every command on every
// terminal with its outcome, so a night with a failed terminal reads as
// such even when the last terminal succeeded; and the strict exit code that
// lets a service manager see that night fail.
#include "SimulatorTest.h"
#include "SmallTmpfs.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <regex>

namespace {

using nlohmann::json;

const std::map<std::string, std::string> kStrict = {{"CMDVORN_STRICT_EXIT", "1"}};

std::string terminal(int node, int port, const std::string& model = "VORN3") {
    return "[Terminal " + std::to_string(node) + " Ingresso]\nCOM_TYPE=RS485\nTERM_TYPE=" + model + "\nNODE_NR=" +
           std::to_string(node) + "\nCOM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" + std::to_string(port) + "\n";
}

std::string parameters(const std::string& terminals) {
    return "[Global]\n[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=acc.txt\n[Mensa]\nFILE_NAME=mensa.txt\n" +
           terminals;
}

bool isIsoTime(const json& value) {
    static const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d)");
    return value.is_string() && std::regex_match(value.get<std::string>(), iso);
}

class RunReportTest : public SimulatorTest {
protected:
    json report(const ToolInstall& install) const {
        std::string text = install.readData("RIDUVA.json");
        EXPECT_FALSE(text.empty()) << "no RIDUVA.json";
        return json::parse(text, nullptr, false);
    }
    // The RIDUVA.RET line without its line end.
    static std::string resultLine(const ToolInstall& install) {
        std::string line = install.readData("RIDUVA.RET");
        if (!line.empty() && line.back() == '\n') line.pop_back();
        return line;
    }
};

}  // namespace

TEST_F(RunReportTest, SuccessfulRunListsEveryTerminalAndCommand) {
    runSimulator({"--terminal", "1:VORN3", "--terminal", "2:VORN3", "--records", "3"});
    const int port = sim->tcpPort();
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, port) + terminal(2, port)));
    std::ofstream(install.dataDir() / "RIDUVA.json") << "{\"stale\": true}\n";

    auto r = install.run({"-r", "-yr"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00006\n");
    json j = report(install);
    ASSERT_TRUE(j.is_object()) << install.readData("RIDUVA.json");
    EXPECT_FALSE(j.contains("stale"));
    EXPECT_EQ(j["program"], "Cmdv32");
    EXPECT_TRUE(std::regex_match(j["version"].get<std::string>(), std::regex(R"(\d+\.\d+\.\d+\.\d+)")));
    EXPECT_EQ(j["command_line"], "-r -yr");
    EXPECT_TRUE(isIsoTime(j["started"])) << j["started"];
    EXPECT_TRUE(isIsoTime(j["finished"])) << j["finished"];
    EXPECT_LE(j["started"].get<std::string>(), j["finished"].get<std::string>());
    EXPECT_EQ(j["result"], "00006");
    EXPECT_EQ(j["exit_code"], 0);
    EXPECT_EQ(j["failed"], 0);

    ASSERT_EQ(j["terminals"].size(), 2u);
    for (int t = 0; t < 2; ++t) {
        const json& term = j["terminals"][t];
        EXPECT_EQ(term["number"], t + 1);
        EXPECT_EQ(term["description"], std::to_string(t + 1) + " Ingresso");
        EXPECT_EQ(term["link"], "tcp//127.0.0.1:" + std::to_string(port));
        ASSERT_EQ(term["commands"].size(), 2u);
        const json& download = term["commands"][0];
        EXPECT_EQ(download["option"], "-r");
        EXPECT_EQ(download["name"], "RE,GE");
        EXPECT_EQ(download["code"], 0);
        EXPECT_EQ(download["message"], "");
        EXPECT_EQ(download["count"], 3);
        EXPECT_EQ(download["left_on_terminal"], 0);
        EXPECT_TRUE(isIsoTime(download["started"]) && isIsoTime(download["finished"])) << download;
        const json& count = term["commands"][1];
        EXPECT_EQ(count["option"], "-yr");
        EXPECT_EQ(count["name"], "RE,NR");
        EXPECT_EQ(count["count"], 0);  // cleared by -r
        EXPECT_FALSE(count.contains("left_on_terminal"));  // not a download
    }
}

TEST_F(RunReportTest, FailedTerminalAmongGoodOnesIsCountedThoughTheResultFileReadsSuccess) {
    runSimulator({"--terminal", "1:VORN3", "--terminal", "3:VORN3", "--records", "4"});
    const int port = sim->tcpPort();
    // Terminal 2 sits on a port nobody listens on.
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, port) + terminal(2, 9) + terminal(3, port)));

    auto r = install.run({"-yr"});
    EXPECT_EQ(r.exitCode, 0);  // the default exit codes stay as they were
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00008\n");
    json j = report(install);
    EXPECT_EQ(j["failed"], 1);
    EXPECT_EQ(j["exit_code"], 0);
    ASSERT_EQ(j["terminals"].size(), 3u);
    const json& failed = j["terminals"][1]["commands"][0];
    EXPECT_EQ(j["terminals"][1]["number"], 2);
    EXPECT_EQ(j["terminals"][1]["link"], "tcp//127.0.0.1:9");
    EXPECT_NE(failed["code"], 0);
    EXPECT_NE(failed["message"], "");
    EXPECT_EQ(failed["count"], 0);
    EXPECT_EQ(j["terminals"][0]["commands"][0]["code"], 0);
    EXPECT_EQ(j["terminals"][2]["commands"][0]["count"], 4);

    // Asked for, the failed terminal fails the run.
    auto strict = install.run({"-yr"}, kStrict);
    EXPECT_EQ(strict.exitCode, 2);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00008\n");
    EXPECT_EQ(report(install)["exit_code"], 2);
}

TEST_F(RunReportTest, StrictExitKeepsZeroWhenEveryTerminalSucceeded) {
    runSimulator({"--terminal", "1:VORN3", "--records", "2"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, sim->tcpPort())));
    auto r = install.run({"-yr"}, kStrict);
    EXPECT_EQ(r.exitCode, 0);
    json j = report(install);
    EXPECT_EQ(j["failed"], 0);
    EXPECT_EQ(j["exit_code"], 0);
}

TEST_F(RunReportTest, DownloadThatLeftRecordsSaysHowMany) {
    runSimulator({"--terminal", "5:VORN3", "--records", "8", "--warn", "RE,GE,3"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(5, sim->tcpPort())));
    auto r = install.run({"-r"});
    EXPECT_EQ(r.exitCode, 0);
    json j = report(install);
    EXPECT_EQ(j["result"], resultLine(install));
    EXPECT_EQ(j["result"], "-0002");
    EXPECT_EQ(j["failed"], 1);
    const json& download = j["terminals"][0]["commands"][0];
    EXPECT_EQ(download["left_on_terminal"], 1);
    EXPECT_EQ(download["count"], 7);
    EXPECT_EQ(download["code"], 133);
    EXPECT_EQ(download["message"], "Resposta VORN - Warning.");
}

TEST_F(RunReportTest, UnknownTerminalNumberHasAnEntryOfItsOwn) {
    runSimulator({"--terminal", "1:VORN3", "--records", "1"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, sim->tcpPort())));
    auto r = install.run({"-n9", "-n1", "-yr", "-v"});
    EXPECT_EQ(r.exitCode, 0);
    json j = report(install);
    ASSERT_EQ(j["terminals"].size(), 2u);
    const json& unknown = j["terminals"][0];
    EXPECT_EQ(unknown["number"], 9);
    EXPECT_EQ(unknown["description"], "");
    EXPECT_EQ(unknown["link"], "");
    ASSERT_EQ(unknown["commands"].size(), 2u);
    EXPECT_EQ(unknown["commands"][0]["code"], 102);
    EXPECT_EQ(unknown["commands"][0]["message"], "Errore Numero Terminale.");
    EXPECT_EQ(j["terminals"][1]["commands"][1]["option"], "-v");
    EXPECT_EQ(j["failed"], 1);
    EXPECT_EQ(j["result"], resultLine(install));
}

TEST_F(RunReportTest, CommandLineWithoutAKnownOptionIsReportedWithItsExitCode) {
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, 9)));
    auto r = install.run({"-c"});
    EXPECT_EQ(r.exitCode, 87);
    json j = report(install);
    EXPECT_EQ(j["result"], "-0200");
    EXPECT_EQ(j["exit_code"], 87);
    EXPECT_TRUE(j["terminals"].empty());
    EXPECT_EQ(j["failed"], 0);
}

TEST_F(RunReportTest, ReportOfAnEarlierRunIsGoneWhenInitialisationFails) {
    ToolInstall install(CMDV32_PATH, "");
    std::ofstream(install.dataDir() / "RIDUVA.json") << "{}\n";
    auto r = install.run({"-r"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(install.dataExists("RIDUVA.json"));
}

TEST_F(RunReportTest, FullDataDirectoryLeavesNeitherFileAndExits111) {
    runSimulator({"--terminal", "1:VORN3", "--records", "3"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, sim->tcpPort())));
    SmallTmpfs tmpfs(install.dataDir());
    if (!tmpfs.mounted()) GTEST_SKIP() << "a full file system needs a small tmpfs: " << tmpfs.whyNot();
    tmpfs.fill();
    auto r = install.run({"-yr"});
    EXPECT_EQ(r.exitCode, 111);
    EXPECT_FALSE(install.dataExists("RIDUVA.RET"));
    EXPECT_FALSE(install.dataExists("RIDUVA.json"));
}

TEST_F(RunReportTest, ReportThatCannotBeWrittenTakesTheResultFileWithIt) {
    runSimulator({"--terminal", "1:VORN3", "--records", "3"});
    ToolInstall install(CMDV32_PATH, parameters(terminal(1, sim->tcpPort())));
    // Room for the directory, the log and the result file, not one file more.
    SmallTmpfs tmpfs(install.dataDir(), "256k,nr_inodes=3");
    if (!tmpfs.mounted()) GTEST_SKIP() << "a file system without inodes needs a small tmpfs: " << tmpfs.whyNot();
    auto r = install.run({"-yr"});
    EXPECT_EQ(r.exitCode, 111);
    EXPECT_TRUE(install.dataExists("cmdvorn.log"));
    EXPECT_FALSE(install.dataExists("RIDUVA.RET"));
    EXPECT_FALSE(install.dataExists("RIDUVA.json"));
    EXPECT_EQ(countOf(r.err, "\n"), 1) << r.err;
    EXPECT_TRUE(contains(r.err, "File write error : " + install.dataDir().string() + "/RIDUVA.json")) << r.err;
}
