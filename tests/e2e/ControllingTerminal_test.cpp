// Confirmations of Cmdv32 when an operator sits at its controlling terminal:
// the question is asked there even with CMDVORN_ASSUME_YES=1 exported, which
// answers only for a run that has no terminal.
#include "Eventually.h"
#include "OnTerminal.h"
#include "SimulatorTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace {

class ControllingTerminalTest : public SimulatorTest {
protected:
    void SetUp() override {
        runSimulator({"--terminal", "7:VORN-L", "--pty", "all", "--records", "5"});
        install = std::make_unique<ToolInstall>(
            CMDV32_PATH, "[Global]\n[Terminal 7]\nCOM_TYPE=RS232\nTERM_TYPE=VORN-L\nNODE_NR=7\nPORT=" +
                             sim->ptyPath() + ":38400,N,8,1\n");
    }
    // Runs a factory reset, answers its question with `answer`, and returns
    // the result file.
    std::string factoryResetAnswered(const std::string& answer) {
        OnTerminal run(*install, {"-n7", "-@F"});
        EXPECT_TRUE(run.started());
        EXPECT_TRUE(eventually([&] { return contains(run.screen(), "(S/N)? "); })) << run.screen();
        run.type(answer + "\n");
        EXPECT_TRUE(eventually([&] { return run.ended(); }, std::chrono::seconds(30))) << run.screen();
        EXPECT_EQ(run.exitCode(), 0);
        return install->readData("RIDUVA.RET");
    }
    std::unique_ptr<ToolInstall> install;
};

}  // namespace

TEST_F(ControllingTerminalTest, QuestionIsAskedAtTheTerminalEvenWithAssumeYesAndNoSendsNothing) {
    EXPECT_EQ(factoryResetAnswered("N"), "-0002\n");
    EXPECT_TRUE(contains(install->readData("cmdvorn.log"), "[Term 007] Commando interroto dall'utente!"));
    EXPECT_FALSE(contains(readFile(wireLog), "\"@B\""));
}

TEST_F(ControllingTerminalTest, YesTypedAtTheTerminalRunsTheCommand) {
    EXPECT_EQ(factoryResetAnswered("S"), "00001\n");
    EXPECT_TRUE(eventually([&] { return contains(readFile(wireLog), "\"@B\""); })) << readFile(wireLog);
}

TEST_F(ControllingTerminalTest, WithoutATerminalAssumeYesAnswers) {
    // The test runner starts the program in a session of its own, with no
    // controlling terminal.
    install->run({"-n7", "-@F"}, {{"CMDVORN_ASSUME_YES", "1"}});
    EXPECT_EQ(install->readData("RIDUVA.RET"), "00001\n");
    install->run({"-n7", "-@F"}, {{"CMDVORN_ASSUME_YES", "0"}});
    EXPECT_EQ(install->readData("RIDUVA.RET"), "-0002\n");
}
