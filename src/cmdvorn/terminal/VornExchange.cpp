// The exchange of one telegram with a terminal: build, write, read, check,
// retry. Methods of Vorn kept apart from its identity and settings.
#include "Vorn.h"

#include <cstdarg>
#include <cstdio>

void Vorn::setMessage(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(message_, sizeof message_, fmt, args);
    va_end(args);
}

const char* Vorn::lastResultText() const { return status_ == RunError::None ? "Commando eseguito." : message_; }

bool Vorn::isAnswering() const {
    return status_ == RunError::None || (status_ >= RunError::TerminalWarning && status_ <= RunError::BadTelegram);
}

bool Vorn::connect() {
    zCommDev* link = getLink();
    if (link && link->open(link->name().c_str())) {
        link->setLineDriverControl(LineDriverControl::AroundWrites);
        link->setSpeed(settings_.lineSpeed);
        status_ = RunError::None;
        return true;
    }
    status_ = RunError::PortOpen;
    setMessage("%s Errore conessione %s. %s", label_.c_str(), link ? link->name().c_str() : "",
               link ? link->errorText().c_str() : "");
    if (log_) log_->log(zLogger::Error, "%s", message_);
    return false;
}

void Vorn::disconnect() {
    if (zCommDev* link = getLink()) link->close();
}

bool Vorn::isConnected() {
    zCommDev* link = getLink();
    return link && link->isOpen();
}

bool Vorn::hasInput() {
    zCommDev* link = getLink();
    return link && link->hasInput();
}

void Vorn::setLinkTimeout(int ms) {
    if (zCommDev* link = getLink()) link->setReadTimeout(ms);
}

bool Vorn::buildTelegram(const TelegramCommand& command) {
    if (frame_.build(settings_.nodeNumber, settings_.comTimeout, command)) return true;
    // An empty request would go out as a write that "succeeds" and end as a
    // time-out; nothing is sent instead.
    status_ = RunError::Write;
    setMessage("%s %s Telegramma troppo lungo (max %zu byte)", label_.c_str(), command.text, TelegramFrame::kBufferSize);
    if (log_) log_->log(zLogger::Error, "%s", message_);
    return false;
}

int Vorn::readTimeoutMs() const {
    int setting = settings_.comTimeout;
    return setting < 100 ? setting * 1000 : (setting - 100) * 100;
}

bool Vorn::writeTelegram(const char* text) {
    zCommDev* link = getLink();
    link->setSpeed(settings_.lineSpeed);
    link->setReadTimeout(readTimeoutMs());
    if (link->writeString(text)) {
        ++writeCounter_;
        return true;
    }
    status_ = RunError::Write;
    setMessage("%s", link->errorText().c_str());
    if (log_) log_->log(zLogger::Error, "%s Write Error %s: %s", label_.c_str(), link->name().c_str(), message_);
    return false;
}

bool Vorn::readTelegram(char* buffer, std::size_t size) {
    status_ = RunError::None;
    zCommDev* link = getLink();
    std::size_t count = 0;
    link->setLastError(0);
    if (readFromLink(*link, buffer, size, count) && count > 0) {
        buffer[count < size ? count : size] = '\0';
        timeoutCounter_ = 0;
        return true;
    }
    if (link->lastError() != 0) {
        status_ = RunError::Read;
        setMessage("%s Error Read %s. %s", label_.c_str(), link->name().c_str(), link->errorText().c_str());
        if (log_) log_->log(zLogger::Error, "%s", message_);
        return false;
    }
    status_ = RunError::Timeout;
    if (++timeoutCounter_ < settings_.maxRetry) return false;
    timeoutCounter_ = 0;
    return false;
}

bool Vorn::readFromLink(zCommDev& link, char* buffer, std::size_t size, std::size_t& count) {
    return link.readTelegram(buffer, size, count);
}

bool Vorn::parseReply() {
    status_ = frame_.parse();
    return status_ == RunError::None;
}

