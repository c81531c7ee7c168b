#include "ToolInstall.h"

#include <atomic>
#include <fstream>
#include <unistd.h>

namespace {
std::atomic<int> gSerial{0};
}

ToolInstall::ToolInstall(const std::string& binary, const std::string& parameters) {
    root_ = std::filesystem::temp_directory_path() /
            ("cmdvorn_e2e_" + std::to_string(getpid()) + "_" + std::to_string(gSerial++));
    std::filesystem::remove_all(root_);
    programDir_ = root_ / "prog";
    dataDir_ = root_ / "dati";
    std::filesystem::create_directories(programDir_);
    std::filesystem::create_directories(dataDir_);
    binary_ = programDir_ / std::filesystem::path(binary).filename();
    std::filesystem::copy_file(binary, binary_);
    if (!parameters.empty()) std::ofstream(programDir_ / "cmdvorn.prm", std::ios::binary) << parameters;
}

ToolInstall::~ToolInstall() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

ProcessResult ToolInstall::run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                               std::chrono::seconds limit) const {
    return runProcess(binary_.string(), args, dataDir_.string(), env, limit);
}

std::unique_ptr<RunningProcess> ToolInstall::start(const std::vector<std::string>& args,
                                                   const std::map<std::string, std::string>& env) const {
    return std::make_unique<RunningProcess>(binary_.string(), args, dataDir_.string(), env);
}

std::string ToolInstall::readData(const std::string& name) const { return readFile(dataDir_ / name); }

bool ToolInstall::dataExists(const std::string& name) const { return std::filesystem::exists(dataDir_ / name); }
