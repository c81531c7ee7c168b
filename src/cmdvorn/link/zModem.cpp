#include "zModem.h"

#include "zSerialPort.h"

#include <chrono>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kConnectWord = "CONNECT";
constexpr const char* kFailureWords[] = {"NO CARRIER", "BUSY", "NO ANSWER", "NO DIAL TONE", "DIALING DISABLED"};
constexpr int kDialReadMs = 1000;
constexpr int kCarrierPollMs = 200;
constexpr unsigned kDialBarColour = 0xFF0000;
constexpr int kMaxResponseLine = 256;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool contains(const zString& text, std::string_view part) { return text.find(part) != zString::npos; }

// Responses become one log line: CR and LF shown as '.'.
zString dotted(zString text) {
    for (int i = 0; i < text.length(); ++i)
        if (text[i] == '\r' || text[i] == '\n') text.setAt(i, '.');
    return text;
}

// A command as the log and the echo show it, without its line end.
zString withoutLineEnd(const char* text) {
    zString shown(text);
    while (!shown.isEmpty() && (shown[shown.length() - 1] == '\r' || shown[shown.length() - 1] == '\n'))
        shown.remove(shown.length() - 1, 1);
    return shown;
}

}  // namespace

zModem::zModem(zSerialPort& port, zLogger& log) : port_(&port), log_(&log) { name_ = keyFor(port.name(), init_); }

zModem::~zModem() {
    if (isLineUp()) hangUp();
}

zString zModem::keyFor(const zString& portName, const zString& initString) { return portName + initString; }

void zModem::setStrings(const zString& init, const zString& reset) {
    init_ = init;
    reset_ = reset;
    name_ = keyFor(port_->name(), init_);
}

void zModem::getStrings(zString& init, zString& reset) const {
    init = init_;
    reset = reset_;
}

zString zModem::errorText(int code) const { return port_->errorText(code); }

bool zModem::sendModemString(const char* text) {
    if (!port_->isOpen() && !port_->open()) {
        lastError_ = port_->lastError();
        return false;
    }
    // Each run between pauses goes out in one write, so an escape such as
    // "+++" reaches the modem as one burst however busy the machine.
    std::string pending;
    for (const char* c = text; *c; ++c) {
        if (*c != '~') {
            pending.push_back(*c);
            continue;
        }
        if (!pending.empty() && !port_->writeString(pending.c_str())) return false;
        pending.clear();
        fnd::sleepMs(100);
    }
    return pending.empty() || port_->writeString(pending.c_str());
}

bool zModem::command(const char* text, bool requireOk) {
    port_->purge(Purge::Both);
    zString sent(text);
    if (sent.find('\r') == zString::npos) sent += '\r';
    bool written = sendModemString(sent.c_str());
    port_->setReadTimeout(commandTimeoutMs_);

    zString response;
    if (written) {
        // A device that keeps talking without ever saying OK ends the wait too.
        const fnd::Deadline deadline(commandTimeoutMs_);
        zString line;
        while (!contains(response, "OK") && readResponseLine(line, deadline)) response += line;
    }
    response = dotted(response);
    if (!requireOk) return true;

    zString shown = withoutLineEnd(text);
    if (contains(response, "OK")) {
        log_->log("%s Modem: %s->%s", label(), shown.c_str(), response.c_str());
        return true;
    }
    const char* reason = !contains(response, shown) ? "no echo" : "no OK";
    log_->log("%s Errore Modem: %s %s -> %s", label(), reason, shown.c_str(), response.c_str());
    return false;
}

bool zModem::readResponseLine(zString& line, const fnd::Deadline& deadline) {
    line.clear();
    char c = 0;
    while (line.length() < kMaxResponseLine && !deadline.passed() && port_->readByte(c)) {
        if (c == '\0') continue;
        line += c;
        if (c == zCommDev::kLF) break;
    }
    return !line.isEmpty();
}

bool zModem::carrier() {
    if (port_->hasModemLines()) return port_->dcdOn();
    takeUnreadWords();
    return dialogueCarrier_;
}

void zModem::takeUnreadWords() {
    // A "NO CARRIER" that came after the last read would otherwise wait for
    // the next one, and the line would be trusted in the meantime.
    if (!dialogueCarrier_) return;
    char unread[kMaxResponseLine];
    std::size_t n = 0;
    char c = 0;
    while (n < sizeof unread && port_->hasInput() && port_->readByte(c)) unread[n++] = c;
    noteReceived(std::string_view(unread, n));
}

void zModem::noteReceived(std::string_view bytes) {
    if (dialogueCarrier_ && !port_->hasModemLines() && bytes.find("NO CARRIER") != std::string_view::npos)
        dialogueCarrier_ = false;
}

bool zModem::checkPresent() {
    port_->setFlowControl(zSerialPort::FlowNone);
    port_->setDtr(true);
    if (port_->ctsOn()) return true;
    if (port_->hasModemLines()) {
        log_->log("%s No CTS on %s: Modem sembra spento o non collegato!", label(), port_->name().c_str());
        return false;
    }
    if (!noLinesReported_) {
        noLinesReported_ = true;
        log_->log("%s Modem su %s senza linee CTS/DCD: presenza dalla risposta ad AT, linea da CONNECT/NO CARRIER",
                  label(), port_->name().c_str());
    }
    if (command("AT", true)) return true;
    log_->log("%s No OK on %s: Modem sembra spento o non collegato!", label(), port_->name().c_str());
    return false;
}

