#pragma once
// The difference the time-service sync logs, read back from the log.
#include <optional>
#include <string>

// The seconds of "Completata (%d sec)"; 0 for "Completata - nessuna
// differenza"; nothing when neither line is in the log.
inline std::optional<long> loggedSyncDifference(const std::string& log) {
    if (log.find("Completata - nessuna differenza") != std::string::npos) return 0;
    const std::string mark = "Completata (";
    auto at = log.find(mark);
    if (at == std::string::npos) return std::nullopt;
    return std::stol(log.substr(at + mark.size()));
}
