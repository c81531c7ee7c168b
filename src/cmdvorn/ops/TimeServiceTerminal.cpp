#include "TimeServiceTerminal.h"

#include "PrmCfg.h"
#include "TerminalSection.h"
#include "VornMgr.h"

namespace {
constexpr const char* kSection = "[Time_Sync]";
}

std::unique_ptr<VornModem> createTimeServiceTerminal(VornMgr& manager) {
    VornSettings identity;
    identity.name = "Time_Sync";
    identity.description = "IEN Torino";
    identity.comTimeout = 1;
    identity.maxRetry = 1;

    std::unique_ptr<VornModem> service;
    const PrmCfg* config = manager.config();
    zLogger& log = manager.log();
    if (!config || !config->hasSection(kSection))
        log.log("Configuration error: manca ezione %s", kSection);
    else
        service = TerminalSection(*config, log, manager, kSection).parseModemLine(identity);
    if (!service) service = std::make_unique<VornModem>(identity, true);
    manager.prepare(*service);
    return service;
}
