#pragma once
// The simulator's single-threaded poll loop: a TCP listener per bridge
// endpoint and its clients, plain pseudo-terminals (a serial line or RS485
// bus), and pseudo-terminals with a Hayes modem in front. Every endpoint
// serves a set of nodes; a terminal answers only telegrams addressed to it.
// Replies can be paced to the real transmission time of each byte.
#include "FaultPlan.h"
#include "HayesModem.h"
#include "LineEndpoint.h"
#include "TerminalState.h"
#include "WireLog.h"
#include "XmodemReceiver.h"

#include <csignal>
#include <memory>
#include <string>
#include <vector>

namespace vornsim {

struct ServerConfig {
    struct Endpoint {
        int port = 0;            // TCP only; 0 picks a free port
        std::vector<int> nodes;  // empty: every terminal of the line
        std::string line;        // which terminals' line this endpoint is
        bool lineProtocol = false;  // a bridge or concentrator of the line-protocol models
    };
    std::string bindAddress = "127.0.0.1";
    std::vector<Endpoint> tcp;
    std::vector<Endpoint> ptys;
    std::vector<Endpoint> modems;
    HayesModem::Config modem;
    int baud = 0;          // 0: no pacing
    int replyDelayMs = 0;  // the terminal's own time to answer
    int lateGapMs = 20;    // between a late old reply and the right one
    int bareLineGapMs = 0;  // bridge: >0 sends answer lines without line ends, this far apart
    std::uint32_t seed = 1;
    std::vector<UnsolicitedLine> unsolicited;
    XmodemReceiver::Config xmodem;  // how a terminal takes firmware after "GL,UP"
    std::string firmwareOut;        // where a complete firmware image is written
};

class Server {
public:
    Server(std::vector<Terminal>& terminals, ServerConfig config, FaultPlan& faults, WireLog& log);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool start(std::string& error);
    // "TCP <port> <nodes>", "PTY <nodes> <path>", "MODEM <nodes> <path>", then "READY ...".
    std::vector<std::string> readyLines() const;
    // Serves until `stop` is set by a signal; `unblocked` is the signal mask used while waiting.
    void run(const sigset_t& unblocked, const volatile std::sig_atomic_t& stop);

    struct Channel;

private:
    void accept(Channel& listener);
    void readFrom(Channel& ch);
    void feedTelegrams(Channel& ch, std::string_view bytes);
    void feedLines(Channel& ch, std::string_view bytes);
    std::unique_ptr<LineEndpoint> lineEndpoint(LineEndpoint::Kind kind, const Channel& ch);
    void handleTelegram(Channel& ch, const std::string& frame);
    void flush(Channel& ch);
    // After "GL,UP" the line carries XMODEM until the transfer is over.
    void startXmodem(Channel& ch);
    void feedXmodem(Channel& ch, std::string_view bytes);
    void xmodemOutput(Channel& ch, const XmodemReceiver::Output& out);
    void closeChannel(Channel& ch, const char* why);
    Terminal* terminalFor(const Channel& ch, int node);
    std::string nodeList(const ServerConfig::Endpoint& ep) const;

    std::vector<Terminal>& terminals_;
    ServerConfig config_;
    FaultPlan& faults_;
    WireLog& log_;
    std::vector<std::unique_ptr<Channel>> channels_;
    std::vector<std::string> ready_;
    int requests_ = 0;
    int clients_ = 0;
};

}  // namespace vornsim
