// The calling application reads RIDUVA.RET and the exit code: it finds this
// run's whole line or no file, and exit code 111 when none could be left.
#include "SimulatorTest.h"
#include "SmallTmpfs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>

namespace {

std::string parameters(int port, const std::string& punchesFile = "tmb.txt") {
    return "[Global]\n"
           "[Timbrature]\nFILE_NAME=" + punchesFile + "\n"
           "[Accessi]\nFILE_NAME=" + punchesFile + "\n"
           "[Mensa]\nFILE_NAME=" + punchesFile + "\n"
           "[Terminal 5]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=5\nCOM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" +
           std::to_string(port) + "\n";
}

std::vector<std::string> resultFilesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("RIDUVA", 0) == 0) names.push_back(name);
    }
    return names;
}

class ResultFileIntegrityTest : public SimulatorTest {};

}  // namespace

TEST_F(ResultFileIntegrityTest, ResultOfAnEarlierRunIsGoneWhenInitialisationFails) {
    ToolInstall install(CMDV32_PATH, "");
    std::ofstream(install.dataDir() / "RIDUVA.RET") << "00012\n";
    auto r = install.run({"-r"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(install.dataExists("RIDUVA.RET"));
}

TEST_F(ResultFileIntegrityTest, SuccessfulRunReplacesTheResultAndLeavesNoTemporaryFile) {
    runSimulator({"--terminal", "5:VORN3", "--records", "3"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    std::ofstream(install.dataDir() / "RIDUVA.RET") << "-0200\n";
    auto r = install.run({"-yr"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00003\n");
    std::vector<std::string> names = resultFilesIn(install.dataDir());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"RIDUVA.RET", "RIDUVA.json"}));
}

TEST_F(ResultFileIntegrityTest, FullDataDirectoryLeavesNoResultFileAndExits111) {
    runSimulator({"--terminal", "5:VORN3", "--records", "3"});
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort(), scratch("_tmb.txt")));
    SmallTmpfs tmpfs(install.dataDir());
    if (!tmpfs.mounted()) GTEST_SKIP() << "a full file system needs a small tmpfs: " << tmpfs.whyNot();
    std::ofstream(install.dataDir() / "RIDUVA.RET") << "00099\n";
    tmpfs.fill();

    auto r = install.run({"-yr"});
    EXPECT_EQ(r.exitCode, 111);
    EXPECT_TRUE(resultFilesIn(install.dataDir()).empty());
    EXPECT_EQ(countOf(r.err, "\n"), 1) << r.err;
    EXPECT_TRUE(contains(r.err, "File write error : " + install.dataDir().string() + "/RIDUVA.RET")) << r.err;
}

TEST_F(ResultFileIntegrityTest, ReadOnlyDataDirectoryWithAnEarlierResultExits111) {
    ToolInstall install(CMDV32_PATH, parameters(9));
    SmallTmpfs tmpfs(install.dataDir());
    if (!tmpfs.mounted()) GTEST_SKIP() << "a read-only file system needs a small tmpfs: " << tmpfs.whyNot();
    std::ofstream(install.dataDir() / "RIDUVA.RET") << "00099\n";
    ASSERT_TRUE(tmpfs.makeReadOnly());

    auto r = install.run({"-yr"});
    EXPECT_EQ(r.exitCode, 111);
    EXPECT_EQ(countOf(r.err, "\n"), 1) << r.err;
    EXPECT_TRUE(contains(r.err, "File write error : " + install.dataDir().string() + "/RIDUVA.RET")) << r.err;
    EXPECT_FALSE(install.dataExists("cmdvorn.log"));  // the run never started
}

TEST_F(ResultFileIntegrityTest, PunchesFileOnAFullFileSystemIsAnErrorAndNothingIsDeleted) {
    runSimulator({"--terminal", "5:VORN3", "--records", "4"});
    std::filesystem::path full = scratch("_full");
    std::filesystem::create_directories(full);
    SmallTmpfs tmpfs(full);
    if (!tmpfs.mounted()) GTEST_SKIP() << "a full file system needs a small tmpfs: " << tmpfs.whyNot();
    tmpfs.fill();
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort(), (full / "tmb.txt").string()));

    auto r = install.run({"-r"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0101\n");
    EXPECT_FALSE(contains(readFile(wireLog), "\"RE,DE\""));
    EXPECT_FALSE(contains(stopAndReadState(), "\"punches\": []"));
}

TEST(ConsoleWords, HelpAndVersionNeedNoParameterFile) {
    ToolInstall install(CMDV32_PATH, "");
    auto help = install.run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    std::string expected = readFile(std::string(E2E_DATA_DIR) + "/help_lines.txt");
    EXPECT_TRUE(contains(help.out, expected)) << help.out;

    auto version = install.run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("Cmdv32 [0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;
    EXPECT_FALSE(install.dataExists("cmdvorn.log"));
    EXPECT_FALSE(install.dataExists("RIDUVA.RET"));
}