bool Vorn::checkReply(const TelegramCommand& command) {
    status_ = RunError::None;
    if (!parseReply()) {
        const char* kind = status_ == RunError::BadCrc ? "ERR_CRC" : (status_ == RunError::BadTelegram ? "ERR_TELEGRAM" : "Header");
        if (log_)
            log_->log(zLogger::Error, "%s Errore telegramma ricevuto: %s - %s", label_.c_str(), kind,
                      zLogger::visible(frame_.received()).c_str());
        return false;
    }
    // On a shared bus or bridge a late reply of another terminal can carry
    // this request's sequence number; only the addressed node answers it.
    if (frame_.header().sourceNode != frame_.requestNode()) {
        status_ = RunError::OutOfSequence;
        setMessage("%s Risposta dal nodo %d invece del nodo %d", label_.c_str(), frame_.header().sourceNode,
                   frame_.requestNode());
        if (log_) log_->log("%s", message_);
        return false;
    }
    std::string_view text = frame_.replyText();
    if (!text.empty() && (text[0] == 'W' || text[0] == 'E')) {
        status_ = text[0] == 'W' ? RunError::TerminalWarning : RunError::TerminalError;
        std::string_view data = frame_.replyData();
        if (log_)
            log_->log("%s <node %d> %s %s", label_.c_str(), settings_.nodeNumber, command.text,
                      zLogger::visible(data).c_str());
        return false;
    }
    if (frame_.header().sequence != frame_.sequence()) {
        status_ = RunError::OutOfSequence;
        setMessage("%s Response out of sequence (%d <- %d)", label_.c_str(), frame_.sequence(), frame_.header().sequence);
        if (log_) log_->log("%s", message_);
        return false;
    }
    return true;
}

void Vorn::decodeReplyData(TelegramCommand& record) {
    frame_.decodeReplyData(record.data, record.dataLength);
}

void Vorn::setQuiet(bool quiet) {
    if (log_) log_->setEnabled(!quiet);
}

bool Vorn::sendCommand(TelegramCommand& command, bool quiet) {
    setQuiet(quiet);
    if (!isConnected() && !connect()) return false;

    status_ = RunError::None;
    message_[0] = '\0';
    if (!buildTelegram(command)) return false;

    for (int attempt = 0; attempt <= settings_.maxRetry; ++attempt) {
        if (attempt > 0 && log_)
            log_->log("%s %s %s - retry %d/%d", label_.c_str(), command.text, status_ == RunError::Timeout ? "time-out" : "", attempt,
                      settings_.maxRetry);
        if (!writeTelegram(frame_.request())) break;
        if (readTelegram(frame_.receiveBuffer(), TelegramFrame::kBufferSize) &&
            (checkReply(command) || status_ == RunError::TerminalWarning || status_ == RunError::TerminalError))
            break;
    }

    if (status_ == RunError::None) {
        if (command.dataKind == TelegramCommand::ReceiveData && command.data) decodeReplyData(command);
        return true;
    }
    if (log_) {
        if (status_ == RunError::Timeout)
            log_->log(zLogger::Error, "%s %s Time-out. Commando Fallito!", label_.c_str(), command.text);
        else if (status_ == RunError::BadCrc || status_ == RunError::BadTelegram)
            log_->log(zLogger::Error, "%s %s Commando Fallito!", label_.c_str(), command.text);
    }
    return false;
}

bool Vorn::sendDelete(TelegramCommand& command, const std::function<bool()>&) { return sendCommand(command); }

bool Vorn::sendOnly(TelegramCommand& command) {
    if (!isConnected() && !connect()) return false;
    status_ = RunError::None;
    message_[0] = '\0';
    return buildTelegram(command) && writeTelegram(frame_.request());
}

bool Vorn::sendOn() {
    TelegramCommand on("ON");
    return sendCommand(on, false);
}

bool Vorn::sendOff() {
    if (!isConnected()) return false;
    TelegramCommand off("OF");
    return sendCommand(off, false);
}

