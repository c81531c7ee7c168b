#include "zXmodem.h"

#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kBarColour = 0x8000;
constexpr int kEotTries = 4;
constexpr int kCancelBytes = 5;

long msSince(Clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

zString baseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return zString(slash ? slash + 1 : path);
}

}  // namespace

zXmodem::zXmodem(zCommDev& link, zLogger& log, BREAKDLG_C* progress, Timing timing)
    : link_(link), log_(log), progress_(progress), timing_(timing), savedTerminator_(link.terminator()),
      savedReadTimeout_(link.readTimeout()), savedWriteTimeout_(link.writeTimeout()) {
    // Single-byte reads must not stop at a terminator; writes get the time
    // the line needs.
    link_.setTerminator(0);
    link_.setWriteTimeout(0);
    if (progress_) progress_->open("XMODEM");
}

zXmodem::~zXmodem() {
    file_.close();
    if (progress_) progress_->close();
    link_.setTerminator(savedTerminator_);
    link_.setReadTimeout(savedReadTimeout_);
    link_.setWriteTimeout(savedWriteTimeout_);
}

bool zXmodem::sendFile(const char* path) {
    bytesSent_ = 0;
    blockNumber_ = 0;
    failure_ = Failure::None;
    if (!file_.openRead(path)) {
        log_.log("Error open file %s", path);
        return fail(State::Failed, Failure::FileOpen);
    }
    fileSize_ = file_.size();
    fileName_ = baseName(path);
    transfer();
    file_.close();

    // A receiver left half-way is told to stop at once, whatever stopped us.
    if (state_ == State::Failed || state_ == State::FileReadError) sendCancel();
    if (state_ == State::Sending)
        log_.log("File %s inviato !", path);
    else if (state_ != State::Failed)
        log_.log("Invio file %s fallito !", path);
    return state_ == State::Sending;
}

bool zXmodem::transfer() {
    state_ = State::Sending;
    link_.purge(Purge::Both);
    if (progress_) progress_->showBar(static_cast<int>(fileSize_), kBarColour);
    if (!handshake()) {
        log_.log("Error XMODEM protocol init");
        return false;
    }
    if (progress_) {
        progress_->setText(zString::format("Invio file %s", fileName_.c_str()).c_str());
        progress_->showBar(static_cast<int>(fileSize_));
    }
    link_.setReadTimeout(timing_.byteTimeoutMs);
    if (fileSize_ < 0) return fail(State::FileReadError, Failure::FileRead);
    totalBlocks_ = (fileSize_ + kBlockSize - 1) / kBlockSize;

    for (long block = 0; block < totalBlocks_; ++block) {
        if (operatorCancelled()) return cancelByOperator();
        long left = fileSize_ - block * kBlockSize;
        const int wanted = left < kBlockSize ? static_cast<int>(left) : kBlockSize;
        int count = wanted;
        // A file that gives less than its size promised would leave the
        // terminal with a truncated image: that is a failure, not an end.
        if (!readBlock(count) || count < wanted) return fail(State::FileReadError, Failure::FileRead);
        ++blockNumber_;
        if (!sendBlock(count)) return false;
        bytesSent_ += count;
        if (progress_)
            progress_->setBar(static_cast<int>(bytesSent_),
                              zString::format("Sending block %d/%ld", blockNumber_, totalBlocks_).c_str());
    }

    // A receiver that never confirmed the end has not closed its file: the
    // image is not known to be in place.
    if (!sendEot()) return false;
    if (progress_)
        progress_->setBar(static_cast<int>(fileSize_), zString::format("File %s Inviato! ", fileName_.c_str()).c_str());
    return true;
}

bool zXmodem::readBlock(int& count) {
    std::memset(data_, 0, sizeof data_);
    int wanted = count;
    count = 0;
    file_.setLastError(0);
    while (count < wanted) {
        std::size_t got = 0;
        if (!file_.read(data_ + count, static_cast<std::size_t>(wanted - count), got) || got == 0) break;
        count += static_cast<int>(got);
    }
    state_ = file_.lastError() != 0 ? State::FileReadError : count == 0 ? State::Failed : State::Sending;
    return count > 0;
}

bool zXmodem::handshake() {
    if (progress_) {
        progress_->setText("Wait XMODEM handshake");
        progress_->showBar(timing_.handshakeMs / 1000);
    }
    link_.setReadTimeout(timing_.byteTimeoutMs);
    const auto start = Clock::now();
    int refusals = 0;
    zString prompt;
    while (msSince(start) < timing_.handshakeMs) {
        std::uint8_t byte = 0;
        if (readOne(byte)) {
            if (byte == NAK) {
                if (progress_) progress_->setText("NAK ricevuto!");
                state_ = State::Sending;
                return true;
            }
            if (byte == ACK || byte == CAN) {
                if (++refusals == 2) {
                    log_.log("Received CAN CAN while waiting initial handshake!");
                    return fail(State::Failed, Failure::ReceiverRefused);
                }
            } else if (byte != '\0' && byte != '\n' && byte != '\r') {
                prompt += static_cast<char>(byte);
                if (progress_) progress_->setText(prompt.c_str());
                // The receiver asks before it starts: the answer is yes.
                if (byte == '?') {
                    if (!link_.writeByte('y')) return fail(State::Failed, Failure::WriteFailed);
                    prompt = zString();
                }
            }
        } else if (failure_ == Failure::ReadFailed) {
            return fail(State::Failed, Failure::ReadFailed);
        }
        if (progress_) progress_->setBar(static_cast<int>(msSince(start) / 1000));
        if (operatorCancelled()) return cancelByOperator();
    }
    return fail(State::Failed, Failure::NoHandshake);
}

