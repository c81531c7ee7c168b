// Template transfer figures against the simulator over a simulated
// 38400-baud serial line: 500 templates uploaded, then downloaded again,
// each timed against what its bytes need on the wire (target <= 1.02).
// The console build has no fingerprint commands, so the window's command
// table runs them here in-process.
#include "CommandTable.h"
#include "InProcessRun.h"
#include "PrmCfg.h"
#include "VornMgr.h"
#include "VornSimProcess.h"
#include "WireLogBytes.h"
#include "zFile.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int kTemplates = 500;
constexpr int kBaud = 38400;

void writeTemplates(const std::filesystem::path& path) {
    std::ofstream out(path);
    for (int e = 1; e <= kTemplates; ++e) {
        char head[32];
        std::snprintf(head, sizeof head, "%05d %09d ", 1, e);
        out << head;
        for (int i = 0; i < 384; ++i) {
            char pair[3];
            std::snprintf(pair, sizeof pair, "%02X", (e * 31 + i * 7) & 0xFF);
            out << pair;
        }
        out << "\n";
    }
}

}  // namespace

int main() {
    auto dir = std::filesystem::temp_directory_path() / ("fingerprint_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string wireLog = (dir / "wire.log").string();
    vornsim::VornSimProcess sim({"--terminal", "1:VORN3", "--pty", "all", "--baud", std::to_string(kBaud),
                                 "--wire-log", wireLog});
    if (!sim.start()) {
        std::printf("simulator: %s\n", sim.error().c_str());
        return 1;
    }
    auto templates = dir / "templates.dat";
    writeTemplates(templates);
    std::ofstream(dir / "cmdvorn.prm") << "[Global]\nLOG_LEVEL=0\n[Terminal 1]\nCOM_TYPE=RS232\nTERM_TYPE=VORN3\nNODE_NR=1\n"
                                          "PORT=" + sim.ptyPath() + ":38400,N,8,1\nFP_FILE_NAME=" + templates.string() + "\n";

    InProcessRun inProcess((dir / "cmdvorn.log").string(), (dir / "cmdvorn.prm").string());
    if (!inProcess.load()) return 1;
    RunContext& run = inProcess.context;

    for (CommandId id : {CommandId::SendFingerprints, CommandId::ReceiveFingerprints}) {
        std::filesystem::resize_file(wireLog, 0);
        inProcess.state.count = 0;
        auto start = std::chrono::steady_clock::now();
        bool ok = dispatch(run, inProcess.manager.findTerminal(1), id, windowCommandTable());
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        long bytes = wireBytes(wireLog);
        double onWire = static_cast<double>(bytes) * 10.0 / kBaud;
        std::printf("serial %d baud, %s %d templates: %s, %d moved\n", kBaud, id == CommandId::SendFingerprints ? "upload" : "download",
                    kTemplates, ok ? "ok" : "failed", inProcess.state.count);
        std::printf("  %.3f s, bytes on the wire %ld = %.3f s, ratio %.3f (target <= 1.02)\n", seconds, bytes, onWire,
                    seconds / onWire);
    }
    sim.stop();
    std::filesystem::remove_all(dir);
    return 0;
}
