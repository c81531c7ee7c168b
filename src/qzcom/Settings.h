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
    // A far end that keeps answering cannot hold a transfer longer than
    // this; 0 or a non-number means the default, never "no time at all".
    int transferSeconds() const { return transferTimeout > 0 ? transferTimeout : kDefaultTransferSeconds; }
    static constexpr int kDefaultTransferSeconds = 3600;
};

enum DebugBit : int { kShowCommand = 1, kShowDiagnostic = 2 };

// The system directory's file when it has the section, else the one in
// `hostDirectory`. The system directory is /etc unless WQZCOM_SYSTEM_DIR names another.
Settings loadSettings(const std::string& hostDirectory);

}  // namespace qzcom
