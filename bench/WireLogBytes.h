#pragma once
// Bytes that crossed the line, counted from the escaped dumps of the
// simulator's wire log: what a transfer's time is compared with.
#include <fstream>
#include <string>

inline long wireBytes(const std::string& wireLog) {
    std::ifstream in(wireLog);
    std::string line;
    long bytes = 0;
    while (std::getline(in, line)) {
        if (line.find(" RX #") == std::string::npos && line.find(" TX #") == std::string::npos) continue;
        auto bar = line.find(" | ");
        if (bar == std::string::npos) continue;
        for (std::size_t i = bar + 3; i < line.size(); ++i, ++bytes)
            if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == 'x') i += 3;
            else if (line[i] == '\\' && i + 1 < line.size()) ++i;
    }
    return bytes;
}
