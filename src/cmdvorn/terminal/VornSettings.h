#pragma once
// A terminal's identity and settings as the parameter file defines them.
// The terminal classes are built from one of these, so replacing a terminal
// by a more specific class carries every setting over unchanged.
#include "VornKinds.h"
#include "zString.h"

#include <cstdint>

struct VornSettings {
    zString name;         // section header without its brackets
    zString description;  // the name without "Terminal", trimmed
    std::uint8_t nodeNumber = 0;
    std::int16_t terminalNumber = 0;  // TERM_NR, or the node number
    ConnectionKind kind = ConnectionKind::Rs232;
    TerminalModel model = TerminalModel::Unset;
    zString password;
    long lineSpeed = 38400;
    std::uint8_t comTimeout = 2;
    std::uint8_t maxRetry = 0;
    zString transactionFile = "tmb.dat";
    bool transactionAppend = true;
    zString employeeFile = "emp.dat";
    int employeeMode = 0;  // 1 'E', 2 'M', 3 'R', 0 unset
    zString fingerprintFile;
    bool fingerprint = false;
};
