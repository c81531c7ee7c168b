// Terminals of different links downloaded at the same time (PARALLEL_LINKS=1):
// the files a run leaves are those of the same run made one terminal after
// the other; links overlap while the terminals sharing one link take turns;
// a failing link fails only its own terminals; Ctrl-C stops every link and
// deletes nothing. Every run checks the program's exit code, so that a race
// the ThreadSanitizer build reports (exit code 66) fails the test.
#include "Eventually.h"
#include "OnTerminal.h"
#include "ToolInstall.h"
#include "VornSimProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <iterator>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const char* const kOutputs[] = {"tmb.txt", "acc.txt", "mensa.txt", "comm.txt"};

// One simulator process with its wire log and the state it leaves.
class Simulator {
public:
    explicit Simulator(std::vector<std::string> args) {
        static int serial = 0;
        const auto base = fs::temp_directory_path() /
                          ("parallel_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
        wireLog_ = base.string() + "_wire.log";
        stateOut_ = base.string() + "_state.json";
        std::vector<std::string> all = {"--wire-log", wireLog_, "--state-out", stateOut_};
        all.insert(all.end(), args.begin(), args.end());
        process_ = std::make_unique<vornsim::VornSimProcess>(all);
    }
    ~Simulator() {
        process_.reset();
        fs::remove(wireLog_);
        fs::remove(stateOut_);
    }
    bool start() { return process_->start(); }
    std::string error() const { return process_->error(); }
    int tcpPort(std::size_t index = 0) const { return process_->tcpPort(index); }
    std::string modemPath(std::size_t index = 0) const { return process_->modemPath(index); }
    std::string wire() const { return readFile(wireLog_); }
    // Stops it; the state it saved.
    json stopAndReadState() {
        EXPECT_EQ(process_->stop(), 0) << "the simulator did not stop cleanly";
        return json::parse(readFile(stateOut_), nullptr, false);
    }
    const std::string& stateFile() const { return stateOut_; }

private:
    std::string wireLog_, stateOut_;
    std::unique_ptr<vornsim::VornSimProcess> process_;
};

std::string tcpTerminal(int node, int port) {
    return "[Terminal " + std::to_string(node) + "]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=" + std::to_string(node) +
           "\nCOM_TIME_OUT=3\nPORT=tcp//127.0.0.1:" + std::to_string(port) + "\n";
}

std::string modemTerminal(int node, const std::string& device) {
    return "[Terminal " + std::to_string(node) + "]\nCOM_TYPE=MODEM\nTERM_TYPE=VORN3\nNODE_NR=" +
           std::to_string(node) + "\nPASSWORD=secret\nPORT=" + device +
           ":38400,N,8,1\nMODEM_DIAL_NR=0123\nMODEM_WAIT_CONNECT=5\nMODEM_PAUSE=0\nCOM_TIME_OUT=3\n";
}

// `global` holds the [Global] keys; every kind of record has its own file.
std::string parameters(const std::string& global, const std::string& terminals) {
    return "[Global]\n" + global +
           "[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=acc.txt\n[Mensa]\nFILE_NAME=mensa.txt\n"
           "[Commesse]\nFILE_NAME=comm.txt\n" +
           terminals;
}

const std::string kSequential = "PARALLEL_LINKS=0\n";
const std::string kParallel = "PARALLEL_LINKS=1\n";

// What a run leaves in its data directory.
struct Outcome {
    ProcessResult process;
    std::string result;
    json report;
    std::map<std::string, std::string> outputs;
    std::string log;
};

// Each run talks to simulators of its own: their ports and devices differ.
std::string withoutEndpoints(const std::string& text) {
    static const std::regex endpoint(R"(127\.0\.0\.1:\d+|/dev/pts/\d+)");
    return std::regex_replace(text, endpoint, "<endpoint>");
}

// The report without its time stamps, which two runs never share, and with
// each link named by the order it first appears in.
json comparable(json report) {
    report.erase("started");
    report.erase("finished");
    std::map<std::string, std::string> links;
    if (report.contains("terminals"))
        for (auto& terminal : report["terminals"]) {
            const std::string link = terminal.value("link", "");
            links.emplace(link, "link " + std::to_string(links.size() + 1));
            terminal["link"] = links[link];
            for (auto& command : terminal["commands"]) {
                command.erase("started");
                command.erase("finished");
            }
        }
    return report;
}

Outcome outcomeOf(const ToolInstall& install, ProcessResult process) {
    Outcome o;
    o.process = std::move(process);
    o.result = install.readData("RIDUVA.RET");
    o.report = json::parse(install.readData("RIDUVA.json"), nullptr, false);
    for (const char* name : kOutputs) o.outputs[name] = install.readData(name);
    o.log = install.readData("cmdvorn.log");
    return o;
}

// The terminal number of an output line (its sixth field), -1 when there is none.
int terminalOf(const std::string& line) {
    std::istringstream fields(line);
    std::string field;
    for (int i = 0; i < 6; ++i)
        if (!(fields >> field)) return -1;
    return field.find_first_not_of("0123456789") == std::string::npos ? std::stoi(field) : -1;
}

// The output lines of one terminal, in order.
std::vector<std::string> linesOfTerminal(const std::string& text, int terminal) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (terminalOf(line) == terminal) lines.push_back(line);
    return lines;
}

