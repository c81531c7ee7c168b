#pragma once
// A terminal of the QZ family: its address, clock and stored data, and the
// reply text it gives to each request code.
#include "QzFrame.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vornsim::qz {

struct QzTerminal {
    int address = 1;
    std::chrono::seconds clockOffset{0};   // terminal clock minus host clock
    std::string clockText;                 // the last "01" data, as sent
    std::vector<std::string> received;     // every request, "code data", in order

    // "T<address>Rx<code>": the reply that carries a reply code.
    std::string status(int code) const;
    // The reply text for a request; nothing for a request left unanswered.
    std::optional<std::string> answer(const QzRequest& request);
};

}  // namespace vornsim::qz
