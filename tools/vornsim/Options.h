#pragma once
// The simulator's command line.
#include "FaultPlan.h"
#include "LineOptions.h"
#include "OptionTable.h"
#include "Server.h"
#include "TerminalState.h"

#include <span>
#include <string>
#include <vector>

namespace vornsim {

struct Options {
    std::vector<std::string> terminalOptions;  // NODE[:MODEL[:FORMAT]][@LINE]
    std::string stateIn, stateOut, wireLog;
    std::string clock;                       // "YYYY-MM-DD HH:MM:SS"
    std::string password;
    bool passwordSet = false;
    GenerateOptions generate;
    std::vector<LineParameterEntry> lineParameters;
    ServerConfig server;
    FaultPlan faults;
    bool help = false;
};

// False with `error` set when the command line cannot be used.
bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error);
// "NODE[:MODEL[:FORMAT]][@LINE]", model by name (VORN2C) or code (5).
bool parseTerminalOption(const std::string& entry, Terminal& terminal, std::string& error);
// The terminals to serve: the state file's, then the command line's, with generated data.
bool buildTerminals(const Options& options, std::vector<Terminal>& terminals, std::string& error);
const char* usageText();
// Every option parseOptions knows, in the order of the usage text.
std::span<const OptionRow<Options>> optionTable();

}  // namespace vornsim
