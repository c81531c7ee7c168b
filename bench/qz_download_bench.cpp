// Second-family download figures against the simulator, through the real
// library loaded as a host loads it:
//  - 1,000 transactions over a simulated 38400-baud serial line: the
//    download time divided by the time its bytes need on the wire
//    (target <= 1.02);
//  - 30,000 transactions over loopback TCP: records per second and the
//    library's CPU time per record (target < 25 microseconds).
#include "VornSimProcess.h"
#include "WireLogBytes.h"
#include "qzHost.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

double ownCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int call(const QzApi& api, std::string command) {
    char reply[1024];
    return api.Qzcom(command.data(), reply);
}

void serialLine(const QzApi& api, const std::string& dir) {
    const std::string wireLog = dir + "/wire.log";
    vornsim::VornSimProcess sim({"--family", "qz", "--terminal", "1", "--pty", "all", "--baud", "38400",
                                 "--records", "1000", "--memory-blocks", "200", "--wire-log", wireLog});
    if (!sim.start()) {
        std::printf("simulator: %s\n", sim.error().c_str());
        return;
    }
    call(api, "OPENCOM," + sim.ptyPath() + ":38400 1 " + dir);
    const auto start = std::chrono::steady_clock::now();
    const int code = call(api, "RXTRANSIT");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    call(api, "COMCLOSE");
    sim.stop();
    const long bytes = wireBytes(wireLog);
    const double onWire = static_cast<double>(bytes) * 10.0 / 38400.0;
    std::printf("serial 38400 baud, 1000 transactions: code %d\n", code);
    std::printf("  download %.3f s, bytes on the wire %ld = %.3f s, ratio %.3f (target <= 1.02)\n", seconds,
                bytes, onWire, seconds / onWire);
}

void loopbackTcp(const QzApi& api, const std::string& dir) {
    constexpr int kRecords = 30000;
    vornsim::VornSimProcess sim({"--family", "qz", "--terminal", "1", "--tcp", "0", "--records",
                                 std::to_string(kRecords), "--memory-blocks", "3000"});
    if (!sim.start()) {
        std::printf("simulator: %s\n", sim.error().c_str());
        return;
    }
    call(api, "OPENCOM,TCP:127.0.0.1 " + std::to_string(sim.tcpPort()) + " 1 " + dir);
    const double cpuBefore = ownCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const int code = call(api, "RXTRANSIT");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = ownCpuSeconds() - cpuBefore;
    call(api, "COMCLOSE");
    std::printf("loopback TCP, %d transactions: code %d, %.3f s, %.0f records/s, library CPU %.2f us/record"
                " (target < 25)\n",
                kRecords, code, seconds, kRecords / seconds, cpu * 1e6 / kRecords);
}

}  // namespace

int main() {
    QzApi api;
    char error[512];
    if (qzLoad(&api, qzLibraryPath(), error, sizeof error) != 0) {
        std::printf("library: %s\n", error);
        return 1;
    }
    char pattern[] = "/tmp/qzbenchXXXXXX";
    const std::string dir = mkdtemp(pattern);
    setenv("WQZCOM_SYSTEM_DIR", dir.c_str(), 1);
    serialLine(api, dir);
    loopbackTcp(api, dir);
    std::filesystem::remove_all(dir);
    return 0;
}