// The lines of every output file, sorted: what a set of runs saved, whatever the order.
std::vector<std::string> savedLines(const std::map<std::string, std::string>& outputs) {
    std::vector<std::string> all;
    for (const auto& [name, text] : outputs) {
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) all.push_back(name + ": " + line);
    }
    std::sort(all.begin(), all.end());
    return all;
}

// What `saved` holds beyond `expected` and lacks of it, one line each.
std::string difference(const std::vector<std::string>& saved, const std::vector<std::string>& expected) {
    std::vector<std::string> extra, missing;
    std::set_difference(saved.begin(), saved.end(), expected.begin(), expected.end(), std::back_inserter(extra));
    std::set_difference(expected.begin(), expected.end(), saved.begin(), saved.end(), std::back_inserter(missing));
    std::string text;
    for (const auto& line : extra) text += "saved too often: " + line + "\n";
    for (const auto& line : missing) text += "never saved: " + line + "\n";
    return text;
}

std::size_t punchesOn(const json& state, int node) {
    for (const auto& terminal : state["terminals"])
        if (terminal["node"] == node) return terminal["punches"].size();
    ADD_FAILURE() << "no terminal " << node << " in the state";
    return 0;
}

// The lines one terminal logged, in order and without their time stamps.
// In a run of one terminal at a time a line without a terminal's label (a
// port's own warning) belongs to the terminal before it; where terminals run
// at once the worker labels it. The modem's dialogue is left out: when its
// echoes arrive varies from one call to the next.
std::vector<std::string> logOfTerminal(const std::string& log, int terminal, bool oneAtATime) {
    static const std::regex stamped(R"(^\d\d:\d\d:\d\d:\d\d\d (\[Term (\d+)\] )?(.*))");
    static const std::regex modem(R"(^Modem[ :])");
    std::vector<std::string> lines;
    std::istringstream in(log);
    int current = -1;
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, stamped)) continue;  // '#' lines: the run's own
        int owner = m[2].matched ? std::stoi(m[2]) : oneAtATime ? current : -1;
        if (m[2].matched) current = owner;
        if (owner != terminal || std::regex_search(m[3].str(), modem)) continue;
        lines.push_back(withoutEndpoints(m[3]));
    }
    return lines;
}

// Every line of the log begins with its time stamp: lines of terminals
// running at once never break into each other.
void expectWholeLines(const std::string& log) {
    static const std::regex whole(R"(#?\d\d:\d\d:\d\d:\d\d\d .*|#--- .* ---)");
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);)
        EXPECT_TRUE(std::regex_match(line, whole)) << "broken log line: \"" << line << "\"";
}

// The telegrams of the wire log, in the order the simulator handled them.
struct Exchange {
    std::string link;  // the endpoint, e.g. "tcp:40225"
    int node = 0;
    bool request = false;  // RX; else the reply (TX)
    std::string command;   // the request's text
};

std::vector<Exchange> exchanges(const std::string& wire) {
    static const std::regex entry(R"re(^\S+ ([a-z]+:?\d*)\S* (RX|TX) #\d+ node=(\d+) seq=\d+ ("([^"]*)")?)re");
    std::vector<Exchange> all;
    std::istringstream in(wire);
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, entry)) continue;
        all.push_back({m[1], std::stoi(m[3]), m[2] == "RX", m[5]});
    }
    return all;
}

