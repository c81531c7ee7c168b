#pragma once
// The answering side of a Hayes modem on a serial line: the AT command
// dialogue, dialling with CONNECT, BUSY or NO CARRIER, the "+++" escape,
// and once connected either the terminals behind it or, when the number
// dialled is the time service's, a stream of time code lines.
// No I/O here: bytes and the time come in, bytes to send go out.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornsim {

class HayesModem {
public:
    using Clock = std::chrono::steady_clock;

    struct Config {
        std::string timeServiceNumber;
        int timeServiceOffset = 0;      // seconds added to the host clock
        int timeServiceIntervalMs = 1000;
        int timeServiceJunkLines = 0;   // lines that are not time codes, sent first
        int busyCalls = 0;              // the first calls answer BUSY
        int failedCalls = 0;            // then these answer NO CARRIER
        int connectDelayMs = 100;
        int commandReplyDelayMs = 0;    // before the echo and result of a command
        int dropDelayMs = 0;            // from a dropped call to its NO CARRIER
        int baud = 0;                   // shown in CONNECT when set
    };

    enum class Mode { Command, Dialling, Terminals, TimeService };

    struct Output {
        std::string toLine;             // bytes for the PC
        std::string toTerminals;        // online bytes for the terminals behind
        std::vector<std::string> log;   // what happened, for the wire log
    };

    explicit HayesModem(Config config) : config_(std::move(config)) {}

    void receive(std::string_view bytes, Clock::time_point now, Output& out);
    // Finishes a dial and sends time code lines when they are due.
    void tick(Clock::time_point now, Output& out);
    std::optional<Clock::time_point> nextDeadline() const;
    // The call ends from the far side: "NO CARRIER", back to commands, after
    // the drop delay; until then what the PC sends reaches nobody.
    void dropCarrier(Clock::time_point now, Output& out);
    int commandReplyDelayMs() const { return config_.commandReplyDelayMs; }

    Mode mode() const { return mode_; }
    bool online() const { return online_; }

private:
    void commandLine(const std::string& line, Clock::time_point now, Output& out);
    void result(int code, const std::string& words, Output& out);
    void hangUp();
    void endCall(Output& out);

    Config config_;
    Mode mode_ = Mode::Command;
    bool online_ = false;           // data flows (not escaped to commands)
    bool callUp_ = false;
    bool echo_ = true, quiet_ = false, verbose_ = true;
    std::string lineBuffer_;
    std::string dialled_;
    Clock::time_point dialDone_{};
    Clock::time_point nextTimeCode_{};
    Clock::time_point lastByte_{};
    std::optional<Clock::time_point> dropAt_;  // the far end is gone; NO CARRIER then
    int junkSent_ = 0;
    int plusCount_ = 0;
};

}  // namespace vornsim
