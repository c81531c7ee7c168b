#pragma once
// What the tests that start Wcmdv32 as a process share: no display, and a
// terminal reached through the simulator's TCP port.
#include <map>
#include <string>

inline const std::map<std::string, std::string> kNoDisplay = {{"QT_QPA_PLATFORM", "offscreen"}};

inline std::string terminalSection(int node, const std::string& model, int port) {
    return "[Terminal " + std::to_string(node) + "]\nCOM_TYPE=RS485\nTERM_TYPE=" + model +
           "\nNODE_NR=" + std::to_string(node) + "\nCOM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" + std::to_string(port) +
           "\n";
}