// Where a link (or one node) begins and ends its work in the wire log.
struct Span {
    std::ptrdiff_t first = -1, last = -1;
    bool overlaps(const Span& other) const { return first < other.last && other.first < last; }
};

template <class Pick>
Span spanOf(const std::vector<Exchange>& all, Pick pick) {
    Span s;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (pick(all[i])) {
            if (s.first < 0) s.first = static_cast<std::ptrdiff_t>(i);
            s.last = static_cast<std::ptrdiff_t>(i);
        }
    return s;
}

Span spanOfNode(const std::vector<Exchange>& all, int node) {
    return spanOf(all, [node](const Exchange& e) { return e.node == node; });
}

class ParallelLinksTest : public ::testing::Test {
protected:
    // A simulator with terminals `nodes` (VORN3) and `endpoints` (--tcp/--modem
    // values), holding `records` generated punches each.
    std::unique_ptr<Simulator> simulate(const std::vector<int>& nodes, const std::vector<std::string>& endpoints,
                                        int records, std::vector<std::string> extra = {}) {
        std::vector<std::string> args;
        for (int node : nodes) args.insert(args.end(), {"--terminal", std::to_string(node) + ":VORN3"});
        for (const auto& endpoint : endpoints) {
            auto colon = endpoint.find(' ');
            args.push_back(endpoint.substr(0, colon));
            args.push_back(endpoint.substr(colon + 1));
        }
        args.insert(args.end(), {"--records", std::to_string(records), "--seed", "3"});
        args.insert(args.end(), extra.begin(), extra.end());
        auto sim = std::make_unique<Simulator>(args);
        EXPECT_TRUE(sim->start()) << sim->error();
        return sim;
    }

    // Both runs of the same command lines left the same files; only the
    // parallel one says it ran links at once.
    static void expectSameAsSequential(const Outcome& sequential, const Outcome& parallel) {
        EXPECT_EQ(parallel.process.exitCode, sequential.process.exitCode) << parallel.process.err;
        EXPECT_EQ(parallel.result, sequential.result);
        ASSERT_TRUE(parallel.report.is_object()) << "no run report";
        EXPECT_EQ(comparable(parallel.report).dump(2), comparable(sequential.report).dump(2));
        for (const char* name : kOutputs) EXPECT_EQ(parallel.outputs.at(name), sequential.outputs.at(name)) << name;
        expectWholeLines(parallel.log);
        for (const auto& terminal : sequential.report["terminals"]) {
            const int number = terminal["number"];
            EXPECT_EQ(logOfTerminal(parallel.log, number, false), logOfTerminal(sequential.log, number, true))
                << "terminal " << number;
        }
        EXPECT_TRUE(contains(parallel.log, "Collegamenti in parallelo: "));
        EXPECT_FALSE(contains(sequential.log, "Collegamenti in parallelo"));
    }

    static void expectNoSpoolLeft(const ToolInstall& install) {
        EXPECT_FALSE(fs::exists(install.dataDir() / ".cmdvorn")) << "spool or journal left behind";
    }
};

}  // namespace

