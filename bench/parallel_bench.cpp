// A night's download over six links, sequential and in parallel:
//  - six simulated 38400-baud serial lines (one simulator and one
//    pseudo-terminal each), 300 punches on each, downloaded and cleared (-r);
//  - the run with PARALLEL_LINKS=0 and with PARALLEL_LINKS=1, and each link
//    alone: the parallel time over the slowest link's (target <= 1.10);
//  - the tool's CPU time per record in the sequential and the parallel run,
//    and what the threads add (target <= +10%), on those lines and again
//    over six loopback TCP links, where the threads' own cost is not
//    drowned by waking up for each byte of a slow line.
// Every run is checked: all punches in the file, every terminal emptied.
#include "ToolInstall.h"
#include "VornSimProcess.h"
#include "WireLogBytes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kLinks = 6;
constexpr int kPunchesPerLink = 300;
constexpr int kBaud = 38400;

double childCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double unixSeconds(std::chrono::system_clock::time_point t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

// The time stamp that opens a wire-log line ("2026-12-07T15:09:49.857Z"),
// as seconds since the epoch; nullopt for a line without one.
std::optional<double> wireStamp(const std::string& line) {
    std::tm utc{};
    int ms = 0;
    if (std::sscanf(line.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ", &utc.tm_year, &utc.tm_mon, &utc.tm_mday,
                    &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &ms) != 7)
        return std::nullopt;
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    return static_cast<double>(timegm(&utc)) + ms / 1000.0;
}

// When a link was busy: its first request and its last reply, in seconds
// since the tool was started.
struct LinkSpan {
    int node = 0;
    double first = -1, last = -1;
    long bytes = 0;
};

LinkSpan linkSpan(const std::string& wireLog, double runStart) {
    LinkSpan span;
    std::ifstream in(wireLog);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find(" RX #") == std::string::npos && line.find(" TX #") == std::string::npos) continue;
        auto at = wireStamp(line);
        if (!at) continue;
        if (span.first < 0) span.first = *at - runStart;
        span.last = *at - runStart;
    }
    span.bytes = wireBytes(wireLog);
    return span;
}

// One link: terminal `node` alone on its own simulator, behind a
// pseudo-terminal paced at kBaud, or else on a loopback TCP port.
struct Link {
    int node;
    bool serial;
    std::string stateOut, wireLog;
    std::unique_ptr<vornsim::VornSimProcess> sim;

