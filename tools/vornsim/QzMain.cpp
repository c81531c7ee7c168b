#include "QzMain.h"

#include "QzOptions.h"
#include "QzServer.h"
#include "StopSignals.h"
#include "WireLog.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace vornsim::qz {

int runQzSimulator(const std::vector<std::string>& args) {
    QzOptions options;
    std::string error;
    if (!parseQzOptions(args, options, error)) {
        std::fprintf(stderr, "vornsim: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(qzUsageText(), stdout);
        return 0;
    }
    std::vector<QzTerminal> terminals;
    for (int address : options.addresses) {
        QzTerminal& t = terminals.emplace_back();
        t.address = address;
        t.generate(options.data);
        for (const auto& [name, path] : options.files) {
            std::ifstream in(path, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "vornsim: cannot read %s\n", path.c_str());
                return 2;
            }
            t.files[name].assign(std::istreambuf_iterator<char>(in), {});
        }
    }
    WireLog log;
    if (!options.wireLog.empty() && !log.open(options.wireLog)) {
        std::fprintf(stderr, "vornsim: cannot open wire log %s\n", options.wireLog.c_str());
        return 2;
    }
    const sigset_t unblocked = catchStopSignals();
    QzServer server(terminals, options, log);
    if (!server.start(error)) {
        std::fprintf(stderr, "vornsim: %s\n", error.c_str());
        return 1;
    }
    for (const auto& line : server.readyLines()) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    server.run(unblocked, stopRequested());
    return 0;
}

}  // namespace vornsim::qz