// Four links: a bridge with terminals 1 and 2, and terminals 3, 4 and 5 on
// their own endpoints. The terminals are first named out of file order and
// kept, then all downloaded and cleared and counted.
TEST_F(ParallelLinksTest, FilesReportAndResultEqualThoseOfASequentialRun) {
    constexpr int kRecords = 12;
    const std::vector<std::vector<std::string>> commandLines = {{"-n5", "-n2", "-n3", "-n1", "-x"}, {"-r", "-yr"}};
    std::map<std::string, std::vector<Outcome>> outcomes;
    std::map<std::string, json> states;
    for (const std::string& mode : {kSequential, kParallel}) {
        auto sim = simulate({1, 2, 3, 4, 5}, {"--tcp 0:1,2", "--tcp 0:3", "--tcp 0:4", "--tcp 0:5"}, kRecords,
                            {"--baud", "38400"});
        ToolInstall install(CMDV32_PATH,
                            parameters(mode, tcpTerminal(1, sim->tcpPort(0)) + tcpTerminal(2, sim->tcpPort(0)) +
                                                 tcpTerminal(3, sim->tcpPort(1)) + tcpTerminal(4, sim->tcpPort(2)) +
                                                 tcpTerminal(5, sim->tcpPort(3))));
        for (const auto& args : commandLines) {
            auto r = install.run(args);
            EXPECT_EQ(r.exitCode, 0) << r.err;
            outcomes[mode].push_back(outcomeOf(install, std::move(r)));
        }
        expectNoSpoolLeft(install);
        states[mode] = sim->stopAndReadState();
    }

    for (std::size_t i = 0; i < commandLines.size(); ++i) {
        SCOPED_TRACE("run " + std::to_string(i + 1));
        expectSameAsSequential(outcomes[kSequential][i], outcomes[kParallel][i]);
    }
    // Terminal 4's link is not among the terminals named first.
    EXPECT_TRUE(contains(outcomes[kParallel][0].log, "Collegamenti in parallelo: 3 collegamenti, al massimo 3 insieme"))
        << outcomes[kParallel][0].log;
    EXPECT_TRUE(contains(outcomes[kParallel][1].log, "Collegamenti in parallelo: 4 collegamenti, al massimo 4 insieme"))
        << outcomes[kParallel][1].log;

    // Kept, then saved once more and cleared: each punch of the named
    // terminals twice (terminal 4 once), first in the order the terminals
    // were named, then in file order.
    const Outcome& parallel = outcomes[kParallel][1];
    EXPECT_EQ(parallel.result, "00060\n");
    std::string all;
    for (const char* name : kOutputs) all += parallel.outputs.at(name);
    for (int node = 1; node <= 5; ++node) {
        const std::size_t times = node == 4 ? 1 : 2;
        auto lines = linesOfTerminal(all, node);
        EXPECT_EQ(lines.size(), times * kRecords) << "terminal " << node;
        std::multiset<std::string> distinct(lines.begin(), lines.end());
        for (const auto& line : lines) EXPECT_EQ(distinct.count(line), times) << line;
        EXPECT_EQ(punchesOn(states[kParallel], node), 0u) << "terminal " << node << " not cleared";
    }
    const std::string punches = parallel.outputs.at("tmb.txt");
    std::vector<int> order;
    std::istringstream in(punches);
    for (std::string line; std::getline(in, line);)
        if (order.empty() || order.back() != terminalOf(line)) order.push_back(terminalOf(line));
    // (terminal 1 ends the first run and begins the second)
    EXPECT_EQ(order, (std::vector<int>{5, 2, 3, 1, 2, 3, 4, 5})) << punches;
}

