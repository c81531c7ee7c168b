#pragma once
// Runs a program to its end in a given directory and captures what it said.
#include <chrono>
#include <map>
#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;      // -1 when killed by a signal or the time limit
    bool timedOut = false;
    std::string out;
    std::string err;
    long peakRssKb = 0;     // the program's peak resident memory
};

// A program started in the background, for tests that act while it runs.
class RunningProcess {
public:
    RunningProcess(const std::string& program, const std::vector<std::string>& args, const std::string& workDir,
                   const std::map<std::string, std::string>& extraEnv = {});
    ~RunningProcess();
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    void signal(int sig);
    // Collects its output until it ends (killed after the limit).
    ProcessResult wait(std::chrono::seconds limit = std::chrono::seconds(60));

private:
    int pid_ = -1;
    int out_ = -1, err_ = -1;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args, const std::string& workDir,
                         const std::map<std::string, std::string>& extraEnv = {},
                         std::chrono::seconds limit = std::chrono::seconds(60));
