#include "VornModem.h"

#include "zDeadline.h"
#include "zModem.h"
#include "zSerialPort.h"

#include <cstring>

namespace {

constexpr int kLogOnDelayMs = 1000;
constexpr int kRecoveryDelayMs = 500;
// "OPEN" leaves this much of a telegram for the password and its NUL.
constexpr int kMaxLogOnData = (static_cast<int>(TelegramFrame::kBufferSize) - 16 - 4) / 2;

}  // namespace

VornModem::VornModem(VornSettings settings, bool external) : Vorn(std::move(settings)), external_(external) {
    settings_.kind = external ? ConnectionKind::ModemExt : ConnectionKind::Modem;
}

void VornModem::showConnection() {
    showIdentity();
    showLinkLine();
    if (external_) header("     Modem: Esterno");
    header("        Numero tel.: %s", dial_.phoneNumber.c_str());
    header("        Num squilli: %d", dial_.rings);
    header("        wait_to_connect %d, pause %d", dial_.waitConnect, dial_.pause);
}

zSerialPort* VornModem::serialPort() {
    zCommDev* link = getLink();
    if (auto* port = dynamic_cast<zSerialPort*>(link)) return port;
    status_ = RunError::PortOpen;
    setMessage("%s Errore Configurazione.Tipo porta=%s, Modem necessita di una porta seriale !", label_.c_str(),
               link ? link->kindName() : "Nessuna porta");
    if (log_) log_->log(zLogger::Error, "%s", message_);
    return nullptr;
}

bool VornModem::isConnected() {
    zSerialPort* port = serialPort();
    if (!port) return false;
    zModem* modem = port->attachedModem();
    return modem && modem->currentNumber().equalsNoCase(dial_.phoneNumber) && modem->isLineUp();
}

bool VornModem::connect() {
    status_ = RunError::PortOpen;
    zSerialPort* port = serialPort();
    if (!port) return false;
    if (isConnected()) {
        status_ = RunError::None;
        return true;
    }
    if (!Vorn::connect()) return false;
    if (zModem* attached = port->attachedModem()) attached->hangUp();

    // Toggling DTR around writes would hang the modem up.
    port->setLineDriverControl(LineDriverControl::Off);
    port->setTerminator(zCommDev::kLF);
    bool dialled = modem_ && modem_->dial(label_.c_str(), dial_.phoneNumber, dial_.pause, settings_.maxRetry,
                                          dial_.waitConnect, modemCommandTimeoutMs());
    port->setTerminator(zCommDev::kEOT);
    if (!dialled) {
        if (modem_ && modem_->interrupted()) {
            status_ = RunError::Interrupted;
            setMessage("%s Chiamata modem interrota dall'utente", label_.c_str());
        } else {
            status_ = RunError::Modem;
            setMessage("%s Errore collegamento %s %s", label_.c_str(), dial_.phoneNumber.c_str(),
                       modem_ ? modem_->errorText(modem_->lastError()).c_str() : "");
            if (log_) log_->log(zLogger::Error, "%s", message_);
        }
        port->setLineDriverControl(LineDriverControl::AroundWrites);
        return false;
    }
    if (external_) {
        status_ = RunError::None;
        return true;
    }
    fnd::sleepMs(kLogOnDelayMs);
    if (logOn()) return true;
    // Whoever comes next through this call would skip the log-on it failed.
    modem_->hangUp();
    return false;
}

int VornModem::modemCommandTimeoutMs() const {
    // Whole seconds, whatever a setting above 100 means for telegram replies.
    return settings_.comTimeout * 1000;
}

bool VornModem::logOn() {
    unsigned char password[kMaxLogOnData] = {};
    std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(settings_.password.length()), kMaxLogOnData - 1);
    std::memcpy(password, settings_.password.c_str(), length);
    TelegramCommand open("OPEN", TelegramCommand::SendData, password, static_cast<int>(length + 1));
    // The plain exchange: a log-on that loses the call must not redial from inside the dial.
    return Vorn::sendCommand(open, false);
}

void VornModem::disconnect() {
    zCommDev* link = getLink();
    if (!link) return;
    if (zModem* attached = link->attachedModem()) attached->hangUp();
    link->close();
}

bool VornModem::sendCommand(TelegramCommand& command, bool quiet) { return sendRecovering(command, quiet, nullptr); }

bool VornModem::sendDelete(TelegramCommand& command, const std::function<bool()>& stillCovered) {
    return sendRecovering(command, false, &stillCovered);
}

bool VornModem::sendRecovering(TelegramCommand& command, bool quiet, const std::function<bool()>* guard) {
    setQuiet(quiet);
    zSerialPort* port = serialPort();
    if (!port) return false;
    zModem* before = port->attachedModem();
    const bool wasConnected = before && before->isConnected();

    if (Vorn::sendCommand(command, quiet)) return true;
    if (!wasConnected) return false;
    fnd::sleepMs(kRecoveryDelayMs);
    if (isConnected()) return false;  // the call is up: the failure is the terminal's
    if (log_) log_->log(zLogger::Warning, "%s Ripristino connessione modem!", label_.c_str());
    if (guard) {
        // Records stored while the call was down are in no count yet.
        if (!connect()) {
            if (status_ != RunError::Interrupted) status_ = RunError::Modem;
            return false;
        }
        if (!(*guard)()) {
            status_ = RunError::Modem;
            setMessage("%s %s non inviato dopo la richiamata: il terminale ha nuove registrazioni", label_.c_str(),
                       command.text);
            if (log_) log_->log(zLogger::Warning, "%s", message_);
            return false;
        }
        setQuiet(quiet);
    }
    if (Vorn::sendCommand(command, quiet)) return true;
    if (status_ != RunError::Interrupted) status_ = RunError::Modem;
    return false;
}

bool VornModem::readTelegram(char* buffer, std::size_t size) {
    // Cleared first, so that what a failed read leaves is this read's bytes only.
    std::memset(buffer, 0, size);
    if (Vorn::readTelegram(buffer, size)) return true;
    if (zCommDev* link = getLink())
        if (zModem* modem = link->attachedModem()) modem->noteReceived(std::string_view(buffer, size));
    return false;
}

void VornModem::setDialDialog(BREAKDLG_C* dialog) {
    if (modem_) modem_->setBreakDialog(dialog);
}
