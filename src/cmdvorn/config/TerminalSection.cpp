#include "TerminalSection.h"

#include "PortValue.h"
#include "WinsockError.h"
#include "RoutedVorn.h"
#include "VornMgr.h"
#include "zLanvexLink.h"
#include "zModem.h"
#include "zSerialPort.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kDescriptionSkip = 8;  // "Terminal"
constexpr int kMaxTelegramNode = 99;

bool startsAfresh(const zString& mode) { return mode[0] == 'N' || mode[0] == 'n'; }

}  // namespace

TerminalSection::TerminalSection(const PrmCfg& config, zLogger& log, VornMgr& manager, const RunSettings& run,
                                 zString header)
    : config_(config), log_(log), manager_(manager), run_(run), header_(std::move(header)) {}

std::unique_ptr<Vorn> TerminalSection::parse() {
    zString value;
    ConnectionKind kind = get("COM_TYPE", value) ? connectionKindFromComType(value) : ConnectionKind::Unknown;
    if (kind == ConnectionKind::Unknown) {
        log_.log("Configuration error: manca \"COM_TYPE\" per %s", header_.c_str());
        return nullptr;
    }
    settings_.kind = kind;

    settings_.name = header_.mid(1);
    if (settings_.name.length() > 0 && settings_.name[settings_.name.length() - 1] == ']')
        settings_.name = settings_.name.left(settings_.name.length() - 1);
    settings_.description = settings_.name.mid(std::min(kDescriptionSkip, settings_.name.length()));
    settings_.description.trim();

    routed_ = get("ROUTER_NODE", value) || get("ROUTER", value);
    if (routed_ && isModemKind(kind)) {
        log_.log("Conf. Warning: %s \"COM_TYPE=%s\" e' incompatibile con ROUTER_NODE", header_.c_str(),
                 connectionKindName(kind));
        settings_.kind = ConnectionKind::Rs232;
    }

    if (get("TERM_TYPE", value)) {
        value.toUpper();
        std::optional<TerminalModel> model = modelFromTermType(value);
        if (!model)
            log_.log("Configuration error: Sconosciuto \"TERM_TYPE=\" %s", value.c_str());
        else
            settings_.model = *model;
    }

    if (!get("NODE_NR", value)) {
        log_.log("Configuration error: manca \"NODE_NR\" per %s", header_.c_str());
        return nullptr;
    }
    settings_.nodeNumber = static_cast<std::uint8_t>(value.toLong() & 0xFF);
    // A telegram carries the node in two decimal digits: node 105 would
    // reach, and clear, node 5.
    if (settings_.nodeNumber > kMaxTelegramNode && !isNewerModel(settings_.model)) {
        log_.log("Configuration error: \"NODE_NR=%s\" oltre %d per %s", value.c_str(), kMaxTelegramNode, header_.c_str());
        return nullptr;
    }

    if (!routed_) {
        if (!readPort()) return nullptr;
        if (settings_.kind == ConnectionKind::Rlx40 && isNewerModel(settings_.model)) readBadgeKeys();
    }
    readRemainingKeys();
    return build();
}

std::unique_ptr<VornModem> TerminalSection::parseModemLine(VornSettings identity) {
    settings_ = std::move(identity);
    settings_.kind = ConnectionKind::ModemExt;
    if (!readPort()) return nullptr;
    auto terminal = std::make_unique<VornModem>(settings_, true);
    terminal->setModem(modem_);
    terminal->setDialSettings(dial_);
    terminal->setLink(link_);
    return terminal;
}

