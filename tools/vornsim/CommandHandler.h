#pragma once
// A terminal's answer to one request: the command texts a telegram terminal
// of its model understands, with their reply records. Anything else, or a
// record the terminal does not have, is answered with a warning ('W');
// malformed data with an error ('E').
#include "Telegram.h"
#include "TerminalState.h"

#include <optional>
#include <string>

namespace vornsim {

struct Answer {
    enum Kind { Ok, Warning, Error } kind = Ok;
    std::optional<Bytes> data;
    std::string note;  // why a W or E was given, for the wire log
};

Answer answerRequest(Terminal& terminal, const Request& request);

// Indexes travel as lowercase hexadecimal without leading zeros.
std::optional<std::size_t> parseIndex(const std::string& text);

}  // namespace vornsim
