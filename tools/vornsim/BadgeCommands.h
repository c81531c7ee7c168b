#pragma once
// The card format ("FO") and fingerprint ("FP") commands of a terminal.
#include "CommandHandler.h"

namespace vornsim {

// `templateIndex` is the parsed index of an "FP,GI," request: absent for
// other texts, empty when the index is malformed.
Answer answerBadgeRequest(Terminal& terminal, const Request& request,
                          const std::optional<std::optional<std::size_t>>& templateIndex);

}  // namespace vornsim