    Link(int n, bool onSerial) : node(n), serial(onSerial) {
        const std::string base = "/tmp/parallel_bench_" + std::to_string(getpid()) + "_" + std::to_string(n);
        stateOut = base + ".json";
        wireLog = base + ".wire";
        std::remove(stateOut.c_str());
        std::remove(wireLog.c_str());
        std::vector<std::string> args{"--terminal", std::to_string(n) + ":VORN3", "--records",
                                      std::to_string(kPunchesPerLink), "--wire-log", wireLog, "--state-out", stateOut};
        if (serial)
            args.insert(args.end(), {"--pty", "all", "--baud", std::to_string(kBaud)});
        else
            args.insert(args.end(), {"--tcp", "0"});
        sim = std::make_unique<vornsim::VornSimProcess>(args);
    }
    ~Link() {
        sim.reset();
        std::remove(stateOut.c_str());
        std::remove(wireLog.c_str());
    }
    // Stops the simulator; true when it holds no punch any more.
    bool stopEmptied() {
        sim->stop();
        std::ifstream in(stateOut);
        std::string state((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return !state.empty() && state.find("\"punches\": []") != std::string::npos;
    }
    std::string section() const {
        const std::string n = std::to_string(node);
        const std::string port = serial ? sim->ptyPath() + ":" + std::to_string(kBaud) + ",N,8,1"
                                        : "tcp//127.0.0.1:" + std::to_string(sim->tcpPort());
        return "[Terminal " + n + "]\nCOM_TYPE=RS232\nTERM_TYPE=VORN3\nNODE_NR=" + n + "\nPORT=" + port + "\n";
    }
};

struct Night {
    bool ok = false;
    double seconds = 0, cpu = 0;
    int records = 0;
    std::string output, parallelLine, failure;
    std::vector<LinkSpan> spans;
};

// One -r over the given links, each with a fresh simulator; `cap`, when
// not 0, is MAX_PARALLEL_LINKS.
Night night(const std::vector<int>& nodes, bool parallel, bool serial = true, unsigned cap = 0) {
    Night result;
    std::vector<std::unique_ptr<Link>> links;
    std::string sections;
    for (int n : nodes) {
        links.push_back(std::make_unique<Link>(n, serial));
        if (!links.back()->sim->start()) {
            result.failure = "simulator: " + links.back()->sim->error();
            return result;
        }
        sections += links.back()->section();
    }
    // LOG_LEVEL=1 so that the log says whether the links ran in parallel; a
    // download logs a few lines per terminal, none per record.
    ToolInstall install(CMDV32_PATH, "[Global]\nLOG_LEVEL=1\nPARALLEL_LINKS=" + std::string(parallel ? "1" : "0") +
                                         (cap ? "\nMAX_PARALLEL_LINKS=" + std::to_string(cap) : "") +
                                         "\n[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=tmb.txt\n"
                                         "[Mensa]\nFILE_NAME=tmb.txt\n[Commesse]\nFILE_NAME=tmb.txt\n" +
                                         sections);

    const double cpuBefore = childCpuSeconds();
    const double wallStart = unixSeconds(std::chrono::system_clock::now());
    const auto start = std::chrono::steady_clock::now();
    auto r = install.run({"-r"}, {}, std::chrono::seconds(300));
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Taken before the simulators are reaped, so that only the tool is counted.
    result.cpu = childCpuSeconds() - cpuBefore;

    const int expected = kPunchesPerLink * static_cast<int>(nodes.size());
    result.output = install.readData("tmb.txt");
    result.records = countOf(result.output, "\n");
    std::string log = install.readData("cmdvorn.log");
    if (auto at = log.find("Collegamenti in parallelo"); at != std::string::npos)
        result.parallelLine = log.substr(at, log.find('\n', at) - at);

    std::string notEmptied;
    for (auto& link : links) {
        if (!link->stopEmptied()) notEmptied += " " + std::to_string(link->node);
        result.spans.push_back(linkSpan(link->wireLog, wallStart));
        result.spans.back().node = link->node;
    }
    if (r.exitCode != 0 || r.timedOut)
        result.failure = "exit code " + std::to_string(r.exitCode) + (r.timedOut ? " (timed out)" : "");
    else if (result.records != expected)
        result.failure = std::to_string(result.records) + " of " + std::to_string(expected) + " punches in the file";
    else if (!notEmptied.empty())
        result.failure = "punches left on terminal(s)" + notEmptied;
    else
        result.ok = true;
    if (!result.ok) result.failure += ", result file " + install.readData("RIDUVA.RET");
    return result;
}

bool reportFailure(const char* what, const Night& n) {
    if (n.ok) return false;
    std::printf("  FAILED %s: %s\n", what, n.failure.c_str());
    return true;
}

void printSpans(const char* what, const Night& n) {
    std::printf("  %s, each link from its first request to its last reply (s after start; bytes on the wire):\n",
                what);
    for (const LinkSpan& s : n.spans)
        std::printf("    link %d: %.3f .. %.3f, %ld bytes = %.3f s\n", s.node, s.first, s.last, s.bytes,
                    static_cast<double>(s.bytes) * 10.0 / kBaud);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Medians of the runs' CPU seconds, per record; the spread beside them,
// since the machine's other work moves CPU figures by several percent.
void cpuRise(const std::string& what, const std::vector<double>& sequentialCpu,
             const std::vector<double>& parallelCpu, int records) {
    auto perRecord = [records](double seconds) { return seconds * 1e6 / records; };
    auto spread = [&](const std::vector<double>& v) {
        if (v.size() < 2) return std::string();
        char text[64];
        std::snprintf(text, sizeof text, " (%.1f .. %.1f)", perRecord(*std::min_element(v.begin(), v.end())),
                      perRecord(*std::max_element(v.begin(), v.end())));
        return std::string(text);
    };
    const double seq = perRecord(median(sequentialCpu)), par = perRecord(median(parallelCpu));
    std::printf("  %s:\n    sequential %.1f us%s, parallel %.1f us%s, rise %+.1f%% (target <= +10%%)\n",
                what.c_str(), seq, spread(sequentialCpu).c_str(), par, spread(parallelCpu).c_str(),
                (par - seq) * 100.0 / seq);
}

}  // namespace

int main() {
    std::vector<int> all;
    for (int n = 1; n <= kLinks; ++n) all.push_back(n);
    const int records = kLinks * kPunchesPerLink;
    std::printf("%d links, each a %d-baud serial line with %d punches, download and clear (-r):\n", kLinks, kBaud,
                kPunchesPerLink);

    // The sequential run costs the sum of the links: measured once.
    Night sequential = night(all, false);
    if (reportFailure("sequential run", sequential)) return 1;
    std::printf("  sequential (PARALLEL_LINKS=0): %.3f s\n", sequential.seconds);

    constexpr int kRounds = 3;
    std::vector<Night> parallel;
    for (int i = 0; i < kRounds; ++i) {
        parallel.push_back(night(all, true));
        if (reportFailure("parallel run", parallel.back())) return 1;
    }
    std::sort(parallel.begin(), parallel.end(), [](const Night& a, const Night& b) { return a.seconds < b.seconds; });
    const Night& middle = parallel[kRounds / 2];
    std::printf("  parallel (PARALLEL_LINKS=1), median of %d: %.3f s (%.3f .. %.3f)\n", kRounds, middle.seconds,
                parallel.front().seconds, parallel.back().seconds);
    if (middle.parallelLine.empty())
        std::printf("  no \"Collegamenti in parallelo\" line in the log: the links ran one after another\n");
    else
        std::printf("  log: %s\n", middle.parallelLine.c_str());
    bool same = true;
    for (const Night& p : parallel) same = same && p.output == sequential.output;
    std::printf("  output file of every parallel run identical to the sequential one: %s\n", same ? "yes" : "NO");

    double slowest = 0;
    int slowestLink = 0;
    Night slowestNight;
    for (int n : all) {
        Night alone = night({n}, false);
        if (reportFailure("single link", alone)) return 1;
        if (alone.seconds > slowest) {
            slowest = alone.seconds;
            slowestLink = n;
            slowestNight = alone;
        }
    }
    std::printf("  slowest single link (link %d alone, of one run per link): %.3f s\n", slowestLink, slowest);
    std::printf("  parallel / slowest link: %.3f (target <= 1.10)\n", middle.seconds / slowest);

    std::vector<double> parallelCpu;
    for (const Night& p : parallel) parallelCpu.push_back(p.cpu);
    cpuRise("tool CPU per record (sequential: one run, parallel: median of 3)", {sequential.cpu}, parallelCpu,
            records);

    // On a paced line the tool's CPU goes mostly into waking up for the
    // bytes as they arrive, and over an unpaced pseudo-terminal it follows
    // how the bytes happen to batch; over loopback TCP a reply arrives
    // whole, the cost of the threads themselves shows, and runs are cheap
    // enough to alternate and repeat. Six threads and six simulators on a
    // machine of fewer cores also pay for waiting their turn, hence the run
    // capped at the number of cores beside it.
    constexpr int kCpuRounds = 9;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<double> fastSequential, fastParallel, fastCapped;
    for (int i = 0; i < kCpuRounds; ++i) {
        Night n = night(all, false, false);
        if (reportFailure("loopback TCP run", n)) return 1;
        fastSequential.push_back(n.cpu);
        n = night(all, true, false);
        if (reportFailure("loopback TCP run", n)) return 1;
        fastParallel.push_back(n.cpu);
        n = night(all, true, false, cores);
        if (reportFailure("loopback TCP run", n)) return 1;
        fastCapped.push_back(n.cpu);
    }
    cpuRise("six loopback TCP links, tool CPU per record (median of 9, alternated)", fastSequential, fastParallel,
            records);
    cpuRise("the same with MAX_PARALLEL_LINKS=" + std::to_string(cores) + " (the machine's cores)", fastSequential,
            fastCapped, records);

    printSpans("parallel run (median)", middle);
    printSpans("slowest link alone", slowestNight);
    return 0;
}
