// Downloads killed with SIGKILL at random moments, each followed by a clean
// run: no punch may be lost or saved twice. STRESS_SEED repeats a sequence
// of kill times, STRESS_KILLS changes how many.
#include "Eventually.h"
#include "SimulatorTest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int fromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

std::map<std::string, int> linesOf(const std::string& text) {
    std::map<std::string, int> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) ++lines[line];
    return lines;
}

struct Tally {
    int lost = 0;
    int duplicated = 0;
};

Tally compare(const std::string& expected, const std::string& got) {
    Tally t;
    auto want = linesOf(expected), have = linesOf(got);
    for (const auto& [line, n] : want) {
        int h = have.count(line) ? have[line] : 0;
        if (h < n) t.lost += n - h;
        if (h > n) t.duplicated += h - n;
    }
    for (const auto& [line, n] : have)
        if (!want.count(line)) t.duplicated += n;
    return t;
}

class RestartStressTest : public SimulatorTest {
protected:
    struct Kind {
        std::vector<std::string> simulator;
        // The parameter file, given the ports of the simulator's endpoints.
        std::string (*parameters)(const std::vector<int>& ports);
        std::vector<std::size_t> endpoints;
    };

    std::vector<int> portsOf(const Kind& kind) {
        std::vector<int> ports;
        for (std::size_t endpoint : kind.endpoints) ports.push_back(sim->tcpPort(endpoint));
        return ports;
    }

    static std::string files() {
        return "[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=tmb.txt\n[Mensa]\nFILE_NAME=tmb.txt\n"
               "[Commesse]\nFILE_NAME=tmb.txt\n";
    }
    static std::string telegramTerminal(int node, int port) {
        return "[Terminal " + std::to_string(node) + "]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=" +
               std::to_string(node) + "\nCOM_TIME_OUT=101\nMAX_RETRY=2\nPORT=tcp//127.0.0.1:" + std::to_string(port) +
               "\n";
    }

    static std::string telegramParameters(const std::vector<int>& ports) {
        return "[Global]\n" + files() + telegramTerminal(5, ports[0]);
    }
    static std::string lineParameters(const std::vector<int>& ports) {
        return "[Global]\n[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=tmb.txt\n"
               "[Terminal 1]\nCOM_TYPE=RLX40\nTERM_TYPE=VORNT3\nNODE_NR=1\nCOM_TIME_OUT=1\nPORT=tcp//127.0.0.1:" +
               std::to_string(ports[0]) + "\n";
    }
    // Three links side by side, the first with two terminals: their spools and journals.
    // (Endpoint 0 is the simulator's own, serving every terminal.)
    static std::string parallelParameters(const std::vector<int>& ports) {
        return "[Global]\nPARALLEL_LINKS=1\n" + files() + telegramTerminal(5, ports[0]) + telegramTerminal(6, ports[0]) +
               telegramTerminal(7, ports[1]) + telegramTerminal(8, ports[2]);
    }

    void killAtRandom(const Kind& kind, int kills) {
        const unsigned seed = static_cast<unsigned>(fromEnvironment("STRESS_SEED", 20261208));
        std::mt19937 random(seed);
        std::cout << "STRESS_SEED=" << seed << "\n";

        // What a run that is never killed saves, and how long it takes.
        runSimulator(kind.simulator);
        ToolInstall clean(CMDV32_PATH, kind.parameters(portsOf(kind)));
        const auto started = Clock::now();
        clean.run({"-x"});
        const auto length = Clock::now() - started;
        const std::string expected = clean.readData("tmb.txt");
        std::cout << "an uninterrupted download takes "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(length).count() << " ms\n";
        ASSERT_GT(countOf(expected, "\n"), 0);

        Tally total;
        int leftOnTerminal = 0;
        std::uniform_int_distribution<long> at(0, std::chrono::duration_cast<std::chrono::milliseconds>(length).count() * 11 / 10);
        for (int i = 0; i < kills; ++i) {
            runSimulator(kind.simulator);
            ToolInstall install(CMDV32_PATH, kind.parameters(portsOf(kind)));
            const auto delay = std::chrono::milliseconds(at(random));
            auto running = install.start({"-r"});
            std::this_thread::sleep_for(delay);  // the kill's moment is the point of the test
            running->signal(SIGKILL);
            running->wait();
            install.run({"-r"});
            Tally t = compare(expected, install.readData("tmb.txt"));
            int left = countOf(stopAndReadState(), "\"employee\"");
            if (t.lost || t.duplicated || left)
                ADD_FAILURE() << "kill " << i << " after " << delay.count() << " ms: " << t.lost << " lost, "
                              << t.duplicated << " duplicated, " << left << " left on the terminal\n"
                              << install.readData("cmdvorn.log");
            total.lost += t.lost;
            total.duplicated += t.duplicated;
            leftOnTerminal += left;
        }
        std::cout << kills << " kills: " << total.lost << " punches lost, " << total.duplicated << " duplicated, "
                  << leftOnTerminal << " left on the terminal\n";
        EXPECT_EQ(total.lost, 0);
        EXPECT_EQ(total.duplicated, 0);
        EXPECT_EQ(leftOnTerminal, 0);
    }
};

}  // namespace

TEST_F(RestartStressTest, TelegramTerminalKilledAtRandomLosesAndDuplicatesNothing) {
    Kind kind{{"--terminal", "5:VORN3", "--records", "30", "--seed", "3", "--baud", "19200", "--reply-delay", "2"},
              telegramParameters, {0}};
    killAtRandom(kind, fromEnvironment("STRESS_KILLS", 50));
}

TEST_F(RestartStressTest, LineTerminalKilledAtRandomLosesAndDuplicatesNothing) {
    Kind kind{{"--bridge", "0", "--terminal", "1:VORNT3", "--records", "20", "--seed", "3"}, lineParameters, {1}};
    killAtRandom(kind, fromEnvironment("STRESS_KILLS", 50) / 2);
}

TEST_F(RestartStressTest, LinksSideBySideKilledAtRandomLoseAndDuplicateNothing) {
    Kind kind{{"--terminal", "5:VORN3", "--terminal", "6:VORN3", "--terminal", "7:VORN3", "--terminal", "8:VORN3",
               "--tcp", "0:5,6", "--tcp", "0:7", "--tcp", "0:8", "--records", "15", "--seed", "3", "--baud", "19200",
               "--reply-delay", "2"},
              parallelParameters, {1, 2, 3}};
    killAtRandom(kind, fromEnvironment("STRESS_KILLS", 50) / 2);
}
