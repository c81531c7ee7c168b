#pragma once
// The operator settings of "wqzcom.ini", section "nx".
#include <string>

namespace qzcom {

struct Settings {
    int serialTimeout = 0;        // seconds for a reply on the serial link
    int ethernetTimeout = 0;      // seconds for a reply on a socket
    int rxConnectionTimeout = 0;  // seconds for a TCP connection
    int causLikeSofter = 0;
    int writeIdNumber = 0;
    int trnAppendMode = 0;
    int disableMessageBox = 0;
    int disableWindow = 0;
    int debugEnable = 0;          // DebugBit values
    int modemConnectTimeout = 0;
    int numRetry = 0;
    int transferTimeout = 0;      // seconds one file transfer may take in all
    bool found = false;           // the file used has the section

    int attempts() const { return numRetry < 1 ? 1 : numRetry; }
};

enum DebugBit : int { kShowCommand = 1, kShowDiagnostic = 2 };

// The system directory's file when it has the section, else the one in
// `hostDirectory`. The system directory is /etc unless WQZCOM_SYSTEM_DIR names another.
Settings loadSettings(const std::string& hostDirectory);

}  // namespace qzcom
