#pragma once
// The simulator's options for the line-protocol models: bridge endpoints and
// the terminals' "@CFG" parameters.
#include "Server.h"
#include "TerminalState.h"

#include <map>
#include <string>
#include <vector>

namespace vornsim {

// "NODE:N=V[,N=V...]" sets parameters of the terminals with that node.
struct LineParameterEntry {
    int node = 0;
    std::map<int, std::string> values;
};

// "--bridge PORT[:NODES][@LINE]"
bool parseBridgeOption(std::string value, ServerConfig& server, std::string& error);
bool parseLineParameters(const std::string& value, std::vector<LineParameterEntry>& entries, std::string& error);
void applyLineParameters(const std::vector<LineParameterEntry>& entries, std::vector<Terminal>& terminals);

}  // namespace vornsim
