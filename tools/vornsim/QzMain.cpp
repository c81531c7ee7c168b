#include "QzMain.h"

#include "QzOptions.h"
#include "QzServer.h"
#include "SimulatorRun.h"

#include <fstream>
#include <iterator>

namespace vornsim::qz {

int runQzSimulator(const std::vector<std::string>& args) {
    QzOptions options;
    if (auto exitCode = readCommandLine(args, options, parseQzOptions, qzUsageText())) return *exitCode;
    std::vector<QzTerminal> terminals;
    for (int address : options.addresses) {
        QzTerminal& t = terminals.emplace_back();
        t.address = address;
        t.generate(options.data);
        for (const auto& [name, path] : options.files) {
            std::ifstream in(path, std::ios::binary);
            if (!in) return runFailure(2, "cannot read " + path);
            t.files[name].assign(std::istreambuf_iterator<char>(in), {});
        }
    }
    WireLog log;
    if (!openWireLog(log, options.wireLog)) return runFailure(2, "cannot open wire log " + options.wireLog);
    QzServer server(terminals, options, log);
    return serveUntilStopped(server);
}

}  // namespace vornsim::qz