// Paced links: while the bridge's first terminal downloads, the other links
// download too; the bridge's two terminals never interleave.
TEST_F(ParallelLinksTest, LinksOverlapWhileTerminalsOfOneBridgeTakeTurns) {
    auto sim = simulate({1, 2, 3, 4}, {"--tcp 0:1,2", "--tcp 0:3", "--tcp 0:4"}, 15, {"--baud", "9600"});
    ToolInstall install(CMDV32_PATH, parameters(kParallel, tcpTerminal(1, sim->tcpPort(0)) +
                                                               tcpTerminal(2, sim->tcpPort(0)) +
                                                               tcpTerminal(3, sim->tcpPort(1)) +
                                                               tcpTerminal(4, sim->tcpPort(2))));
    auto r = install.run({"-r"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00060\n");
    expectNoSpoolLeft(install);

    const auto wire = exchanges(sim->wire());
    const Span node1 = spanOfNode(wire, 1), node2 = spanOfNode(wire, 2);
    const Span node3 = spanOfNode(wire, 3), node4 = spanOfNode(wire, 4);
    ASSERT_TRUE(node1.first >= 0 && node2.first >= 0 && node3.first >= 0 && node4.first >= 0) << sim->wire();
    const Span bridge{node1.first, node2.last};
    EXPECT_TRUE(node3.overlaps(bridge)) << sim->wire();
    EXPECT_TRUE(node4.overlaps(bridge)) << sim->wire();
    EXPECT_TRUE(node3.overlaps(node4)) << sim->wire();
    // Everything of terminal 1, then everything of terminal 2.
    EXPECT_LT(node1.last, node2.first) << sim->wire();

    auto state = sim->stopAndReadState();
    for (int node = 1; node <= 4; ++node) EXPECT_EQ(punchesOn(state, node), 0u) << "terminal " << node;
}

// Three links, at most two at once: the third begins only when one of the
// first two has ended.
TEST_F(ParallelLinksTest, NoMoreLinksRunAtOnceThanTheCapAllows) {
    auto sim = simulate({1, 2, 3}, {"--tcp 0:1", "--tcp 0:2", "--tcp 0:3"}, 6, {"--baud", "38400"});
    ToolInstall install(CMDV32_PATH, parameters(kParallel + "MAX_PARALLEL_LINKS=2\n",
                                                tcpTerminal(1, sim->tcpPort(0)) + tcpTerminal(2, sim->tcpPort(1)) +
                                                    tcpTerminal(3, sim->tcpPort(2))));
    auto r = install.run({"-r"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00018\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"),
                         "Collegamenti in parallelo: 3 collegamenti, al massimo 2 insieme"))
        << install.readData("cmdvorn.log");

    const auto wire = exchanges(sim->wire());
    std::vector<Span> links;
    for (int node = 1; node <= 3; ++node) links.push_back(spanOfNode(wire, node));
    for (std::size_t i = 0; i < wire.size(); ++i) {
        const auto at = static_cast<std::ptrdiff_t>(i);
        int running = 0;
        for (const auto& link : links) running += link.first <= at && at <= link.last;
        EXPECT_LE(running, 2) << "at wire entry " << i << "\n" << sim->wire();
    }
}

// On its terminal the console shows one progress line for every link at
// work: terminal number, records so far, records in all.
TEST_F(ParallelLinksTest, TheProgressLineShowsEveryActiveLink) {
    auto sim = simulate({1, 2}, {"--tcp 0:1", "--tcp 0:2"}, 40, {"--baud", "9600"});
    ToolInstall install(CMDV32_PATH,
                        parameters(kParallel, tcpTerminal(1, sim->tcpPort(0)) + tcpTerminal(2, sim->tcpPort(1))));
    OnTerminal run(install, {"-x"});
    ASSERT_TRUE(run.started());
    static const std::regex bothLinks(R"(\[1\] \d+/40 \[2\] \d+/40)");
    EXPECT_TRUE(eventually([&] { return std::regex_search(run.screen(), bothLinks); }, std::chrono::seconds(30)))
        << run.screen();
    ASSERT_TRUE(eventually([&] { return run.ended(); }, std::chrono::seconds(60))) << run.screen();
    EXPECT_EQ(run.exitCode(), 0) << run.screen();
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00080\n");
}

// Terminal 1 on a port nothing listens on, terminal 4 on a simulator that
// drops the connection mid-download: both fail, the others are downloaded
// and cleared, and the files and result equal a sequential run's. Terminal 4
// is last in the plan and fails first in time: the result file still tells
// its command.
TEST_F(ParallelLinksTest, FailingLinksFailOnlyTheirOwnTerminals) {
    constexpr int kRecords = 10;
    std::map<std::string, Outcome> outcomes;
    for (const std::string& mode : {kSequential, kParallel}) {
        auto good = simulate({2, 3, 5}, {"--tcp 0:2,5", "--tcp 0:3"}, kRecords, {"--baud", "38400"});
        auto dropping = simulate({4}, {"--tcp 0"}, kRecords, {"--drop", "RE,GE,3"});
        ToolInstall install(CMDV32_PATH, parameters(mode, tcpTerminal(1, 9) + tcpTerminal(2, good->tcpPort(0)) +
                                                              tcpTerminal(3, good->tcpPort(1)) +
                                                              tcpTerminal(5, good->tcpPort(0)) +
                                                              tcpTerminal(4, dropping->tcpPort())));
        auto r = install.run({"-r"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        outcomes[mode] = outcomeOf(install, std::move(r));
        expectNoSpoolLeft(install);

        auto goodState = good->stopAndReadState();
        for (int node : {2, 3, 5}) EXPECT_EQ(punchesOn(goodState, node), 0u) << "terminal " << node;
        EXPECT_EQ(punchesOn(dropping->stopAndReadState(), 4), static_cast<std::size_t>(kRecords));
        EXPECT_FALSE(contains(dropping->wire(), "\"RE,DE\""));
    }
    expectSameAsSequential(outcomes[kSequential], outcomes[kParallel]);

    const Outcome& parallel = outcomes[kParallel];
    EXPECT_EQ(parallel.result, "-0002\n");
    const json& report = parallel.report;
    EXPECT_EQ(report["failed"], 2);
    const std::vector<int> order = {1, 2, 3, 5, 4};
    ASSERT_EQ(report["terminals"].size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const json& terminal = report["terminals"][i];
        const json& download = terminal["commands"][0];
        EXPECT_EQ(terminal["number"], order[i]);
        if (order[i] == 1) {
            EXPECT_NE(download["code"], 0);
            EXPECT_EQ(download["count"], 0);
        } else if (order[i] == 4) {
            EXPECT_EQ(download["code"], 131) << download;  // the peer closed: a read error
        } else {
            EXPECT_EQ(download["code"], 0) << download;
            EXPECT_EQ(download["count"], kRecords);
        }
    }
    std::string all;
    for (const char* name : kOutputs) all += parallel.outputs.at(name);
    for (int node : {2, 3, 5}) EXPECT_EQ(linesOfTerminal(all, node).size(), std::size_t(kRecords)) << node;
    EXPECT_TRUE(linesOfTerminal(all, 1).empty());
}

// Ctrl-C once every link is downloading: each command fails with 106, the
// terminal not yet started too, and nothing is deleted anywhere. Run again
// to its end, the files hold every punch exactly once.
TEST_F(ParallelLinksTest, CtrlCStopsEveryLinkDeletesNothingAndLosesNothing) {
    constexpr int kRecords = 40;
    auto paced = simulate({1, 2, 3, 4}, {"--tcp 0:1,2", "--tcp 0:3", "--tcp 0:4"}, kRecords, {"--baud", "9600"});
    auto links = [](int bridge, int three, int four) {
        return tcpTerminal(1, bridge) + tcpTerminal(2, bridge) + tcpTerminal(3, three) + tcpTerminal(4, four);
    };
    ToolInstall install(CMDV32_PATH,
                        parameters(kParallel, links(paced->tcpPort(0), paced->tcpPort(1), paced->tcpPort(2))));

    auto running = install.start({"-r"});
    ASSERT_TRUE(eventually(
        [&] {
            const auto wire = exchanges(paced->wire());
            const int busy[] = {1, 3, 4};  // the first terminal of each link
            return std::all_of(std::begin(busy), std::end(busy), [&](int node) {
                return std::any_of(wire.begin(), wire.end(),
                                   [&](const Exchange& e) { return e.node == node && e.command == "RE,GE,1"; });
            });
        },
        std::chrono::seconds(60)))
        << paced->wire();
    running->signal(SIGINT);
    auto r = running->wait(std::chrono::seconds(60));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    const auto report = json::parse(install.readData("RIDUVA.json"), nullptr, false);
    ASSERT_TRUE(report.is_object()) << "no run report";
    ASSERT_EQ(report["terminals"].size(), 4u);
    for (const auto& terminal : report["terminals"])
        EXPECT_EQ(terminal["commands"][0]["code"], 106) << terminal;
    EXPECT_EQ(report["failed"], 4);
    const std::string log = install.readData("cmdvorn.log");
    for (int node : {1, 3, 4}) {
        char interrupted[64];
        std::snprintf(interrupted, sizeof interrupted, "[Term %03d] Commando interroto dall'utente!", node);
        EXPECT_TRUE(contains(log, interrupted)) << log;
    }
    expectNoSpoolLeft(install);
    EXPECT_FALSE(contains(paced->wire(), "\"RE,DE\"")) << paced->wire();
    // As in a sequential run, what a stopped download received is in the
    // files and, since nothing was deleted, still on the terminal too.
    std::map<std::string, std::string> stopped;
    for (const char* name : kOutputs) stopped[name] = install.readData(name);
    const json afterStop = paced->stopAndReadState();
    for (int node = 1; node <= 4; ++node)
        EXPECT_EQ(punchesOn(afterStop, node), static_cast<std::size_t>(kRecords)) << "terminal " << node;

    // The same terminals, no longer paced: what one uninterrupted download saves...
    std::map<std::string, std::string> reference;
    {
        Simulator sim({"--state", paced->stateFile(), "--tcp", "0:1,2", "--tcp", "0:3", "--tcp", "0:4"});
        ASSERT_TRUE(sim.start()) << sim.error();
        ToolInstall clean(CMDV32_PATH, parameters(kSequential, links(sim.tcpPort(0), sim.tcpPort(1), sim.tcpPort(2))));
        auto x = clean.run({"-x"});
        ASSERT_EQ(x.exitCode, 0) << x.err;
        for (const char* name : kOutputs) reference[name] = clean.readData(name);
    }
    ASSERT_EQ(savedLines(reference).size(), 4u * kRecords);

    // ...together with what the stopped run saved is what the stopped run
    // and the one after it saved: nothing lost, nothing else twice.
    Simulator sim({"--state", paced->stateFile(), "--tcp", "0:1,2", "--tcp", "0:3", "--tcp", "0:4"});
    ASSERT_TRUE(sim.start()) << sim.error();
    std::ofstream(install.programDir() / "cmdvorn.prm", std::ios::trunc)
        << parameters(kParallel, links(sim.tcpPort(0), sim.tcpPort(1), sim.tcpPort(2)));
    auto again = install.run({"-r"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    std::map<std::string, std::string> saved;
    for (const char* name : kOutputs) saved[name] = install.readData(name);
    std::vector<std::string> expected = savedLines(reference);
    const std::vector<std::string> before = savedLines(stopped);
    expected.insert(expected.end(), before.begin(), before.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(difference(savedLines(saved), expected), "");
    expectNoSpoolLeft(install);
    const json cleared = sim.stopAndReadState();
    for (int node = 1; node <= 4; ++node) EXPECT_EQ(punchesOn(cleared, node), 0u) << "terminal " << node;
}

// A terminal behind the simulator's modem among two on TCP.
TEST_F(ParallelLinksTest, ModemLinkAmongTcpLinksGivesTheSequentialResult) {
    std::map<std::string, Outcome> outcomes;
    for (const std::string& mode : {kSequential, kParallel}) {
        auto sim = simulate({5, 6, 7}, {"--modem 5", "--tcp 0:6", "--tcp 0:7"}, 8,
                            {"--password", "secret", "--modem-connect-ms", "30", "--baud", "38400"});
        ToolInstall install(CMDV32_PATH, parameters(mode, tcpTerminal(6, sim->tcpPort(0)) +
                                                              modemTerminal(5, sim->modemPath()) +
                                                              tcpTerminal(7, sim->tcpPort(1))));
        auto r = install.run({"-r"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        outcomes[mode] = outcomeOf(install, std::move(r));
        expectNoSpoolLeft(install);
        auto state = sim->stopAndReadState();
        for (int node : {5, 6, 7}) EXPECT_EQ(punchesOn(state, node), 0u) << mode << " terminal " << node;
    }
    expectSameAsSequential(outcomes[kSequential], outcomes[kParallel]);
    EXPECT_EQ(outcomes[kParallel].result, "00024\n");
    EXPECT_TRUE(contains(outcomes[kParallel].log, "[Term 005] Modem collegato: ")) << outcomes[kParallel].log;
}

// A command that writes other PC files or sets the PC clock keeps the whole
// run on one link at a time, and the log says which.
TEST_F(ParallelLinksTest, CommandThatMustRunAloneKeepsTheRunSequential) {
    struct Case {
        std::vector<std::string> args;
        std::string alone;
    } cases[] = {{{"-r", "-ea"}, "-ea"}, {{"-syncg"}, "-syncg"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.alone);
        auto sim = simulate({1, 2}, {"--tcp 0:1", "--tcp 0:2"}, 4, {"--employees", "3", "--baud", "38400"});
        ToolInstall install(CMDV32_PATH,
                            parameters(kParallel, tcpTerminal(1, sim->tcpPort(0)) + tcpTerminal(2, sim->tcpPort(1))));
        const std::string pcClock = (install.dataDir() / "pcclock.txt").string();
        auto r = install.run(c.args, {{"PCCLOCK_FILE", pcClock}});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(install.readData("RIDUVA.RET")[0], '0') << install.readData("RIDUVA.RET");
        EXPECT_TRUE(install.dataExists(c.alone == "-ea" ? "DUMMY.EMP" : "pcclock.txt"));
        const std::string log = install.readData("cmdvorn.log");
        EXPECT_TRUE(contains(log, "Collegamenti in parallelo non usati: " + c.alone + " deve girare da solo")) << log;
        EXPECT_FALSE(contains(log, "Collegamenti in parallelo: ")) << log;
        const auto wire = exchanges(sim->wire());
        const Span first = spanOfNode(wire, 1), second = spanOfNode(wire, 2);
        ASSERT_TRUE(first.first >= 0 && second.first >= 0) << sim->wire();
        EXPECT_LT(first.last, second.first) << sim->wire();
    }
}
