#include "LineOptions.h"

#include "OptionTable.h"

namespace vornsim {
namespace {

bool number(const std::string& text, int min, int max, int& out) {
    long v = 0;
    if (!toInt(text, min, max, v)) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

bool parseBridgeOption(std::string value, ServerConfig& server, std::string& error) {
    ServerConfig::Endpoint ep;
    ep.lineProtocol = true;
    if (auto at = value.rfind('@'); at != std::string::npos) {
        ep.line = value.substr(at + 1);
        value.resize(at);
    }
    auto colon = value.find(':');
    if (!number(value.substr(0, colon), 0, 65535, ep.port) ||
        (colon != std::string::npos && !parseNodeList(value.substr(colon + 1), 32, ep.nodes))) {
        error = "--bridge needs PORT[:NODES][@LINE]";
        return false;
    }
    server.tcp.push_back(ep);
    return true;
}

bool parseLineParameters(const std::string& value, std::vector<LineParameterEntry>& entries, std::string& error) {
    LineParameterEntry entry;
    auto colon = value.find(':');
    bool ok = colon != std::string::npos && number(value.substr(0, colon), 1, 99, entry.node);
    std::size_t at = colon + 1;
    while (ok && at <= value.size()) {
        std::size_t comma = value.find(',', at);
        std::string item = value.substr(at, comma - at);
        auto eq = item.find('=');
        int n = 0;
        ok = eq != std::string::npos && number(item.substr(0, eq), 0, 99, n);
        if (ok) entry.values[n] = item.substr(eq + 1);
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    if (!ok) {
        error = "--cfg needs NODE:N=V[,N=V...]";
        return false;
    }
    entries.push_back(entry);
    return true;
}

void applyLineParameters(const std::vector<LineParameterEntry>& entries, std::vector<Terminal>& terminals) {
    for (const auto& entry : entries)
        for (auto& t : terminals)
            if (t.node == entry.node)
                for (const auto& [n, v] : entry.values) t.lineParameters[n] = v;
}

}  // namespace vornsim
