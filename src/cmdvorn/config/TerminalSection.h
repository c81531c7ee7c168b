#pragma once
// One "[Terminal ...]" section of the parameter file turned into a terminal
// object: the class follows the connection kind, a router and the model;
// serial ports, bridge links and modems are found or created in the
// terminal manager so that terminals on one port share them. A section with
// a configuration error yields no terminal, after saying why in the log.
#include "PrmCfg.h"
#include "Vorn.h"
#include "Vorn2A.h"
#include "VornModem.h"

#include <memory>

class zCommDev;

class TerminalSection {
public:
    // The longest fixed text a badge key keeps.
    static constexpr int kMaxBadgeText = 32;

    // Files the section does not name come from the run-wide settings.
    TerminalSection(const PrmCfg& config, zLogger& log, VornMgr& manager, const RunSettings& run, zString header);

    std::unique_ptr<Vorn> parse();
    // A modem line whose section is not a terminal's (the time service): the
    // identity is given, PORT and the modem keys are read as for a modem
    // terminal. Nothing is dialled there but a service, so no log-on follows
    // the call. None, after saying why in the log, without a usable PORT.
    std::unique_ptr<VornModem> parseModemLine(VornSettings identity);

    // "position,length,fixed text"; items left out keep the field's values.
    static void parseBadgeField(const zString& value, BadgeField& field);

private:
    bool get(const char* key, zString& value) const { return config_.getValue(header_, key, value); }
    bool readPort();
    bool readModemKeys();
    void readBadgeKeys();
    void readRemainingKeys();
    // A file key present but empty keeps the default: the log says which.
    void warnEmptyFileName(const char* key, const zString& used);
    std::unique_ptr<Vorn> build() const;

    const PrmCfg& config_;
    zLogger& log_;
    VornMgr& manager_;
    const RunSettings& run_;
    zString header_;
    VornSettings settings_;
    bool routed_ = false;
    zCommDev* link_ = nullptr;
    zModem* modem_ = nullptr;
    DialSettings dial_;
    BadgeLayout badge_;
};
