// Wcmdv32 started with a command line leaves the run report beside the
// result file as Cmdv32 does, honours the strict exit, and answers --help
// and --version without looking for a display.
#include "SimulatorTest.h"
#include "WindowedProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <regex>

namespace {

using nlohmann::json;

class WindowedReportTest : public SimulatorTest {};

}  // namespace

TEST_F(WindowedReportTest, CommandLineRunWritesTheReportAndTheStrictExit) {
    runSimulator({"--terminal", "1:VORN3", "--records", "3"});
    // Terminal 2 sits on a port nobody listens on.
    ToolInstall install(WCMDV32_PATH, "[Global]\n" + terminalSection(1, "VORN3", sim->tcpPort()) + terminalSection(2, "VORN3", 9));
    auto r = install.run({"-yr"}, kNoDisplay);
    EXPECT_EQ(r.exitCode, 0);
    json j = json::parse(install.readData("RIDUVA.json"), nullptr, false);
    ASSERT_TRUE(j.is_object()) << install.readData("RIDUVA.json");
    EXPECT_EQ(j["program"], "Wcmdv32");
    EXPECT_EQ(j["command_line"], "-yr");
    std::string result = install.readData("RIDUVA.RET");
    ASSERT_FALSE(result.empty());
    EXPECT_EQ(j["result"], result.substr(0, result.size() - 1));
    EXPECT_EQ(j["exit_code"], 0);
    EXPECT_EQ(j["failed"], 1);
    ASSERT_EQ(j["terminals"].size(), 2u);
    EXPECT_EQ(j["terminals"][0]["commands"][0]["count"], 3);
    EXPECT_EQ(j["terminals"][0]["commands"][0]["code"], 0);
    EXPECT_NE(j["terminals"][1]["commands"][0]["code"], 0);

    auto env = kNoDisplay;
    env["CMDVORN_STRICT_EXIT"] = "1";
    r = install.run({"-yr"}, env);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(json::parse(install.readData("RIDUVA.json"), nullptr, false)["exit_code"], 2);
}

TEST_F(WindowedReportTest, HelpAndVersionWordsNeedNoDisplay) {
    ToolInstall install(WCMDV32_PATH, "");
    // A platform that cannot start here: Qt would abort were it asked.
    const std::map<std::string, std::string> noScreen = {
        {"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    auto help = install.run({"--help"}, noScreen);
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_TRUE(help.out.rfind("Wcmdv32\n", 0) == 0) << help.out;
    EXPECT_TRUE(contains(help.out, " \t-r\tRiceve e azzera timbrature sul rilevatore\n")) << help.out;

    auto version = install.run({"--version"}, noScreen);
    EXPECT_EQ(version.exitCode, 0) << version.err;
    EXPECT_TRUE(std::regex_match(version.out, std::regex("Wcmdv32 [0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;
    EXPECT_FALSE(install.dataExists("cmdvorn.log"));
    EXPECT_FALSE(install.dataExists("RIDUVA.RET"));
    EXPECT_FALSE(install.dataExists("RIDUVA.json"));
}
