#pragma once
// The command words and the operation each one runs.
#include "Session.h"

#include <string>
#include <string_view>

namespace qzcom {

// `reply` is what goes back in the host's reply buffer.
using Operation = int (*)(Session& session, const std::string& parameter, std::string& reply);

// Exact match of the upper-cased word; null for an unknown word.
Operation findOperation(std::string_view word);

}  // namespace qzcom
