#pragma once
// The public time service as a modem line of its own: "Time_Sync",
// described "IEN Torino", one second of reply time and one retry, its port
// and modem settings (the number to dial among them) read from [Time_Sync].
// It is no terminal of the parameter file and takes part in no terminal run.
#include "VornModem.h"

#include <memory>

class PrmCfg;
class VornMgr;
struct RunSettings;

// Always an object; without a usable [Time_Sync] section (said in the log)
// it has no link.
std::unique_ptr<VornModem> createTimeServiceTerminal(VornMgr& manager, const PrmCfg& config, const RunSettings& run);
