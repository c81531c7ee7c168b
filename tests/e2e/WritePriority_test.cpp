// Serial writes run at a raised but bounded priority: round-robin realtime
// at 10, never the top FIFO priority that could starve the machine, and only
// while a write lasts. Watched from outside, in /proc, while Cmdv32 talks
// over a slow simulated serial line; raising needs root.
#include "Eventually.h"
#include "SimulatorTest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sched.h>
#include <sstream>

namespace {

struct Scheduling {
    int policy = SCHED_OTHER;
    int realtimePriority = 0;
};

// The pid of the running program at `exe`, or 0.
pid_t pidOf(const std::filesystem::path& exe) {
    std::error_code ec;
    for (const auto& proc : std::filesystem::directory_iterator("/proc", ec)) {
        std::error_code linkError;
        if (std::filesystem::read_symlink(proc.path() / "exe", linkError) == exe)
            return static_cast<pid_t>(std::atoi(proc.path().filename().c_str()));
    }
    return 0;
}

// The scheduling of every thread of the process; empty once it has ended.
std::vector<Scheduling> threadsOf(pid_t pid) {
    std::vector<Scheduling> found;
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::string stat = readFile((task.path() / "stat").string());
        auto close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream fields(stat.substr(close + 2));
        std::vector<std::string> f;
        for (std::string field; fields >> field;) f.push_back(field);
        // From the state (field 3) on: rt_priority is field 40, policy 41.
        if (f.size() < 39 || f[0] == "Z") continue;
        found.push_back({std::stoi(f[38]), std::stoi(f[37])});
    }
    return found;
}

class WritePriorityTest : public SimulatorTest {};

}  // namespace

TEST_F(WritePriorityTest, SerialWritesRunAtABoundedRealtimePriority) {
    if (geteuid() != 0) GTEST_SKIP() << "raising the priority needs root";
    // Every byte costs its time at 1200 baud, so each write lasts long
    // enough to be seen.
    runSimulator({"--terminal", "7:VORN-L", "--pty", "all", "--records", "10", "--baud", "1200"});
    ToolInstall install(CMDV32_PATH, "[Global]\n[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=acc.txt\n"
                                     "[Mensa]\nFILE_NAME=mensa.txt\n[Terminal 7]\nCOM_TYPE=RS232\nTERM_TYPE=VORN-L\n"
                                     "NODE_NR=7\nCOM_TIME_OUT=5\nPORT=" + sim->ptyPath() + ":1200,N,8,1\n");
    const std::filesystem::path exe = install.programDir() / "Cmdv32";
    auto run = install.start({"-x"});
    pid_t pid = 0;
    ASSERT_TRUE(eventually([&] { return (pid = pidOf(exe)) != 0; }));

    // Watched without pause until the download ends: a write lasts only as
    // long as its bytes take on the line.
    std::vector<Scheduling> raised;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (auto threads = threadsOf(pid); !threads.empty() && std::chrono::steady_clock::now() < limit;
         threads = threadsOf(pid))
        for (const Scheduling& s : threads)
            if (s.policy != SCHED_OTHER) raised.push_back(s);
    const bool seen = !raised.empty();
    auto r = run->wait();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00010\n");
    ASSERT_TRUE(seen) << "no write was seen at a raised priority";
    for (const Scheduling& s : raised) {
        EXPECT_EQ(s.policy, SCHED_RR);
        EXPECT_EQ(s.realtimePriority, 10);
    }
}
