// The console and the window run one command line the same way: the same
// telegrams on the wire, the same files, the same terminal state after it,
// the same log lines of the terminals. They differ only where the run's
// rules name a difference: the closing line, and which command decides the
// result file's form.
#include "SimulatorTest.h"
#include "WindowedProcess.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace {

// The lines of a text without what differs from run to run: the time stamp
// that opens each wire-log and log line, and the simulator's port.
std::vector<std::string> withoutStamps(const std::string& text) {
    static const std::regex port("^tcp:[0-9]+#");
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::size_t space = line.find(' ');
        lines.push_back(std::regex_replace(space == std::string::npos ? line : line.substr(space + 1), port, "tcp#"));
    }
    return lines;
}

// The log lines about terminals, without their time stamps.
std::vector<std::string> terminalLines(const std::string& log) {
    std::vector<std::string> lines;
    for (const std::string& line : withoutStamps(log)) {
        std::size_t label = line.find("[Term ");
        if (label != std::string::npos) lines.push_back(line.substr(label));
    }
    return lines;
}

struct Observed {
    std::vector<std::string> wire;
    std::string state;
    std::string result;
    std::map<std::string, std::string> files;
    std::vector<std::string> terminalLog;
    std::string log;
};

class FrontEndsAgree : public SimulatorTest {
protected:
    // One run of `program` against a fresh simulator holding the two
    // terminals' punches and employees.
    Observed run(const char* program, const std::vector<std::string>& args, const std::vector<std::string>& files) {
        std::filesystem::remove(wireLog);
        runSimulator({"--terminal", "3:VORN2", "--terminal", "5:VORN3", "--records", "4", "--employees", "3"});
        ToolInstall install(program, "[Global]\n[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=acc.txt\n" +
                                         terminalSection(3, "VORN2", sim->tcpPort()) +
                                         terminalSection(5, "VORN3", sim->tcpPort()));
        ProcessResult r = install.run(args, kNoDisplay);
        EXPECT_EQ(r.exitCode, 0) << program;
        EXPECT_FALSE(r.timedOut) << program;
        Observed seen;
        seen.state = stopAndReadState();
        seen.wire = withoutStamps(readFile(wireLog));
        seen.result = install.readData("RIDUVA.RET");
        for (const std::string& name : files) seen.files[name] = install.readData(name);
        seen.log = install.readData("cmdvorn.log");
        seen.terminalLog = terminalLines(seen.log);
        sim.reset();
        return seen;
    }

    void expectSameWork(const Observed& console, const Observed& window) {
        EXPECT_FALSE(console.wire.empty());
        EXPECT_EQ(console.wire, window.wire);
        EXPECT_EQ(console.state, window.state);
        EXPECT_EQ(console.files, window.files);
        EXPECT_EQ(console.terminalLog, window.terminalLog);
        // The console closes its session in the log; the window does not.
        EXPECT_TRUE(contains(console.log, "Fine sessione: "));
        EXPECT_FALSE(contains(window.log, "Fine sessione: "));
    }
};

}  // namespace

TEST_F(FrontEndsAgree, DownloadsCountsAndReadBacks) {
    // Nothing that reads a clock: the two runs happen seconds apart.
    const std::vector<std::string> args = {"-n5", "-n3", "-yr", "-x", "-r", "-ea", "-yt", "-pg"};
    const std::vector<std::string> files = {"tmb.txt", "acc.txt", "DUMMY.EMP"};
    Observed console = run(CMDV32_PATH, args, files);
    Observed window = run(WCMDV32_PATH, args, files);
    expectSameWork(console, window);
    EXPECT_FALSE(console.files["tmb.txt"].empty());
    EXPECT_FALSE(console.files["DUMMY.EMP"].empty());
    EXPECT_EQ(console.result, window.result);
}

TEST_F(FrontEndsAgree, TheConsolesFirstCommandAndTheWindowsLastDecideTheResultForm) {
    const std::vector<std::string> args = {"-n5", "-yr", "-v"};
    Observed console = run(CMDV32_PATH, args, {});
    Observed window = run(WCMDV32_PATH, args, {});
    expectSameWork(console, window);
    // The console's first command is a count: the run's count stands.
    EXPECT_EQ(console.result, "00005\n");
    // The window's last command is -v: its version line stands.
    EXPECT_EQ(window.result.rfind("SIM ", 0), 0u) << window.result;

    // In the other order each front end keeps the other form.
    Observed consoleVersionFirst = run(CMDV32_PATH, {"-n5", "-v", "-yr"}, {});
    Observed windowVersionFirst = run(WCMDV32_PATH, {"-n5", "-v", "-yr"}, {});
    EXPECT_EQ(consoleVersionFirst.result.rfind("SIM ", 0), 0u) << consoleVersionFirst.result;
    EXPECT_EQ(windowVersionFirst.result, "00005\n");
}
