#include "Vorn2A.h"

#include "FndException.h"
#include "zLanvexLink.h"
#include "zDeadline.h"
#include "zSerialPort.h"

#include <cstring>

namespace {

constexpr char kBridgePrefix[] = "////";
constexpr int kPollPauseMs = 100;
// A network that always has one more message cannot hold a query or a read.
constexpr int kMaxExtraMessages = 32;

bool forBridge(const char* text) { return std::strncmp(text, kBridgePrefix, sizeof kBridgePrefix - 1) == 0; }

void copyText(char* buffer, std::size_t size, const char* text) {
    std::size_t n = std::strlen(text);
    if (n > size) n = size;
    std::memmove(buffer, text, n);
    buffer[n] = '\0';
}

}  // namespace

Vorn2A::~Vorn2A() {
    binding_.reset();
    Rlx40::releaseIfUnused();
}

int Vorn2A::cacheSlot(int number) {
    for (std::size_t i = 0; i < kCachedParameters.size(); ++i)
        if (kCachedParameters[i] == number) return static_cast<int>(i);
    return -1;
}

std::int16_t Vorn2A::cachedParameter(int number) const {
    int slot = cacheSlot(number);
    return slot < 0 ? std::int16_t(-1) : cache_[static_cast<std::size_t>(slot)];
}

void Vorn2A::cacheParameter(int number, std::int16_t value) {
    int slot = cacheSlot(number);
    if (slot >= 0) cache_[static_cast<std::size_t>(slot)] = value;
}

zLanvexLink* Vorn2A::bridge() const { return dynamic_cast<zLanvexLink*>(getLink()); }

bool Vorn2A::connect() {
    message_[0] = '\0';
    if (bridge()) return Vorn::connect();
    return connectBinding();
}

bool Vorn2A::connectBinding() {
    try {
        if (!binding_) binding_ = Rlx40::instance(dynamic_cast<zSerialPort*>(getLink()));
        if (binding_->initialise()) {
            status_ = RunError::None;
            return true;
        }
        int error = binding_->lastError();
        if (error == Rlx40::PortMissing)
            setMessage("com port doesn't exist");
        else if (error == Rlx40::PortBusy)
            setMessage("com port not available");
        else
            setMessage("rlx40 error %d", error);
    } catch (const FndException& e) {
        setMessage("%.80s", e.message().c_str());
    } catch (...) {
        setMessage("Unknown Exception");
    }
    status_ = RunError::PortOpen;
    if (log_) log_->log(zLogger::Error, "%s Errore connessione Rlx40. %s", label_.c_str(), message_);
    return false;
}

void Vorn2A::disconnect() {
    if (zLanvexLink* link = bridge()) link->close();
}

bool Vorn2A::isConnected() {
    if (zLanvexLink* link = bridge()) return link->isOpen();
    return binding_ && binding_->initialised();
}

bool Vorn2A::hasInput() { return isConnected() || connect(); }

void Vorn2A::idle(int ms) {
    if (zLanvexLink* link = bridge(); link && link->isOpen())
        link->listen(ms);
    else
        fnd::sleepMs(ms);
}

// A text too long for the buffer is cut; the terminal refuses it then.
bool Vorn2A::buildTelegram(const TelegramCommand& command) {
    char request[TelegramFrame::kBufferSize] = {};
    std::size_t n = 0;
    if (bridge() && !forBridge(command.text)) request[n++] = static_cast<char>(settings_.nodeNumber);
    std::size_t textLength = std::strlen(command.text);
    std::memcpy(request + n, command.text, textLength);
    n += textLength;
    if (command.dataKind == TelegramCommand::SendData && command.data) {
        std::size_t room = sizeof request - 1 - n;
        std::size_t dataLength = strnlen(reinterpret_cast<const char*>(command.data), static_cast<std::size_t>(command.dataLength));
        if (dataLength > room) dataLength = room;
        std::memcpy(request + n, command.data, dataLength);
        n += dataLength;
    }
    frame_.setRequest(request, n);
    return true;
}

