#pragma once
// Cmdv32 run with a pseudo-terminal as its controlling terminal: what it
// shows there (questions, the progress line) and what is typed to it.
#include "ToolInstall.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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
