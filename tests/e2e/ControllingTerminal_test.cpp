// Confirmations of Cmdv32 when an operator sits at its controlling terminal:
// the question is asked there even with CMDVORN_ASSUME_YES=1 exported, which
// answers only for a run that has no terminal.
#include "Eventually.h"
#include "SimulatorTest.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Cmdv32 run with a pseudo-terminal as its controlling terminal.
class OnTerminal {
public:
    OnTerminal(const ToolInstall& install, const std::vector<std::string>& args) {
        std::string program = (install.programDir() / "Cmdv32").string();
        std::string dir = install.dataDir().string();
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            if (chdir(dir.c_str()) != 0) _exit(126);
            setenv("CMDVORN_ASSUME_YES", "1", 1);
            std::vector<char*> argv = {program.data()};
            std::vector<std::string> copies = args;
            for (auto& a : copies) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        if (master_ >= 0) fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~OnTerminal() {
        if (pid_ > 0 && exitCode_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0) close(master_);
    }
    bool started() const { return pid_ > 0 && master_ >= 0; }
    // What the program wrote to its terminal so far.
    const std::string& screen() {
        char buffer[512];
        ssize_t n;
        while ((n = read(master_, buffer, sizeof buffer)) > 0) screen_.append(buffer, static_cast<std::size_t>(n));
        return screen_;
    }
    void type(const std::string& text) { EXPECT_EQ(write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size())); }
    bool ended() {
        screen();
        int status = 0;
        if (exitCode_ < 0 && waitpid(pid_, &status, WNOHANG) == pid_) exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        return exitCode_ >= 0;
    }
    int exitCode() const { return exitCode_; }

private:
    int master_ = -1;
    pid_t pid_ = -1;
    int exitCode_ = -1;
    std::string screen_;
};

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