bool TerminalSection::readPort() {
    zString value;
    if (!get("PORT", value)) {
        log_.log("Configuration error: manca \"PORT\" per %s", header_.c_str());
        return false;
    }
    if (value.isEmpty()) {
        log_.log("Configuration error: \"PORT\" vuoto per %s", header_.c_str());
        return false;
    }

    if (isTcpPortValue(value)) {
        TcpEndpoint endpoint;
        if (!parseTcpEndpoint(value, endpoint)) {
            log_.log("Configuration error parsing \"PORT\" %s", header_.c_str());
            return false;
        }
        // The newer models need the bridge's node status and mailboxes.
        std::unique_ptr<zTalkingSocket> socket;
        if (isNewerModel(settings_.model))
            socket = std::make_unique<zLanvexLink>(endpoint.host, endpoint.port);
        else
            socket = std::make_unique<zTalkingSocket>(endpoint.host, endpoint.port);
        if (socket->lastError() != 0 && socket->lastError() != wsa::kNoData)
            log_.log(" Host %s - Errore tcp/ip: %s", endpoint.host.c_str(), socket->errorText().c_str());
        link_ = manager_.addTcpLink(std::move(socket));
        return true;
    }

    SerialPortValue serial;
    bool parsed = parseSerialPort(value, serial);
    if (parsed && isModemKind(settings_.kind)) parsed = readModemKeys();
    if (!parsed) {
        log_.log("Configuration error parsing \"PORT\" %s", header_.c_str());
        return false;
    }
    settings_.lineSpeed = serial.speed;

    auto* port = dynamic_cast<zSerialPort*>(manager_.findLink(serial.portName));
    if (!port) {
        auto created = std::make_unique<zSerialPort>(serial.portName, config_.irqFor(serial.portName));
        created->setLogger(&log_);
        port = dynamic_cast<zSerialPort*>(manager_.addLink(std::move(created)));
    }
    link_ = port;
    if (port && isModemKind(settings_.kind)) {
        zString init = "AT", reset = "ATZ", value2;
        if (get("MODEM_SET", value2)) init = value2.toUpper();
        if (get("MODEM_RESET", value2)) reset = value2.toUpper();
        modem_ = manager_.findModem(zModem::keyFor(port->name(), init));
        if (!modem_) {
            auto modem = std::make_unique<zModem>(*port, log_);
            modem->setStrings(init, reset);
            long retries = get("MODEM_RETRY", value2) ? value2.toLong() : 0;
            modem->setRetryCount(static_cast<int>(std::clamp<long>(retries, 0, std::numeric_limits<int>::max())));
            modem_ = manager_.addModem(std::move(modem));
        }
    }
    return true;
}

bool TerminalSection::readModemKeys() {
    zString value;
    if (!get("MODEM_DIAL_NR", value)) {
        log_.log("Configuration error: manca \"MODEM_DIAL_NR\" per %s", settings_.description.c_str());
        return false;
    }
    dial_.phoneNumber = value;
    long wait = get("MODEM_WAIT_CONNECT", value) ? value.toLong() : 0;
    dial_.waitConnect = static_cast<std::uint8_t>(wait <= 0 ? 60 : std::min(wait, 120L));
    dial_.pause = 5;
    if (get("MODEM_PAUSE", value)) {
        long pause = value.toLong();
        dial_.pause = pause < 0 ? 1 : static_cast<int>(std::min<long>(pause, std::numeric_limits<int>::max()));
    }
    long rings = get("VORN_MODEM_RINGS", value) ? value.toLong() : 0;
    dial_.rings = static_cast<std::uint8_t>(rings <= 0 ? 3 : std::min(rings, 99L));
    return true;
}

void TerminalSection::parseBadgeField(const zString& value, BadgeField& field) {
    zString rest = value;
    for (int item = 0; item < 3; ++item) {
        int comma = item < 2 ? rest.find(',') : -1;
        zString text = comma >= 0 ? rest.left(comma) : rest;
        if (item < 2) text.trim();
        if (item == 0 && !text.isEmpty()) field.position = std::max(0, text.toInt());
        if (item == 1 && !text.isEmpty()) field.length = std::max(0, text.toInt());
        if (item == 2) field.fixedText = text.left(kMaxBadgeText);
        if (comma < 0) break;
        rest = rest.mid(comma + 1);
    }
}

