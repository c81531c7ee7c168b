// The parameter report of the newer models, through the simulator's bridge.
#include "JobOutcome.h"
#include "InProcessRun.h"
#include "LineParameters.h"
#include "ToolInstall.h"
#include "Vorn2A.h"
#include "VornSimProcess.h"
#include "zLanvexLink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

class LineParametersTest : public ::testing::Test {
protected:
    bool run(const std::vector<std::string>& simArgs, bool simulatorGone = false) {
        std::vector<std::string> args = simArgs;
        args.insert(args.end(), {"--terminal", "3:VORNT3", "--wire-log", wireLog});
        sim = std::make_unique<vornsim::VornSimProcess>(args);
        EXPECT_TRUE(sim->start()) << sim->error();
        zLanvexLink link("127.0.0.1", sim->tcpPort());
        if (simulatorGone) sim->stop();
        VornSettings settings;
        settings.name = "Terminal 3";
        settings.nodeNumber = 3;
        settings.model = TerminalModel::VornT3;
        settings.comTimeout = 1;
        Vorn2A terminal(settings);
        terminal.setLink(&link);
        terminal.setLabel("[Term 003]");
        terminal.setLogger(&log);
        CMDARG_C job;
        job.terminal = &terminal;
        job.id = CommandId::ReceiveParameters;
        job.run = &context;
        newerModelParametersCommand(job);
        bool ok = outcomeOf(job) == RunError::None;
        result = job.result;
        count = job.count;
        return ok;
    }
    void TearDown() override {
        sim.reset();
        std::filesystem::remove(logPath);
        std::filesystem::remove(wireLog);
    }

    std::string base = std::filesystem::temp_directory_path() / ("lpar_" + std::to_string(getpid()));
    std::string logPath = base + ".log";
    std::string wireLog = base + "_wire.log";
    InProcessRun run_{logPath};
    zLogger& log = run_.log;
    RunContext& context = run_.context;
    std::unique_ptr<vornsim::VornSimProcess> sim;
    RunError result = RunError::None;
    int count = 0;
};

}  // namespace

TEST_F(LineParametersTest, AsksAllFiftyThreeAndShowsEachAnswerFromItsSecondCharacter) {
    EXPECT_TRUE(run({"--bridge", "0", "--cfg", "3:7=4,53=X9"}));
    EXPECT_EQ(result, RunError::None);
    EXPECT_EQ(count, 53);
    std::string text = readFile(logPath);
    EXPECT_TRUE(contains(text, "==== [Term 003] - Parametri operativi ==="));
    EXPECT_TRUE(contains(text, "   CFG 01 0\n"));
    EXPECT_TRUE(contains(text, "   CFG 07 4\n"));
    EXPECT_TRUE(contains(text, "   CFG 53 X9\n"));
    std::string w = readFile(wireLog);
    EXPECT_TRUE(contains(w, "\"@CFG 01\""));
    EXPECT_TRUE(contains(w, "\"@CFG 53\""));
    EXPECT_FALSE(contains(w, "\"@CFG 54\""));
}

TEST_F(LineParametersTest, AParameterWithoutAnswerIsSkipped) {
    EXPECT_TRUE(run({"--bridge", "0", "--no-reply", "@CFG 02"}));
    EXPECT_EQ(count, 52);
    EXPECT_FALSE(contains(readFile(logPath), "   CFG 02"));
}

TEST_F(LineParametersTest, AFailedWriteEndsTheReport) {
    EXPECT_FALSE(run({"--bridge", "0"}, true));
    EXPECT_EQ(result, RunError::PortOpen);
    std::string text = readFile(logPath);
    EXPECT_TRUE(contains(text, "[Term 003] Error sending @CFG 01"));
    EXPECT_FALSE(contains(text, "@CFG 02"));
}
