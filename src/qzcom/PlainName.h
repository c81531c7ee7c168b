#pragma once
// Names that arrive from a terminal become local paths only as plain file
// names in the working directory: no directory part, no "." or "..", no
// control characters. Anything else could make the host write where it
// never meant to.
#include <string_view>

namespace qzcom {

bool isPlainFileName(std::string_view name);

}  // namespace qzcom
