// vornsim: the terminals' side of the wire, for tests, benchmarks and demos.
#include "Options.h"
#include "Server.h"
#include "WireLog.h"

#include <csignal>
#include <cstdio>
#include <exception>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onStopSignal(int) { stopRequested = 1; }

}  // namespace

int main(int argc, char** argv) {
    using namespace vornsim;
    std::signal(SIGPIPE, SIG_IGN);

    Options options;
    std::string error;
    if (!parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "vornsim: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    std::vector<Terminal> terminals;
    if (!buildTerminals(options, terminals, error)) {
        std::fprintf(stderr, "vornsim: %s\n", error.c_str());
        return 2;
    }
    WireLog log;
    if (!options.wireLog.empty() && !log.open(options.wireLog)) {
        std::fprintf(stderr, "vornsim: cannot open wire log %s\n", options.wireLog.c_str());
        return 2;
    }

    // The stop signals are delivered only while the loop waits, so a stop is never missed.
    sigset_t stopSignals, unblocked;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, &unblocked);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);

    Server server(terminals, options.server, options.faults, log);
    if (!server.start(error)) {
        std::fprintf(stderr, "vornsim: %s\n", error.c_str());
        return 1;
    }
    for (const auto& line : server.readyLines()) std::printf("%s\n", line.c_str());
    std::fflush(stdout);

    server.run(unblocked, stopRequested);

    if (!options.stateOut.empty()) {
        try {
            saveState(options.stateOut, terminals);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vornsim: %s\n", e.what());
            return 1;
        }
    }
    return 0;
}
