#pragma once
// A terminal reached by dialling its number through a Hayes modem on a
// serial port. The modem object is shared by the terminals on the same port
// with the same set-up string and is owned by the terminal manager.
#include "Vorn.h"

#include <cstdint>

class zModem;

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

private:
    zModem* modem_ = nullptr;
    bool external_;
    DialSettings dial_;
};
