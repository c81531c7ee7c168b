#pragma once
// The difference the time-service sync logs is taken on the time of day
// alone, so a run during which either clock passes midnight logs it a whole
// day off. Tests read it from the log and compare it modulo a day, which
// holds at any hour.
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

// A number of seconds as a time of day, 0 to 86399.
inline long secondsIntoDay(long seconds) {
    constexpr long kDay = 86400;
    return (seconds % kDay + kDay) % kDay;
}
