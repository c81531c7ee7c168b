// Download figures against the simulator:
//  - 1,000 punches over a simulated 38400-baud serial line: the download
//    time divided by the time its bytes need on the wire (target <= 1.10);
//  - the same download with delete, with and without the restart journal:
//    what its few syncs cost (target < 1%);
//  - 10,000 punches over loopback TCP: records per second and the tool's
//    CPU time per record (target < 50 microseconds);
//  - the tool's peak resident memory for 3,000 and 30,000 punches and the
//    growth between them (target < 1 MB: no record stays in memory).
#include "ToolInstall.h"
#include "VornSimProcess.h"
#include "WireLogBytes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

double childCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::string parameters(const std::string& port, const std::string& global = "") {
    return "[Global]\nLOG_LEVEL=0\n" + global + "[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=tmb.txt\n"
           "[Mensa]\nFILE_NAME=tmb.txt\n[Commesse]\nFILE_NAME=tmb.txt\n"
           "[Terminal 1]\nCOM_TYPE=RS232\nTERM_TYPE=VORN3\nNODE_NR=1\nPORT=" + port + "\n";
}

void serialLine() {
    const std::string wireLog = "/tmp/download_bench_wire_" + std::to_string(getpid());
    vornsim::VornSimProcess sim({"--terminal", "1:VORN3", "--pty", "all", "--baud", "38400", "--records", "1000",
                                 "--wire-log", wireLog});
    if (!sim.start()) {
        std::printf("simulator: %s\n", sim.error().c_str());
        return;
    }
    ToolInstall install(CMDV32_PATH, parameters(sim.ptyPath() + ":38400,N,8,1"));
    auto start = std::chrono::steady_clock::now();
    auto r = install.run({"-x"}, {}, std::chrono::seconds(600));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sim.stop();
    long bytes = wireBytes(wireLog);
    double onWire = static_cast<double>(bytes) * 10.0 / 38400.0;
    std::printf("serial 38400 baud, 1000 punches: result %s", install.readData("RIDUVA.RET").c_str());
    std::printf("  download %.3f s, bytes on the wire %ld = %.3f s, ratio %.3f (target <= 1.10)\n", seconds, bytes,
                onWire, seconds / onWire);
    std::remove(wireLog.c_str());
    (void)r;
}

// One -r of 1,000 punches over the 38400-baud line; seconds, or -1.
double serialDownloadAndClear(bool journal) {
    vornsim::VornSimProcess sim({"--terminal", "1:VORN3", "--pty", "all", "--baud", "38400", "--records", "1000"});
    if (!sim.start()) {
        std::printf("simulator: %s\n", sim.error().c_str());
        return -1;
    }
    ToolInstall install(CMDV32_PATH, parameters(sim.ptyPath() + ":38400,N,8,1", journal ? "" : "RESTART_JOURNAL=0\n"));
    auto start = std::chrono::steady_clock::now();
    install.run({"-r"}, {}, std::chrono::seconds(600));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return install.readData("RIDUVA.RET") == "01000\n" ? seconds : -1;
}

void restartJournalCost() {
    // Alternated, so that a slower spell of the machine does not fall on one side only.
    constexpr int kRounds = 3;
    std::vector<double> with, without;
    for (int i = 0; i < kRounds; ++i) {
        without.push_back(serialDownloadAndClear(false));
        with.push_back(serialDownloadAndClear(true));
    }
    std::sort(with.begin(), with.end());
    std::sort(without.begin(), without.end());
    const double a = with[kRounds / 2], b = without[kRounds / 2];
    if (a < 0 || b < 0) {
        std::printf("restart journal: a download failed\n");
        return;
    }
    std::printf("serial 38400 baud, 1000 punches with delete, median of %d: with the restart journal %.3f s, "
                "without %.3f s, difference %+.3f s = %+.2f%% (target < 1%%)\n",
                kRounds, a, b, a - b, (a - b) * 100.0 / b);
}

void loopbackTcp() {
    vornsim::VornSimProcess sim({"--terminal", "1:VORN3", "--tcp", "0", "--records", "10000"});
    if (!sim.start()) {
        std::printf("simulator: %s\n", sim.error().c_str());
        return;
    }
    ToolInstall install(CMDV32_PATH, parameters("tcp//127.0.0.1:" + std::to_string(sim.tcpPort())));
    double cpuBefore = childCpuSeconds();
    auto start = std::chrono::steady_clock::now();
    install.run({"-x"}, {}, std::chrono::seconds(600));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double cpu = childCpuSeconds() - cpuBefore;
    std::printf("loopback TCP, 10000 punches: result %s", install.readData("RIDUVA.RET").c_str());
    std::printf("  %.3f s, %.0f records/s, tool CPU %.1f us/record (target < 50)\n", seconds, 10000 / seconds,
                cpu * 1e6 / 10000);
}

// Peak resident memory of one -x run of `records` punches over loopback TCP.
long peakRssKb(int records) {
    vornsim::VornSimProcess sim({"--terminal", "1:VORN3", "--tcp", "0", "--records", std::to_string(records)});
    if (!sim.start()) {
        std::printf("simulator: %s\n", sim.error().c_str());
        return -1;
    }
    ToolInstall install(CMDV32_PATH, parameters("tcp//127.0.0.1:" + std::to_string(sim.tcpPort())));
    auto r = install.run({"-x"}, {}, std::chrono::seconds(600));
    std::printf("  %d punches: result %s", records, install.readData("RIDUVA.RET").c_str());
    return r.peakRssKb;
}

void peakMemory() {
    std::printf("peak resident memory over loopback TCP:\n");
    long small = peakRssKb(3000);
    long large = peakRssKb(30000);
    std::printf("  3000 punches %.1f MB, 30000 punches %.1f MB, growth %.3f MB (target < 1 MB)\n", small / 1024.0,
                large / 1024.0, (large - small) / 1024.0);
}

}  // namespace

int main() {
    serialLine();
    restartJournalCost();
    loopbackTcp();
    peakMemory();
    return 0;
}
