#pragma once
// Cuts a byte stream into request telegrams (SOH .. EOT). Bytes outside a
// telegram are reported as noise, a telegram that grows past 1024 bytes is
// refused, and on a bridge endpoint the node-status query "////Z" is picked
// out of the bytes between telegrams.
#include <string>
#include <string_view>
#include <vector>

namespace vornsim {

struct FramerEvent {
    enum Kind { Telegram, Noise, Oversize, BridgeQuery } kind;
    std::string bytes;  // for Oversize: the first 1024 bytes only
};

class TelegramFramer {
public:
    explicit TelegramFramer(bool bridgeCommands) : bridgeCommands_(bridgeCommands) {}

    std::vector<FramerEvent> feed(std::string_view bytes);
    bool inTelegram() const { return state_ == State::InFrame; }

private:
    enum class State { Idle, InFrame, Skipping };
    void flushNoise(std::vector<FramerEvent>& out);

    bool bridgeCommands_;
    State state_ = State::Idle;
    std::string frame_;
    std::string noise_;
};

}  // namespace vornsim
