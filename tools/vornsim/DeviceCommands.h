#pragma once
// The commands that act on a terminal as a device: reset ("@@"), factory
// reset ("@B", all data cleared), forced battery charge ("GL,BT"), switch
// off ("GL,OF") and the start of a firmware upgrade ("GL,UP", after which
// the line carries XMODEM). All but the reset are the VORN-L's alone.
#include "CommandHandler.h"

#include <optional>

namespace vornsim {

// The answer when the request is one of these commands; nothing otherwise.
std::optional<Answer> answerDeviceCommand(Terminal& terminal, const Request& request);

}  // namespace vornsim
