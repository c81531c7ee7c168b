#pragma once
// Where the line-protocol terminals (models 6 and 7) are reached: behind an
// Ethernet bridge, or behind a concentrator on a serial line.
//
// Bridge (one TCP client): each received chunk is one request, a node byte
// followed by the command text; a chunk beginning with "////" is for the
// bridge ("////Z": "Z", 32 node-status characters, EOT). Every answer line
// goes back as the sender's node byte, the text and CR LF.
//
// Concentrator (a pseudo-terminal): the framed protocol of our driver,
// described in src/rlx40c/RLX40C.h. Sent texts are answered into a mailbox
// per node; polls take one line at a time.
#include "FaultPlan.h"
#include "TerminalState.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vornsim {

// A line the network delivers for `node` on its own, before the answer to
// the requests `when` selects (the mailboxes of the tool take it).
struct UnsolicitedLine {
    int node = 0;
    std::string text;
    FaultSelector when;
};
// "NODE:TEXT@SEL"
bool parseUnsolicitedLine(const std::string& entry, UnsolicitedLine& out);

class LineEndpoint {
public:
    enum Kind { Bridge, Concentrator };
    struct Setup {
        std::vector<Terminal>* terminals = nullptr;
        std::string line;
        std::vector<int> nodes;  // empty: every terminal of the line
        FaultPlan* faults = nullptr;
        int* requests = nullptr;  // shared request counter of the simulator
        const std::vector<UnsolicitedLine>* unsolicited = nullptr;
        bool bareLines = false;  // bridge: answer lines go one by one, without line ends
        std::uint32_t seed = 1;  // for records added by the fault plan
    };
    struct Output {
        std::string reply;
        std::vector<std::string> bareLines;  // sent one at a time, apart, after reply
        std::vector<std::pair<std::string, std::string>> log;  // entry, raw bytes
        bool drop = false;
    };

    LineEndpoint(Kind kind, Setup setup) : kind_(kind), setup_(std::move(setup)) {}
    Output receive(std::string_view bytes);

private:
    struct Message {
        int sender;
        std::string text;
    };
    Terminal* terminalFor(int node);
    std::string nodeStatus();
    // The answer lines of one request, with faults applied; false: no answer.
    bool answer(int node, const std::string& text, Output& out, std::vector<Message>& lines);
    void bridgeRequest(std::string_view chunk, Output& out);
    void concentratorFrame(char kind, int node, const std::string& payload, Output& out);
    void sendFrame(char kind, int node, const std::string& payload, Output& out);

    Kind kind_;
    Setup setup_;
    std::string input_;
    std::map<int, std::deque<Message>> outbox_;
};

}  // namespace vornsim
