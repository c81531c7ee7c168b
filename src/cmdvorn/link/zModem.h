#pragma once
// A Hayes modem on a serial port. One object exists per pair of port and
// set-up string; the terminal manager owns it and knows it by the port name
// followed by that string. While a call is up the port records the modem as
// attached.
#include "zCommDev.h"
#include "zLogger.h"
#include "zString.h"

class zSerialPort;

class zModem {
public:
    zModem(zSerialPort& port, zLogger& log);
    zModem(const zModem&) = delete;
    zModem& operator=(const zModem&) = delete;

    // Lookup key: port name followed by the set-up string.
    static zString keyFor(const zString& portName, const zString& initString);
    const zString& name() const { return name_; }

    void setStrings(const zString& init, const zString& reset);
    void getStrings(zString& init, zString& reset) const;
    const zString& initString() const { return init_; }
    const zString& resetString() const { return reset_; }

    int retryCount() const { return retries_; }
    void setRetryCount(int retries) { retries_ = retries; }
    int connectWaitMs() const { return connectWaitMs_; }
    int commandTimeoutMs() const { return commandTimeoutMs_; }

    bool isConnected() const { return connected_; }
    const zString& currentNumber() const { return currentNumber_; }
    int lastError() const { return lastError_; }

    zSerialPort& port() const { return *port_; }
    void setListener(zLinkListener* listener) { listener_ = listener; }
    zLinkListener* listener() const { return listener_; }

private:
    zString currentNumber_;
    bool connected_ = false;
    zString name_;
    zLinkListener* listener_ = nullptr;
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
