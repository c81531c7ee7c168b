// Firmware upgrade figures against the simulator over a simulated
// 38400-baud serial line: "GL,UP" and a 32 KiB image by XMODEM, timed
// against what its bytes need on the wire (target <= 1.02). The receiver
// answers each block once the block has come down the line, so the time a
// block and its ACK need is the floor. The terminal calls for the first
// block 10 ms after "GL,UP", so that its own pause hardly counts.
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

constexpr int kBaud = 38400;
constexpr long kImageBytes = 32 * 1024;

// Yes to everything, and the image to send.
class Operator : public OperatorDialogs {
public:
    explicit Operator(std::string image) : image_(std::move(image)) {}
    bool askYesNo(const char*, const char*) override { return true; }
    bool chooseFile(const FileChoice&, zString& path) override {
        path = zString(image_.c_str());
        return true;
    }
    void showMessage(const char*, const char*) override {}

private:
    std::string image_;
};

}  // namespace

int main() {
    auto dir = std::filesystem::temp_directory_path() / ("firmware_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string wireLog = (dir / "wire.log").string();
    vornsim::VornSimProcess sim({"--terminal", "1:VORN-L", "--pty", "all", "--baud", std::to_string(kBaud),
                                 "--wire-log", wireLog, "--firmware-out", (dir / "received.bin").string(),
                                 "--xmodem-start-ms", "10"});
    if (!sim.start()) {
        std::printf("simulator: %s\n", sim.error().c_str());
        return 1;
    }
    auto image = dir / "vornl.bin";
    {
        std::ofstream out(image, std::ios::binary);
        for (long i = 0; i < kImageBytes; ++i) out.put(static_cast<char>((i * 37 + 5) & 0xFF));
    }
    std::ofstream(dir / "cmdvorn.prm") << "[Global]\nLOG_LEVEL=0\n[Terminal 1]\nCOM_TYPE=RS232\nTERM_TYPE=VORN-L\nNODE_NR=1\n"
                                          "PORT=" + sim.ptyPath() + ":38400,N,8,1\n";

    InProcessRun inProcess((dir / "cmdvorn.log").string(), (dir / "cmdvorn.prm").string());
    if (!inProcess.load()) return 1;
    RunContext& run = inProcess.context;
    Operator person(image.string());
    run.setOperatorDialogs(&person);

    auto start = std::chrono::steady_clock::now();
    bool ok = dispatch(run, inProcess.manager.findTerminal(1), CommandId::UpgradeFirmware);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sim.stop();

    // The telegram exchange from the wire log; then the start NAK, each
    // block and its ACK, EOT and its ACK.
    long blocks = (kImageBytes + 127) / 128;
    long bytes = wireBytes(wireLog) + 1 + blocks * (132 + 1) + 2;
    double onWire = static_cast<double>(bytes) * 10.0 / kBaud;
    std::error_code missing;
    bool received = std::filesystem::file_size(dir / "received.bin", missing) == static_cast<std::uintmax_t>(blocks * 128);
    std::printf("serial %d baud, firmware upgrade %ld bytes in %ld blocks: %s, image %s\n", kBaud, kImageBytes, blocks,
                ok ? "ok" : "failed", received ? "received" : "missing");
    std::printf("  %.3f s, bytes on the wire %ld = %.3f s, ratio %.3f (target <= 1.02)\n", seconds, bytes, onWire,
                seconds / onWire);
    std::filesystem::remove_all(dir);
    return ok && received ? 0 : 1;
}