bool Vorn2A::writeTelegram(const char* text) {
    if (!isConnected() && !connect()) return false;
    if (bridge()) {
        if (text != frame_.request() && !forBridge(text)) {
            char request[TelegramFrame::kBufferSize] = {};
            request[0] = static_cast<char>(settings_.nodeNumber);
            std::size_t n = strnlen(text, sizeof request - 2);
            std::memcpy(request + 1, text, n);
            frame_.setRequest(request, n + 1);
            if (log_) log_->log("<%s> Lanvex: %s", label_.c_str(), frame_.request());
        }
        return Vorn::writeTelegram(text == frame_.request() || forBridge(text) ? text : frame_.request());
    }

    if (!binding_) throw FndException("RLX40 not initialized");
    int result = binding_->sendMessage(settings_.nodeNumber, text);
    if (result == Rlx40::Sent) {
        ++writeCounter_;
        timeoutCounter_ = 0;
        status_ = RunError::None;
        return true;
    }
    status_ = RunError::Write;
    setMessage("%s", result == Rlx40::Timeout          ? " TX time-out"
                     : result == Rlx40::NotInitialised ? "RLX40 not initialized"
                                                       : "Unknown error");
    if (log_) log_->log(zLogger::Error, "%s Write Error RLX40: (%d) %s", label_.c_str(), result, message_);
    ++timeoutCounter_;
    return false;
}

bool Vorn2A::readFromLink(zCommDev& link, char* buffer, std::size_t size, std::size_t& count) {
    if (auto* lanvex = dynamic_cast<zLanvexLink*>(&link)) return lanvex->readMessage(buffer, size + 1, count);
    return Vorn::readFromLink(link, buffer, size, count);
}

bool Vorn2A::takeMailbox(char* buffer, std::size_t size) {
    zLanvexLink* link = bridge();
    const char* waiting = link ? link->mailbox(settings_.nodeNumber) : nullptr;
    if (!waiting) return false;
    copyText(buffer, size, waiting);
    link->setMailbox(settings_.nodeNumber, nullptr);
    return true;
}

bool Vorn2A::requestIsForBridge() const { return forBridge(frame_.request()); }


bool Vorn2A::readTelegram(char* buffer, std::size_t size) {
    buffer[0] = '\0';
    return bridge() ? readFromBridge(buffer, size) : readFromConcentrator(buffer, size);
}

bool Vorn2A::readFromBridge(char* buffer, std::size_t size) {
    zLanvexLink& link = *bridge();
    char message[kMessageSize + 1];
    // A message for another node waits in its mailbox while this node's
    // answer, which may be right behind it, is still read.
    for (int extra = 0; extra <= kMaxExtraMessages; ++extra) {
        if (!Vorn::readTelegram(message, kMessageSize)) {
            if (!takeMailbox(buffer, size)) return false;
            status_ = RunError::None;
            return true;
        }
        if (requestIsForBridge()) {
            copyText(buffer, size, message);
            return true;
        }
        int node = static_cast<unsigned char>(message[0]);
        if (node == settings_.nodeNumber) {
            copyText(buffer, size, message + 1);
            link.setMailbox(node, nullptr);
            return true;
        }
        link.setMailbox(node, message + 1);
    }
    status_ = RunError::Timeout;
    return false;
}

bool Vorn2A::readFromConcentrator(char* buffer, std::size_t size) {
    const fnd::Deadline deadline(readTimeoutMs());
    char area[kMessageSize + 1];
    for (;;) {
        area[0] = '\0';
        int code = pollTerminal(area);
        if (code == Rlx40::Message) {
            // Another terminal's message is no answer of this one.
            if (status_ != RunError::None) break;
            area[kMessageSize] = '\0';
            copyText(buffer, size, area + 1);
            return true;
        }
        if (code != Rlx40::NothingToSend && code != Rlx40::NoAnswer) break;
        if (deadline.passed()) break;
        fnd::sleepMs(kPollPauseMs);
    }
    if (status_ == RunError::None) status_ = RunError::Timeout;
    return false;
}

