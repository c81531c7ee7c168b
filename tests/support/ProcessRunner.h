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
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args, const std::string& workDir,
                         const std::map<std::string, std::string>& extraEnv = {},
                         std::chrono::seconds limit = std::chrono::seconds(60));
