#pragma once
// Starts the real vornsim binary for a test, waits until it is ready, and
// stops it cleanly (SIGTERM, then SIGKILL after a grace time), also from
// the destructor. Usage:
//   vornsim::VornSimProcess sim({"--terminal", "5:VORN2C", "--tcp", "0", "--records", "10"});
//   ASSERT_TRUE(sim.start()) << sim.error();
//   connect to 127.0.0.1:sim.tcpPort() ...
//   EXPECT_EQ(sim.stop(), 0);
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace vornsim {

class VornSimProcess {
public:
    explicit VornSimProcess(std::vector<std::string> args);
    ~VornSimProcess();
    VornSimProcess(const VornSimProcess&) = delete;
    VornSimProcess& operator=(const VornSimProcess&) = delete;

    // Spawns vornsim and reads its endpoint lines up to READY. False, with
    // error() saying why, when it exits or does not get ready in time.
    bool start(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Exit status (0 for a clean stop, 128 + signal when it had to be killed);
    // -1 when it was not running.
    int stop(std::chrono::milliseconds grace = std::chrono::seconds(5));

    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // Endpoints in the order of the options: -1 or "" when there is none.
    int tcpPort(std::size_t index = 0) const;
    std::string ptyPath(std::size_t index = 0) const;
    std::string modemPath(std::size_t index = 0) const;
    const std::vector<std::string>& readyLines() const { return lines_; }
    const std::string& error() const { return error_; }

    // $VORNSIM_BINARY, else the binary of this build, else vornsim beside the running program.
    static std::string binaryPath();

private:
    std::vector<std::string> args_;
    std::vector<std::string> lines_;
    std::vector<int> ports_;
    std::vector<std::string> ptys_, modems_;
    std::string error_;
    pid_t pid_ = -1;
};

}  // namespace vornsim
