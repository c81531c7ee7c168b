#include "TimeServiceTerminal.h"

#include "PrmCfg.h"
#include "TerminalSection.h"
#include "VornMgr.h"

namespace {
constexpr const char* kSection = "[Time_Sync]";
}

std::unique_ptr<VornModem> createTimeServiceTerminal(VornMgr& manager, const PrmCfg& config, const RunSettings& run) {
    VornSettings identity;
    identity.name = "Time_Sync";
    identity.description = "IEN Torino";
    identity.comTimeout = 1;
    identity.maxRetry = 1;

    std::unique_ptr<VornModem> service;
    zLogger& log = manager.log();
    if (!config.hasSection(kSection))
        log.log("Configuration error: manca ezione %s", kSection);
    else
        service = TerminalSection(config, log, manager, run, kSection).parseModemLine(identity);
    if (!service) service = std::make_unique<VornModem>(identity, true);
    manager.prepare(*service);
    return service;
}