bool zXmodem::sendPacket(int count) {
    packet_[0] = SOH;
    packet_[1] = static_cast<std::uint8_t>(blockNumber_ & 0xFF);
    packet_[2] = static_cast<std::uint8_t>(~packet_[1]);
    std::uint8_t* data = packet_ + 3;
    std::memcpy(data, data_, static_cast<std::size_t>(count));
    std::memset(data + count, 0, static_cast<std::size_t>(kBlockSize - count));  // padding
    std::uint8_t sum = 0;
    for (int i = 0; i < kBlockSize; ++i) sum = static_cast<std::uint8_t>(sum + data[i]);
    packet_[kPacketSize - 1] = sum;
    link_.purge(Purge::Both);
    std::size_t written = 0;
    return link_.write(packet_, kPacketSize, written) && written == kPacketSize;
}

bool zXmodem::waitAnswer(std::uint8_t& answer) {
    state_ = State::AnswerTimedOut;
    answer = 0;
    int cancels = 0;
    const auto start = Clock::now();
    while (msSince(start) < timing_.answerMs) {
        if (operatorCancelled()) return cancelByOperator();
        std::uint8_t byte = 0;
        if (!readOne(byte)) {
            if (failure_ == Failure::ReadFailed) return fail(State::Failed, Failure::ReadFailed);
            continue;
        }
        if (byte == ACK) {
            answer = byte;
            state_ = State::Sending;
            return true;
        }
        if (byte == NAK) {
            answer = byte;
            state_ = State::Failed;
            return false;
        }
        if (byte == CAN && ++cancels == 2) {
            answer = byte;
            log_.log("Received CAN CAN while waiting on ACK/NAK");
            state_ = State::CancelledByReceiver;
            return false;
        }
    }
    state_ = State::AnswerTimedOut;
    return false;
}

bool zXmodem::sendBlock(int count) {
    int retriesLeft = kRetries;
    state_ = State::Sending;
    for (;;) {
        if (state_ != State::AnswerTimedOut && !sendPacket(count)) {
            log_.log("Error SendPacket !");
            return fail(State::Failed, Failure::WriteFailed);
        }
        std::uint8_t answer = 0;
        if (waitAnswer(answer)) return true;
        if (failure_ == Failure::ReadFailed || failure_ == Failure::OperatorCancel) return false;
        if (state_ == State::CancelledByReceiver) {
            log_.log("Trasmissione cancellata da receiver");
            failure_ = Failure::ReceiverCancelled;
            return false;
        }
        if (retriesLeft == 0)
            return fail(State::Failed, state_ == State::AnswerTimedOut ? Failure::NoAnswer : Failure::NotAcknowledged);
        --retriesLeft;
        if (answer != 0) {
            zString what = answer == NAK ? zString("NAK") : zString::format("%#X", answer);
            log_.log("Retransmissione packeto nr. %d. Ricevuto %s", blockNumber_, what.c_str());
        } else {
            log_.log("packeto nr. %d. Timeout waiting NAK", blockNumber_);
        }
    }
}

// A lost end and a refused one are alike to the sender: both are tried
// again, up to kEotTries in all. The answer is given as long as a block's:
// a receiver that spoiled the end waits for a quiet line before it asks
// again, and a quicker repeat would never let it see one.
bool zXmodem::sendEot() {
    state_ = State::Sending;
    for (int attempt = 0; attempt < kEotTries; ++attempt) {
        if (!link_.writeByte(static_cast<char>(EOT))) return fail(State::Failed, Failure::WriteFailed);
        std::uint8_t byte = 0;
        if (readWithin(timing_.answerMs, byte)) {
            if (byte == ACK) return true;
            link_.purge(Purge::Both);
        } else if (failure_ == Failure::ReadFailed) {
            return fail(State::Failed, Failure::ReadFailed);
        } else if (failure_ == Failure::OperatorCancel) {
            return false;
        }
    }
    return fail(State::Failed, Failure::EndNotAcknowledged);
}

void zXmodem::sendCancel() {
    std::uint8_t sequence[2 * kCancelBytes];
    std::memset(sequence, CAN, kCancelBytes);
    std::memset(sequence + kCancelBytes, BS, kCancelBytes);
    std::size_t written = 0;
    link_.write(sequence, sizeof sequence, written);
}

bool zXmodem::readOne(std::uint8_t& byte) {
    link_.setLastError(0);
    char c = 0;
    if (link_.readByte(c)) {
        byte = static_cast<std::uint8_t>(c);
        return true;
    }
    if (link_.lastError() != 0 || !link_.isOpen()) failure_ = Failure::ReadFailed;
    return false;
}

bool zXmodem::readWithin(int ms, std::uint8_t& byte) {
    const auto start = Clock::now();
    while (msSince(start) < ms) {
        if (operatorCancelled()) return cancelByOperator();
        if (readOne(byte)) return true;
        if (failure_ == Failure::ReadFailed) return false;
    }
    return false;
}

bool zXmodem::fail(State state, Failure failure) {
    state_ = state;
    failure_ = failure;
    return false;
}

bool zXmodem::operatorCancelled() { return progress_ && progress_->pump(); }

bool zXmodem::cancelByOperator() {
    log_.log("Trasmissione cancellata dall'utente");
    return fail(State::Failed, Failure::OperatorCancel);
}
