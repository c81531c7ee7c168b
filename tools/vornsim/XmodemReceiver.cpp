#include "XmodemReceiver.h"

namespace vornsim {
namespace {

constexpr char SOH = 0x01, EOT = 0x04, ACK = 0x06, NAK = 0x15, CAN = 0x18;
// A block that stops coming half-way is dropped and asked for again.
constexpr auto kBlockTimeout = std::chrono::seconds(1);

}  // namespace

void XmodemReceiver::start(Clock::time_point now, Output& out) {
    out.notBefore = now;
    out.log.push_back("XMODEM START");
    phase_ = config_.behaviour == Behaviour::Prompt ? Phase::AwaitingYes : Phase::Starting;
    // The sender clears its line before it listens: the first call comes a little later.
    nextNak_ = now + std::chrono::milliseconds(config_.startDelayMs);
}

void XmodemReceiver::receive(std::string_view bytes, Clock::time_point now, Output& out) {
    out.notBefore = now;
    for (char c : bytes) {
        if (phase_ == Phase::Finished) return;
        if (phase_ == Phase::AwaitingYes) {
            if (c != 'y') continue;
            out.log.push_back("XMODEM answered y");
            phase_ = Phase::Starting;
            callForStart(now, out);
            continue;
        }
        if (pending_.empty()) packetStart_ = now;
        pending_ += c;
        while (!pending_.empty() && phase_ != Phase::Finished) {
            char first = pending_[0];
            if (first == SOH) {
                if (pending_.size() < kPacket) break;
                answerPacket(now, out);
                continue;
            }
            pending_.erase(0, 1);
            if (first == CAN) {
                if (++cancels_ == 2) finish(false, "cancelled by the sender", out);
                continue;
            }
            cancels_ = 0;
            if (first == EOT) {
                say(ACK, out);
                finish(true, "EOT after " + std::to_string(blocks_) + " blocks, " + std::to_string(image_.size()) + " bytes", out);
            }
            // Anything else between blocks is line noise.
        }
    }
}

void XmodemReceiver::answerPacket(Clock::time_point now, Output& out) {
    cancels_ = 0;
    phase_ = Phase::Receiving;
    const auto block = static_cast<unsigned char>(pending_[1]);
    const auto complement = static_cast<unsigned char>(pending_[2]);
    std::string data = pending_.substr(3, kBlock);
    unsigned sum = 0;
    for (char c : data) sum += static_cast<unsigned char>(c);
    const bool sound = complement == 255 - block && static_cast<unsigned char>(pending_[kPacket - 1]) == (sum & 0xFF);
    pending_.erase(0, kPacket);
    // The answer cannot leave before the whole block has come down the line.
    out.notBefore = std::max(now, packetStart_ + std::chrono::nanoseconds(config_.byteTimeNs * static_cast<long>(kPacket)));
    const std::string which = "XMODEM block " + std::to_string(block);

    switch (config_.behaviour) {
    case Behaviour::Silent: out.log.push_back(which + " not answered"); return;
    case Behaviour::NakStorm:
        say(NAK, out);
        out.log.push_back(which + " NAK (storm)");
        return;
    case Behaviour::CancelAfter:
        if (blocks_ >= config_.cancelAfter) {
            out.toLine += std::string(2, CAN);
            finish(false, "cancelled by the terminal at " + which, out);
            return;
        }
        break;
    default: break;
    }

    const unsigned expected = static_cast<unsigned>(blocks_ + 1) & 0xFF;
    if (!sound) {
        say(NAK, out);
        out.log.push_back(which + " NAK: bad check");
    } else if (block == expected) {
        image_ += data;
        ++blocks_;
        say(ACK, out);
        out.log.push_back(which + " ACK");
    } else if (block == (static_cast<unsigned>(blocks_) & 0xFF)) {
        say(ACK, out);
        out.log.push_back(which + " ACK: repeat of the last one");
    } else {
        out.toLine += std::string(2, CAN);
        finish(false, which + " out of sequence, expected " + std::to_string(expected), out);
    }
}

void XmodemReceiver::tick(Clock::time_point now, Output& out) {
    out.notBefore = now;
    if (phase_ == Phase::Finished) return;
    if (!pending_.empty() && now - packetStart_ >= kBlockTimeout) {
        // A sender that gave up cuts its block short and cancels.
        if (pending_.find(std::string(2, CAN)) != std::string::npos) {
            finish(false, "cancelled by the sender", out);
            return;
        }
        out.log.push_back("XMODEM NAK: block incomplete after " + std::to_string(pending_.size()) + " bytes");
        pending_.clear();
        say(NAK, out);
    }
    if (phase_ == Phase::Receiving || config_.behaviour == Behaviour::Silent || now < nextNak_) return;
    if (startNaks_ >= config_.startNaks) {
        finish(false, "no block after " + std::to_string(startNaks_) + " calls", out);
        return;
    }
    callForStart(now, out);
}

void XmodemReceiver::callForStart(Clock::time_point now, Output& out) {
    ++startNaks_;
    nextNak_ = now + std::chrono::milliseconds(config_.nakIntervalMs);
    if (phase_ == Phase::AwaitingYes) {
        out.toLine += kPrompt;
    } else if (config_.behaviour == Behaviour::CanCan) {
        out.toLine += std::string(2, CAN);
        out.log.push_back("XMODEM CAN CAN instead of the start");
    } else {
        say(NAK, out);
    }
}

std::optional<XmodemReceiver::Clock::time_point> XmodemReceiver::nextDeadline() const {
    if (phase_ == Phase::Finished) return std::nullopt;
    if (!pending_.empty()) return packetStart_ + kBlockTimeout;
    if (phase_ != Phase::Receiving && config_.behaviour != Behaviour::Silent) return nextNak_;
    return std::nullopt;
}

void XmodemReceiver::finish(bool complete, const std::string& why, Output& out) {
    phase_ = Phase::Finished;
    complete_ = complete;
    pending_.clear();
    out.log.push_back(std::string(complete ? "XMODEM END " : "XMODEM ABORT ") + why);
}

bool parseXmodemBehaviour(const std::string& text, XmodemReceiver::Config& config) {
    using B = XmodemReceiver::Behaviour;
    static const std::pair<const char*, B> kNames[] = {
        {"normal", B::Normal}, {"prompt", B::Prompt}, {"nak-storm", B::NakStorm}, {"can-can", B::CanCan}, {"silent", B::Silent}};
    for (const auto& [name, behaviour] : kNames)
        if (text == name) {
            config.behaviour = behaviour;
            return true;
        }
    const std::string prefix = "cancel-after:";
    if (text.rfind(prefix, 0) != 0 || text.size() == prefix.size()) return false;
    int k = 0;
    for (char c : text.substr(prefix.size())) {
        if (c < '0' || c > '9' || k > 100000) return false;
        k = k * 10 + (c - '0');
    }
    config.behaviour = B::CancelAfter;
    config.cancelAfter = k;
    return true;
}

}  // namespace vornsim
