#pragma once
// A terminal reached by dialling its number through a Hayes modem on a
// serial port. The modem object is shared by the terminals on the same port
// with the same set-up string and is owned by the terminal manager. A call
// to a number serves every terminal with that number until it drops; an
// exchange that fails because the call dropped redials once.
#include "Vorn.h"

#include <cstdint>

class zModem;
class zSerialPort;

struct DialSettings {
    zString phoneNumber;            // MODEM_DIAL_NR
    std::uint8_t waitConnect = 60;  // seconds, MODEM_WAIT_CONNECT (1..120)
    int pause = 5;                  // seconds between dial attempts, MODEM_PAUSE
    std::uint8_t rings = 3;         // VORN_MODEM_RINGS (1..99)
};

class VornModem : public Vorn {
public:
    VornModem(VornSettings settings, bool external);

    bool isExternal() const { return external_; }
    zModem* modem() const { return modem_; }
    void setModem(zModem* modem) { modem_ = modem; }

    const zString& phoneNumber() const { return dial_.phoneNumber; }
    void setPhoneNumber(zString number) { dial_.phoneNumber = std::move(number); }
    const DialSettings& dialSettings() const { return dial_; }
    void setDialSettings(const DialSettings& dial) { dial_ = dial; }

    void showConnection() override;
    void setDialDialog(BREAKDLG_C* dialog) override;

    // Dials, and for a MODEM (not MODEM_EXT) terminal logs on with "OPEN"
    // and the password. Status Modem when the dial fails, Interrupted when
    // the operator stopped it, PortOpen when the link is not a serial port.
    bool connect() override;
    // Hangs the call up, then closes the port.
    void disconnect() override;
    // The port's call is up and is to this terminal's number.
    bool isConnected() override;
    // The exchange; when a call that was up has dropped meanwhile, one
    // reconnection and a second try.
    bool sendCommand(TelegramCommand& command, bool quiet = false) override;
    // After a redial the delete goes out only when `stillCovered` agrees.
    bool sendDelete(TelegramCommand& command, const std::function<bool()>& stillCovered) override;

protected:
    // Also shows the modem what arrived instead of a reply ("NO CARRIER").
    bool readTelegram(char* buffer, std::size_t size) override;

private:
    // The link as a serial port; otherwise the configuration error is
    // logged, status PortOpen, nullptr.
    zSerialPort* serialPort();
    // How long each modem command waits for its answer: COM_TIME_OUT seconds.
    int modemCommandTimeoutMs() const;
    bool logOn();
    // The exchange with its one recovery after a dropped call; with a guard,
    // the guard is asked on the new call before the command is sent again.
    bool sendRecovering(TelegramCommand& command, bool quiet, const std::function<bool()>* guard);

    zModem* modem_ = nullptr;
    bool external_;
    DialSettings dial_;
};
