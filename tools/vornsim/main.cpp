// vornsim: the terminals' side of the wire, for tests, benchmarks and demos.
#include "Options.h"
#include "QzMain.h"
#include "QzOptions.h"
#include "Server.h"
#include "SimulatorRun.h"
#include "WireLog.h"

#include <csignal>
#include <exception>

namespace {

int runTelegramSimulator(const std::vector<std::string>& args) {
    using namespace vornsim;
    Options options;
    if (auto exitCode = readCommandLine(args, options, parseOptions, usageText())) return *exitCode;
    std::vector<Terminal> terminals;
    std::string error;
    if (!buildTerminals(options, terminals, error)) return runFailure(2, error);
    WireLog log;
    if (!openWireLog(log, options.wireLog)) return runFailure(2, "cannot open wire log " + options.wireLog);

    Server server(terminals, options.server, options.faults, log);
    if (int status = serveUntilStopped(server)) return status;

    if (!options.stateOut.empty()) {
        try {
            saveState(options.stateOut, terminals);
        } catch (const std::exception& e) {
            return runFailure(1, e.what());
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (vornsim::qz::wantsQzFamily(args)) return vornsim::qz::runQzSimulator(args);
    return runTelegramSimulator(args);
}
