#pragma once
// The telegram family's server on the shared channel loop: a TCP listener
// per bridge endpoint and its clients, plain pseudo-terminals and
// pseudo-terminals with a Hayes modem in front. Every endpoint serves a set
// of nodes; a terminal answers only telegrams addressed to it. Replies can
// be paced to the real transmission time of each byte.
#include "ChannelLoop.h"
#include "FaultPlan.h"
#include "HayesModem.h"
#include "LineEndpoint.h"
#include "Telegram.h"
#include "TerminalState.h"
#include "WireLog.h"
#include "XmodemReceiver.h"

#include <memory>
#include <optional>
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

class Server : public ChannelLoop {
public:
    Server(std::vector<Terminal>& terminals, ServerConfig config, FaultPlan& faults, WireLog& log);

    struct TelegramChannel;

private:
    bool openEndpoints(std::string& error) override;
    std::unique_ptr<Channel> accepted(const Channel& listener) override;
    void received(Channel& ch, std::string_view bytes) override;
    void tick(Channel& ch) override;
    std::optional<Clock::time_point> deadline(const Channel& ch) const override;

    void feedTelegrams(TelegramChannel& ch, std::string_view bytes);
    void feedLines(TelegramChannel& ch, std::string_view bytes);
    std::unique_ptr<LineEndpoint> lineEndpoint(LineEndpoint::Kind kind, const TelegramChannel& ch);
    void handleTelegram(TelegramChannel& ch, const std::string& frame);
    // Fresh punches that --add-records stores after this request.
    void addRecordsAfter(TelegramChannel& ch, int number, const std::string& text, Terminal& term);
    // --drop: the connection closes, or the modem loses the call.
    void dropCall(TelegramChannel& ch, Clock::time_point now);
    void queueStrayReply(TelegramChannel& ch, const Request& req, const ReplyParts& parts, Clock::time_point notBefore,
                         const std::string& id);
    // After "GL,UP" the line carries XMODEM until the transfer is over.
    void startXmodem(TelegramChannel& ch);
    void feedXmodem(TelegramChannel& ch, std::string_view bytes);
    void xmodemOutput(TelegramChannel& ch, const XmodemReceiver::Output& out);
    Terminal* terminalFor(const TelegramChannel& ch, int node);
    std::string nodeList(const ServerConfig::Endpoint& ep) const;

    std::vector<Terminal>& terminals_;
    ServerConfig config_;
    FaultPlan& faults_;
    int requests_ = 0;
};

}  // namespace vornsim
