#pragma once
// The simulators' single-threaded poll loop, the same for both terminal
// families: TCP listeners and their clients, plain pseudo-terminals (a
// serial line or RS485 bus) and pseudo-terminals with a Hayes modem in
// front, and the pacing of what goes out on each. A family opens its
// endpoints, says what its terminals make of the bytes that arrive, and
// queues their replies on the channel.
#include "HayesModem.h"
#include "WireLog.h"

#include <chrono>
#include <csignal>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornsim {

class ChannelLoop {
public:
    using Clock = std::chrono::steady_clock;

    struct Settings {
        Clock::duration byteTime{};  // what each byte costs on the line; zero: no pacing
        HayesModem::Config modem;    // for the modem channels
        std::string modemTxLog;      // the wire-log entry of what a modem sends; empty: none
    };

    // Bytes waiting for the line; `log` is written when the last byte is out.
    struct Chunk {
        std::string bytes;
        Clock::time_point notBefore;
        Clock::duration gap{};  // quiet time after the previous chunk
        std::string log;
        std::size_t pos = 0;
        bool started = false;
        Clock::time_point start{};
    };

    // A family derives its own channel type; every channel of a loop is of it.
    struct Channel {
        enum Kind { Listener, Client, Pty, Modem } kind = Listener;
        int fd = -1;
        int slaveFd = -1;  // held open so the master never sees a hang-up
        std::string name;
        std::string path;
        std::unique_ptr<HayesModem> modem;
        std::deque<Chunk> out;
        Clock::time_point lineFree{};
        bool blocked = false;  // the last write would have blocked
        bool closed = false;

        virtual ~Channel() = default;
    };

    ChannelLoop(WireLog& log, Settings settings);
    virtual ~ChannelLoop();
    ChannelLoop(const ChannelLoop&) = delete;
    ChannelLoop& operator=(const ChannelLoop&) = delete;

    bool start(std::string& error);
    // "TCP <port> <served>", "PTY <served> <path>", "MODEM <served> <path>", then "READY [tcp=<port>,...]".
    const std::vector<std::string>& readyLines() const { return ready_; }
    // Serves until `stop` is set by a signal; `unblocked` is the signal mask used while waiting.
    void run(const sigset_t& unblocked, const volatile std::sig_atomic_t& stop);

protected:
    // Opens the family's endpoints with listen() and openPty().
    virtual bool openEndpoints(std::string& error) = 0;
    // A client of `listener` connected: a channel of the family's type for it.
    virtual std::unique_ptr<Channel> accepted(const Channel& listener) = 0;
    // Bytes for the terminals, as read off the line or passed on by the modem.
    virtual void received(Channel& ch, std::string_view bytes) = 0;
    // Work a channel has when time passes, and when it is next due.
    virtual void tick(Channel&) {}
    virtual std::optional<Clock::time_point> deadline(const Channel&) const { return std::nullopt; }

    // A TCP listener on `address`:`port` (0: a free port), named "tcp:<port>".
    // `served` names its terminals in the ready line. Null, with `error` set, when it cannot listen.
    Channel* listen(std::unique_ptr<Channel> ch, const std::string& address, int port, const std::string& served,
                    std::string& error);
    // A pseudo-terminal, named "pty<index>" or "modem<index>" by its kind.
    Channel* openPty(std::unique_ptr<Channel> ch, Channel::Kind kind, int index, const std::string& served,
                     std::string& error);
    void closeChannel(Channel& ch, const std::string& why);
    // Closes a TCP connection so that the peer sees it reset.
    void resetChannel(Channel& ch);
    // Writes what the line may carry by now.
    void flush(Channel& ch);
    Clock::duration byteTime() const { return settings_.byteTime; }

    WireLog& log_;

private:
    void accept(Channel& listener);
    void readFrom(Channel& ch);
    void modemOutput(Channel& ch, const HayesModem::Output& out, Clock::time_point sendAt);
    std::optional<Clock::time_point> nextWake(const Channel& ch) const;

    Settings settings_;
    std::vector<std::unique_ptr<Channel>> channels_;
    std::vector<std::string> ready_;
    int clients_ = 0;
};

}  // namespace vornsim
