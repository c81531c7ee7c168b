#pragma once
// A Hayes modem on a serial port. One object exists per pair of port and
// set-up string; the terminal manager owns it and knows it by the port name
// followed by that string. While a call is up the port records the modem as
// attached, so terminals dialling the same number on that port reuse the call.
//
// Carrier and presence come from the CTS and DCD lines. A device without
// modem-control lines (a pseudo-terminal) has neither: there the modem is
// present when it answers "OK" to "AT", and the call is up from its
// "CONNECT" until a "NO CARRIER" is seen on the line.
#include "BreakDialog.h"
#include "zCommDev.h"
#include "zDeadline.h"
#include "zLogger.h"
#include "zString.h"

#include <string_view>

class zSerialPort;

class zModem {
public:
    zModem(zSerialPort& port, zLogger& log);
    // Hangs up a call that is still up.
    ~zModem();
    zModem(const zModem&) = delete;
    zModem& operator=(const zModem&) = delete;

    // Lookup key: port name followed by the set-up string.
    static zString keyFor(const zString& portName, const zString& initString);
    const zString& name() const { return name_; }

    void setStrings(const zString& init, const zString& reset);
    void getStrings(zString& init, zString& reset) const;
    const zString& initString() const { return init_; }
    const zString& resetString() const { return reset_; }

    // MODEM_RETRY; 0 until the first dial takes the terminal's MAX_RETRY.
    int retryCount() const { return retries_; }
    void setRetryCount(int retries) { retries_ = retries; }
    int connectWaitMs() const { return connectWaitMs_; }
    int commandTimeoutMs() const { return commandTimeoutMs_; }
    // How long each response line may take; dial sets it from the terminal.
    void setCommandTimeoutMs(int ms) { commandTimeoutMs_ = ms; }

    bool isConnected() const { return connected_; }
    const zString& currentNumber() const { return currentNumber_; }
    int lastError() const { return lastError_; }
    // The port's text for code (its last error when code is 0).
    zString errorText(int code) const;

    zSerialPort& port() const { return *port_; }
    // Where a dial shows its progress and the operator may stop it; none:
    // dials run unseen and cannot be interrupted.
    void setBreakDialog(BREAKDLG_C* dialog) { dialog_ = dialog; }

    // Makes sure the line is connected to `number`: reuses the call in
    // progress when it is to that number, else checks, initialises and
    // dials with `pauseSeconds` between attempts. `label` (the terminal's)
    // starts every log line until the next dial.
    bool dial(const char* label, const zString& number, int pauseSeconds, int defaultRetries, int waitSeconds,
              int commandTimeoutMs);
    // True when the last dial failed because the operator stopped it.
    bool interrupted() const { return interrupted_; }
    bool hangUp();
    // The call is still up; a lost carrier is logged and ends the call.
    bool isLineUp();
    // Sends one AT command (CR appended unless present) and collects the
    // response up to "OK"; with requireOk, logs the outcome.
    bool command(const char* text, bool requireOk);
    // What the terminal layer received on the line during a call: without a
    // DCD line, a "NO CARRIER" in it is how the modem learns the call ended.
    void noteReceived(std::string_view bytes);

private:
    // Writes to the modem, opening the port when needed; each '~' is a 100 ms pause.
    bool sendModemString(const char* text);
    // One response line up to LF, bounded in length and by the deadline, so
    // that a device that never stops talking cannot hold the dialer.
    bool readResponseLine(zString& line, const fnd::Deadline& deadline);
    bool checkPresent();
    bool initialise();
    bool call(const zString& number);
    // DCD, or on a device without it the call state of the dialogue, after
    // the words the modem sent since the last read.
    bool carrier();
    void takeUnreadWords();
    bool failCall(const char* response);
    const char* label() const { return label_.c_str(); }

    zString currentNumber_;
    bool connected_ = false;
    // The call as the dialogue tells it: up from "CONNECT" to "NO CARRIER".
    bool dialogueCarrier_ = false;
    bool interrupted_ = false;
    bool noLinesReported_ = false;
    zString name_;
    BREAKDLG_C* dialog_ = nullptr;
    // A copy: the modem outlives the terminals that dial through it.
    zString label_;
    zSerialPort* port_;
    zString init_ = "AT";
    zString reset_ = "ATZ";
    zLogger* log_;
    int connectWaitMs_ = 60000;
    int commandTimeoutMs_ = 3000;
    int retries_ = 0;
    int lastError_ = 0;
};
