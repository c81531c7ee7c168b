#pragma once
// The QZ-family simulator's command line ("vornsim --family qz ...").
#include "FaultPlan.h"
#include "HayesModem.h"
#include "OptionTable.h"
#include "QzTerminal.h"

#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vornsim::qz {

enum class QzFault { NoReply, WrongTag, ReplyCode, Reset, Noise, Oversize, Late };

struct QzFaultRule {
    QzFault fault;
    FaultSelector selector;  // matched against the request's code followed by its data
    int value = 0;           // the reply code of ReplyCode; the delay in ms of Late
};

struct QzOptions {
    std::vector<int> addresses;
    std::vector<int> tcpPorts;
    int ptys = 0;
    int modems = 0;
    std::string bindAddress = "127.0.0.1";
    std::string wireLog;
    std::vector<QzFaultRule> faults;
    QzData data;
    std::vector<std::pair<std::string, std::string>> files;  // name in the store, local path
    int addRecords = 0;                  // new transactions after request number addAfter
    int addAfter = 0;
    int addSecondKind = 0;               // new second-kind records after request number addSecondAfter
    int addSecondAfter = 0;
    HayesModem::Config modem;
    int baud = 0;  // 0: replies at once; else each request and reply byte costs 10/baud seconds
    bool help = false;
};

// True when the command line asks for the QZ family ("--family qz").
bool wantsQzFamily(const std::vector<std::string>& args);
bool parseQzOptions(const std::vector<std::string>& args, QzOptions& options, std::string& error);
const char* qzUsageText();
// Every option parseQzOptions knows, in the order of the usage text.
std::span<const OptionRow<QzOptions>> qzOptionTable();

}  // namespace vornsim::qz
