#include "SimulatorRun.h"

#include "StopSignals.h"

#include <cstdio>

namespace vornsim {

int runFailure(int exitCode, const std::string& message) {
    std::fprintf(stderr, "vornsim: %s\n", message.c_str());
    return exitCode;
}

bool openWireLog(WireLog& log, const std::string& path) { return path.empty() || log.open(path); }

int serveUntilStopped(ChannelLoop& server) {
    // Blocked from here on but while the loop waits, so a stop is never missed.
    const sigset_t unblocked = catchStopSignals();
    std::string error;
    if (!server.start(error)) return runFailure(1, error);
    for (const auto& line : server.readyLines()) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    server.run(unblocked, stopRequested());
    return 0;
}

}  // namespace vornsim
