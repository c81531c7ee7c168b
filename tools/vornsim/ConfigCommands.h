#pragma once
// A terminal's answers about its configuration tables: causes ("CA"),
// alarms ("AL"), operating parameters ("PA" on every model but the VORN-L,
// "GL,PG"/"GL,PS" on the VORN-L) and the EEPROM identity ("EE", VORN1/2).
// A record sent with the wrong size or a wrong CRC gets 'E'; a table the
// model does not have gets 'W'.
#include "CommandHandler.h"

#include <optional>

namespace vornsim {

// Nothing when the request is about none of these tables.
std::optional<Answer> answerConfigRequest(Terminal& terminal, const Request& request);

}  // namespace vornsim