int Vorn2A::pollTerminal(char* buffer) {
    if (!isConnected() && !connect()) return Rlx40::NotInitialised;
    const int node = settings_.nodeNumber;
    int code = Rlx40::NoAnswer;
    if (zLanvexLink* link = bridge()) {
        if (const char* waiting = link->mailbox(node)) {
            buffer[0] = static_cast<char>(node);
            copyText(buffer + 1, kMessageSize - 1, waiting);
            link->setMailbox(node, nullptr);
            code = Rlx40::Message;
        } else if (Vorn::readTelegram(buffer, kMessageSize - 1)) {
            int from = static_cast<unsigned char>(buffer[0]);
            if (from == node) {
                link->setMailbox(node, nullptr);
                code = Rlx40::Message;
            } else {
                link->setMailbox(from, buffer + 1);
            }
        }
        if (code != Rlx40::Message) code = link->nodePresent(node) ? Rlx40::NothingToSend : Rlx40::NoAnswer;
    } else {
        if (!binding_) throw FndException("RLX40 not initialized");
        code = binding_->pollTerminal(node, buffer);
        buffer[kMessageSize - 1] = '\0';
    }

    switch (code) {
    case Rlx40::Message:
        status_ = RunError::None;
        if (static_cast<unsigned char>(buffer[0]) != node) {
            status_ = RunError::Timeout;
            if (log_) log_->log(zLogger::Error, "%s Wrong Terminal replied: %d ", label_.c_str(), static_cast<unsigned char>(buffer[0]));
        }
        break;
    case Rlx40::NothingToSend:
    case Rlx40::NoAnswer: break;
    case Rlx40::Timeout:
        status_ = RunError::Timeout;
        if (log_) log_->log(zLogger::Error, "%s PollTerm Time-out.", label_.c_str());
        break;
    case Rlx40::NotInitialised:
        status_ = RunError::PortOpen;
        if (log_) log_->log(zLogger::Error, "%s Rlx40 not initialized", label_.c_str());
        break;
    default:
        status_ = RunError::PortOpen;
        if (log_) log_->log(zLogger::Error, "%s Rlx40 unknown error %d", label_.c_str(), code);
        break;
    }
    if (status_ == RunError::None)
        timeoutCounter_ = 0;
    else
        ++timeoutCounter_;
    return code;
}

bool Vorn2A::parseReply() {
    status_ = RunError::None;
    return true;
}

bool Vorn2A::checkReply(const TelegramCommand&) { return parseReply(); }

void Vorn2A::decodeReplyData(TelegramCommand& record) {
    if (!record.data || record.dataLength <= 0) return;
    std::size_t length = static_cast<std::size_t>(record.dataLength);
    const char* received = frame_.received();
    if (received[0] == '\0') {
        std::memset(record.data, 0, length);
        return;
    }
    std::size_t available = TelegramFrame::kBufferSize + 1;
    std::memcpy(record.data, received, length < available ? length : available);
}

bool Vorn2A::queryParameter(int number, zString& value) {
    char text[sizeof(TelegramCommand::text)];
    std::snprintf(text, sizeof text, "@CFG %d", number);
    char area[kMessageSize + 1] = {};
    TelegramCommand command(text, TelegramCommand::ReceiveData, area, kMessageSize);
    if (!sendCommand(command)) return false;
    // The concentrator may hold more of the answer; the last message counts.
    int more = 0;
    while (!bridge() && more++ < kMaxExtraMessages && pollTerminal(area) == Rlx40::Message && status_ == RunError::None) continue;
    area[kMessageSize] = '\0';
    // A polled message starts with the sender's node byte.
    const char* found = std::strstr(area[0] ? area : area + 1, text);
    if (!found) return false;
    const char* after = found + std::strlen(text);
    if (*after) ++after;
    value = after;
    return true;
}

std::int16_t Vorn2A::parameter(int number) {
    if (model() == TerminalModel::VornT2) return 0;  // VORNT2 and Brimol take no queries
    if (cacheSlot(number) < 0) return 0;
    std::int16_t cached = cachedParameter(number);
    if (cached != -1) return cached;
    zString text;
    long value = queryParameter(number, text) ? text.toLong() : 0;
    if (value < 1) value = (number == 23 || number == 46) ? 0 : 1;
    cacheParameter(number, static_cast<std::int16_t>(value));
    return static_cast<std::int16_t>(value);
}

bool Vorn2A::badgeFormat(zString& start, zString& length) {
    if (model() == TerminalModel::VornT2) return false;  // VORNT2 and Brimol take no queries
    queryParameter(7, start);
    queryParameter(8, length);
    return true;
}
