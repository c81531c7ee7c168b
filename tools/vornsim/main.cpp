// vornsim: the terminals' side of the wire, for tests, benchmarks and demos.
#include "Options.h"
#include "QzMain.h"
#include "QzOptions.h"
#include "Server.h"
#include "StopSignals.h"
#include "WireLog.h"

#include <csignal>
#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    using namespace vornsim;
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (qz::wantsQzFamily(args)) return qz::runQzSimulator(args);

    Options options;
    std::string error;
    if (!parseOptions(args, options, error)) {
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

    const sigset_t unblocked = catchStopSignals();

    Server server(terminals, options.server, options.faults, log);
    if (!server.start(error)) {
        std::fprintf(stderr, "vornsim: %s\n", error.c_str());
        return 1;
    }
    for (const auto& line : server.readyLines()) std::printf("%s\n", line.c_str());
    std::fflush(stdout);

    server.run(unblocked, stopRequested());

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