void TerminalSection::readBadgeKeys() {
    zString value;
    if (get("BADGE_PLANT", value)) parseBadgeField(value, badge_.plant);
    if (get("BADGE_COM", value)) parseBadgeField(value, badge_.company);
    if (get("BADGE_MAT", value)) parseBadgeField(value, badge_.employee);
    if (badge_.company.length == 0 && badge_.company.fixedText.isEmpty()) {
        log_.log("%s BADGE_COM - forcing default company code '00'", header_.c_str());
        badge_.company.fixedText = "00";
    }
    if (badge_.employee.length == 0 && badge_.employee.fixedText.isEmpty())
        log_.log("%s BADGE_MAT - Error length=0", header_.c_str());
}

void TerminalSection::readRemainingKeys() {
    zString value;
    if (get("COM_TIME_OUT", value)) settings_.comTimeout = static_cast<std::uint8_t>(value.toLong() & 0xFF);
    if (get("MAX_RETRY", value)) settings_.maxRetry = static_cast<std::uint8_t>(value.toLong() & 0xFF);
    std::int16_t number = get("TERM_NR", value) ? static_cast<std::int16_t>(value.toLong()) : 0;
    settings_.terminalNumber = number != 0 ? number : static_cast<std::int16_t>(settings_.nodeNumber);
    if (get("PASSWORD", value)) settings_.password = value;

    // An empty file name is no file: the defaults stay.
    bool punchesKey = get("TMB_FILE_NAME", value);
    if (punchesKey && !value.isEmpty()) {
        settings_.transactionFile = value;
        zString mode;
        settings_.transactionAppend = !(get("TMB_FILE_MODE", mode) && startsAfresh(mode));
    } else if (!run_.punches.fileName.isEmpty()) {
        settings_.transactionFile = run_.punches.fileName;
        settings_.transactionAppend = !run_.punches.startAfresh;
    }
    if (punchesKey && value.isEmpty()) warnEmptyFileName("TMB_FILE_NAME", settings_.transactionFile);
    bool employeesKey = get("EMP_FILE_NAME", value);
    if (employeesKey && !value.isEmpty())
        settings_.employeeFile = value;
    else if (!run_.employees.fileName.isEmpty())
        settings_.employeeFile = run_.employees.fileName;
    if (employeesKey && value.isEmpty()) warnEmptyFileName("EMP_FILE_NAME", settings_.employeeFile);
    if (get("EMP_MODE", value)) {
        value.toUpper();
        settings_.employeeMode = value[0] == 'E' ? 1 : value[0] == 'M' ? 2 : value[0] == 'R' ? 3 : 0;
    }
    if (get("FP_FILE_NAME", value)) settings_.fingerprintFile = value;
    if (get("FINGERPRINT", value)) {
        value.toUpper();
        settings_.fingerprint = value[0] == '1' || value == "TRUE";
    }
}

void TerminalSection::warnEmptyFileName(const char* key, const zString& used) {
    log_.log(zLogger::Warning, "Conf. Warning: %s \"%s\" vuoto, usato %s", header_.c_str(), key, used.c_str());
}

std::unique_ptr<Vorn> TerminalSection::build() const {
    std::unique_ptr<Vorn> terminal;
    if (routed_) {
        terminal = std::make_unique<RoutedVorn>(settings_);
    } else if (isModemKind(settings_.kind)) {
        auto modemTerminal = std::make_unique<VornModem>(settings_, settings_.kind == ConnectionKind::ModemExt);
        modemTerminal->setModem(modem_);
        modemTerminal->setDialSettings(dial_);
        terminal = std::move(modemTerminal);
    } else if (settings_.kind == ConnectionKind::Rlx40 && isNewerModel(settings_.model)) {
        auto newer = std::make_unique<Vorn2A>(settings_);
        newer->setBadgeLayout(badge_);
        terminal = std::move(newer);
    } else {
        terminal = std::make_unique<Vorn>(settings_);
    }
    terminal->setLink(link_);
    return terminal;
}
