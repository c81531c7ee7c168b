#pragma once
// The simulator run for "--family qz".
#include <string>
#include <vector>

namespace vornsim::qz {

// Parses the command line, serves until a stop signal; the exit code.
int runQzSimulator(const std::vector<std::string>& args);

}  // namespace vornsim::qz
