#pragma once
// A terminal taking a firmware image by XMODEM (128-byte blocks, 8-bit
// checksum) after it accepted "GL,UP": NAKs until the first block, ACKs
// each good block, NAKs a damaged one, ends on EOT or on the sender's
// cancel. For the tests it can also misbehave in ways a sound receiver
// would not: a question before the start, NAK to every block, CAN CAN,
// silence.
// No I/O here: bytes and the time come in, bytes to send go out.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornsim {

class XmodemReceiver {
public:
    using Clock = std::chrono::steady_clock;

    enum class Behaviour {
        Normal,
        Prompt,       // asks "Aggiornamento firmware?" and waits for 'y' before its NAK
        NakStorm,     // NAKs every block
        CanCan,       // calls CAN CAN instead of NAK
        CancelAfter,  // CAN CAN in answer to the block after `cancelAfter` good ones
        Silent,       // never says anything
    };

    struct Config {
        Behaviour behaviour = Behaviour::Normal;
        int cancelAfter = 0;
        int startDelayMs = 100;    // before the first call for the start
        int nakIntervalMs = 1000;  // between the calls for the start
        int startNaks = 10;        // then it gives up
        long byteTimeNs = 0;       // line time of one byte
    };

    struct Output {
        std::string toLine;
        Clock::time_point notBefore{};  // an answer leaves once its block has come down the line
        std::vector<std::string> log;   // what happened, for the wire log
    };

    static constexpr std::size_t kBlock = 128;
    static constexpr std::size_t kPacket = kBlock + 4;
    static constexpr const char* kPrompt = "\r\nAggiornamento firmware?";

    explicit XmodemReceiver(Config config) : config_(config) {}

    // The terminal is ready; its first call for a block is due shortly.
    void start(Clock::time_point now, Output& out);
    void receive(std::string_view bytes, Clock::time_point now, Output& out);
    // Calls for the start (NAK, or the question) until a block comes.
    void tick(Clock::time_point now, Output& out);
    std::optional<Clock::time_point> nextDeadline() const;

    // The transfer is over: ended, cancelled by either side.
    bool finished() const { return phase_ == Phase::Finished; }
    // True when it ended with EOT after every block was taken.
    bool complete() const { return complete_; }
    const std::string& image() const { return image_; }
    int blocks() const { return blocks_; }

private:
    enum class Phase { AwaitingYes, Starting, Receiving, Finished };

    void answerPacket(Clock::time_point now, Output& out);
    void say(char byte, Output& out) { out.toLine += byte; }
    void finish(bool complete, const std::string& why, Output& out);
    // The NAK that asks for the first block (or the question, or the refusal).
    void callForStart(Clock::time_point now, Output& out);

    Config config_;
    Phase phase_ = Phase::Starting;
    std::string pending_;
    std::string image_;
    int blocks_ = 0;
    int startNaks_ = 0;
    int cancels_ = 0;  // CAN bytes in a row from the sender
    bool complete_ = false;
    Clock::time_point nextNak_{};
    Clock::time_point packetStart_{};
};

// "normal", "prompt", "nak-storm", "can-can", "cancel-after:K" or "silent".
bool parseXmodemBehaviour(const std::string& text, XmodemReceiver::Config& config);

}  // namespace vornsim