bool zModem::initialise() {
    port_->setDtr(true);
    if (!reset_.isEmpty()) command(reset_.c_str(), true);
    fnd::sleepMs(100);
    if (!init_.isEmpty() && !command(init_.c_str(), true)) return false;
    // Echo on, result codes on, in words: the dialogue below relies on them.
    if (!contains(init_, "E1")) command("ATE1\r\n", true);
    if (!contains(init_, "Q0")) command("ATQ0\r\n", true);
    if (!contains(init_, "V1")) command("ATV1\r\n", true);
    if (contains(init_, "&C0"))
        log_->log("%s WARNING: '&C0' in init string (Must make shure DCD follows line carrier) ", label());
    return true;
}

bool zModem::failCall(const char* response) {
    if (response) log_->log("%s Errore collegamento Modem: %s", label(), response);
    port_->writeString("\r");  // aborts a dial still in progress
    if (dialog_) dialog_->close();
    return false;
}

bool zModem::call(const zString& number) {
    interrupted_ = false;
    dialogueCarrier_ = false;
    const int waitSeconds = connectWaitMs_ / 1000;
    zString calling = zString::format("%s Chiamata Modem: %s", label(), number.c_str());
    if (dialog_) {
        dialog_->open(zString::format("%s Modem: %s", label(), number.c_str()).c_str());
        dialog_->showBar(waitSeconds, kDialBarColour);
        dialog_->addLine(calling.c_str());
    }
    log_->log("%s", calling.c_str());

    const auto start = Clock::now();
    zString dialText = zString::format("ATD%s\r", number.c_str());
    if (!sendModemString(dialText.c_str())) return failCall("");
    if (dialog_) dialog_->addLine(withoutLineEnd(dialText.c_str()).c_str());

    port_->setReadTimeout(kDialReadMs);
    zString response;
    for (;;) {
        zString line;
        if (readResponseLine(line, fnd::Deadline(kDialReadMs))) {
            response += line;
            if (dialog_) dialog_->addLine(withoutLineEnd(line.c_str()).c_str());
        } else if (port_->lastError() != 0) {
            break;  // the port itself failed: no answer can come
        }
        if (contains(response, kConnectWord)) break;
        const char* failure = nullptr;
        for (const char* word : kFailureWords)
            if (!failure && contains(response, word)) failure = word;
        if (failure) {
            log_->log("%s Modem non risponde: %s", label(), failure);
            break;
        }
        int elapsed = static_cast<int>(msSince(start) / 1000);
        if (dialog_) {
            dialog_->setBar(elapsed,
                            zString::format("%s - timeout %d", number.c_str(), waitSeconds - elapsed).c_str());
            if (dialog_->pump()) {
                interrupted_ = true;
                break;
            }
        }
        if (elapsed >= waitSeconds) break;
    }
    port_->setReadTimeout(commandTimeoutMs_);

    if (interrupted_) {
        log_->log("%s Chiamata modem interrota dall'utente", label());
        hangUp();
        return failCall(nullptr);
    }
    response = dotted(response);
    if (contains(response, kConnectWord)) {
        dialogueCarrier_ = true;
        port_->purge(Purge::Both);
        const fnd::Deadline carrierWait(commandTimeoutMs_);
        bool up = carrier();
        while (!up && !carrierWait.passed()) {
            fnd::sleepMs(kCarrierPollMs);
            up = carrier();
        }
        if (up) {
            log_->log("%s Modem collegato: %s", label(), response.c_str());
            if (dialog_) dialog_->close();
            return true;
        }
        log_->log("%s Errore Modem: No DCD signal (C109)", label());
    }
    return failCall(response.c_str());
}

bool zModem::dial(const char* label, const zString& number, int pauseSeconds, int defaultRetries, int waitSeconds,
                  int commandTimeoutMs) {
    interrupted_ = false;
    if (!port_->isOpen()) return false;
    if (zModem* attached = port_->attachedModem(); attached && attached->isLineUp()) {
        if (attached->currentNumber_.equalsNoCase(number)) return true;
        attached->hangUp();
    }
    label_ = label ? label : "";
    connectWaitMs_ = waitSeconds * 1000;
    commandTimeoutMs_ = commandTimeoutMs;
    if (!checkPresent()) return false;
    // Without a CTS line a hardware handshake would hold every write.
    if (port_->hasModemLines()) port_->setFlowControl(zSerialPort::FlowHardware);
    if (!initialise()) {
        log_->log("%s Errore iniz. Modem", label_.c_str());
        return false;
    }
    if (retries_ == 0) retries_ = defaultRetries;

    for (int attempt = 0; attempt <= retries_; ++attempt) {
        if (call(number)) {
            connected_ = true;
            currentNumber_ = number;
            port_->attachModem(this);
            return true;
        }
        if (interrupted_) return false;
        if (attempt < retries_) {
            log_->log("%s Pause %d sec - Retry %.2d", label_.c_str(), pauseSeconds, attempt + 1);
            hangUp();
            command("\r", false);
            port_->purge(Purge::Both);
            fnd::sleepMs(pauseSeconds * 1000);
        }
    }
    return false;
}

bool zModem::isLineUp() {
    if (!connected_ || !port_->isOpen()) return false;
    if (carrier()) return true;
    log_->log(zLogger::Error, "%s Errore Modem %s: Linea Caduta !!!!", label(), port_->name().c_str());
    connected_ = false;
    return false;
}

bool zModem::hangUp() {
    if (port_->attachedModem() == this) port_->attachModem(nullptr);
    if (!port_->isOpen()) {
        connected_ = false;
        dialogueCarrier_ = false;
        return false;
    }
    // Dropping DTR hangs a modem up; a device without the line skips the wait.
    if (port_->setDtr(false)) {
        fnd::sleepMs(500);
        port_->setDtr(true);
        fnd::sleepMs(100);
    }
    if (carrier()) command("~+++~ATH0\r", false);
    connected_ = false;
    dialogueCarrier_ = false;
    currentNumber_.clear();
    return true;
}
