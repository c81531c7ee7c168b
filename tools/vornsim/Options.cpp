#include "Options.h"

#include "LineOptions.h"
#include "TerminalTime.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace vornsim {

bool toInt(const std::string& s, long min, long max, long& out) {
    try {
        std::size_t used = 0;
        long v = std::stol(s, &used, 10);
        if (used != s.size() || v < min || v > max) return false;
        out = v;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

namespace {

// "all" or "1,2,5"; an empty list means every terminal.
// Cuts a trailing "@LINE" off `text`.
std::string takeLine(std::string& text) {
    auto at = text.rfind('@');
    if (at == std::string::npos) return {};
    std::string line = text.substr(at + 1);
    text.resize(at);
    return line;
}

bool parseNodes(const std::string& text, std::vector<int>& nodes) {
    nodes.clear();
    if (text == "all") return true;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t comma = text.find(',', at);
        long v;
        if (!toInt(text.substr(at, comma - at), 1, 99, v)) return false;
        nodes.push_back(static_cast<int>(v));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return !nodes.empty();
}

const std::map<std::string, Fault> kFaultOptions = {
    {"--no-reply", Fault::NoReply},     {"--bad-crc", Fault::BadChecksum}, {"--noise", Fault::Noise},
    {"--wrong-dest", Fault::WrongDestination}, {"--warn", Fault::Warning}, {"--error", Fault::Error},
    {"--late", Fault::LateReply},       {"--drop", Fault::Drop},           {"--stray", Fault::StrayReply},
    {"--short-data", Fault::ShortData}, {"--control-text", Fault::ControlText},
    {"--garbage-line", Fault::GarbageLine}, {"--endless-dump", Fault::EndlessDump}};

}  // namespace

const char* usageText() {
    return R"(Usage: vornsim [options]
Simulates telegram terminals (models VORN1, VORN2, VORN3, VORN-L, VORN2C,
VORN2B) on TCP (as an Ethernet bridge), on pseudo-terminals and behind a
Hayes modem. Prints one line per endpoint on standard output, then READY:
  TCP <port> <nodes>      PTY <nodes> <path>      MODEM <nodes> <path>
  READY [tcp=<port>[,<port>...]]
SIGTERM or SIGINT ends it (and saves --state-out).
"vornsim --family qz --help" tells the options of the QZ-family terminals.

Terminals:
  --terminal NODE[:MODEL[:FORMAT]][@LINE]  add a terminal; MODEL by name or
                          code (default VORN1); FORMAT US, UM or EM for
                          employees; LINE names the line it sits on, so that
                          separate lines may reuse node numbers
  --state FILE            load terminals from a JSON state file
  --state-out FILE        save the terminals' state there on exit
  --records N             generate N stored punches per terminal
  --employees N           generate N employees per terminal
  --jobs N                generate N job records (VORN2C)
  --recoverable N         generate N recoverable punches (VORN-L)
  --seed S                seed of the generated data (default 1)
  --password TEXT         log-on password every terminal expects ("OPEN")
  --clock "YYYY-MM-DD HH:MM:SS"  start the terminals' clocks at this time

Endpoints (at least one):
  --tcp PORT[:NODES][@LINE]  listen on PORT (0: a free port); NODES like
                          1,2,5; every endpoint serves the terminals of its
                          LINE (none given: the terminals without one)
  --port PORT[:NODES][@LINE]  the same as --tcp
  --bridge PORT[:NODES][@LINE]  an Ethernet bridge of line-protocol terminals
                          (VORNT2, VORNT3): node byte, text, "////Z"
  --concentrator NODES|all[@LINE]  a pseudo-terminal with a concentrator of
                          line-protocol terminals (our driver's framing)
  --cfg NODE:N=V[,N=V...]  "@CFG N" values of a line-protocol terminal
                          (defaults 7=4, 8=11, 23=0, 31=1, others 0)
  --unsolicited NODE:TEXT@SEL  the bridge delivers TEXT from NODE before
                          answering the requests SEL selects
  --bind ADDRESS          address to listen on (default 127.0.0.1)
  --pty NODES|all[@LINE]  a pseudo-terminal serving those nodes
  --modem NODES|all[@LINE]  a pseudo-terminal with a Hayes modem, nodes behind
  --time-service NUMBER   dialling this number reaches the time service
  --time-service-offset S seconds the time service is ahead of the host
  --time-service-interval MS  between time code lines (default 1000)
  --time-service-junk N   send N lines that are not time codes first
  --modem-busy N          the first N calls answer BUSY
  --modem-no-carrier N    the next N calls answer NO CARRIER
  --modem-connect-ms MS   time from ATD to the result (default 100)
  --modem-reply-ms MS     time before the modem echoes and answers a command
  --modem-drop-ms MS      time from a dropped call (--drop) to its NO CARRIER

Line:
  --baud B                each byte costs 10/B seconds, both ways
  --reply-delay MS        the terminal's own time before answering
  --late-gap MS           pause between a late reply and the right one (20)

Faults; SEL is a request number N (Nth telegram received by a served
terminal, from 1), a command text ("RE,DE"), a prefix ("RE,GE,*") or *.
Each may be given several times:
  --no-reply SEL          no answer (the request is lost, nothing is done)
  --bad-crc SEL           reply with a wrong checksum
  --noise SEL             noise bytes before the reply's SOH
  --wrong-dest SEL        reply addressed to a node instead of the PC
  --warn SEL | --error SEL  answer 'W' or 'E' instead of acting
  --late SEL              send a reply with the previous sequence number first
  --drop SEL              close the connection (TCP) or the call (modem)
  --stray SEL             another node on the same endpoint answers the same
                          request, with its sequence number, first
  --short-data SEL        the reply carries STX but no data
  --control-text SEL      answer 'W' with CR, LF and control bytes in its data
  --garbage-line SEL      (line models) the first line of a dump is garbled
  --endless-dump SEL      (line models) a dump goes on with 100000 more lines
                          and never ends
  --bare-lines MS         (bridge) answer lines go without line ends, MS apart
  --add-records K[@SEL]   add K records after the first SEL (default RE,NR)

Firmware upgrade: after "GL,UP" a VORN-L takes an image by XMODEM.
  --firmware-out FILE     write a completely received image there
  --xmodem MODE           how it receives: normal; prompt (asks
                          "Aggiornamento firmware?" and waits for 'y');
                          nak-storm (NAK to every block); can-can (CAN CAN
                          instead of the start); cancel-after:K (CAN CAN
                          after K good blocks); silent
  --xmodem-nak-ms MS      between its calls for the start (default 1000)
  --xmodem-start-ms MS    from "GL,UP" to its first call (default 100)

  --wire-log FILE         one line per request, reply and refused input
  --help                  this text
)";
}

bool parseTerminalOption(const std::string& fullOption, Terminal& t, std::string& error) {
    std::string entry = fullOption;
    std::string line = takeLine(entry);
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (true) {
        std::size_t colon = entry.find(':', at);
        parts.push_back(entry.substr(at, colon - at));
        if (colon == std::string::npos) break;
        at = colon + 1;
    }
    long node;
    if (parts.size() > 3 || !toInt(parts[0], 1, 99, node)) {
        error = "bad terminal \"" + fullOption + "\": want NODE[:MODEL[:FORMAT]][@LINE] with NODE 1..99";
        return false;
    }
    t = Terminal();
    t.node = t.termNr = static_cast<int>(node);
    t.line = line;
    if (parts.size() > 1) {
        auto model = modelFromText(parts[1]);
        if (!model) {
            error = "unknown model \"" + parts[1] + "\" (VORN1, VORN2, VORN3, VORN-L, VORN2C, VORN2B or 1-5, 8)";
            return false;
        }
        t.model = *model;
    }
    t.employeeFormat = defaultEmployeeFormat(t.model);
    if (parts.size() > 2) {
        auto f = formatFromName(parts[2]);
        if (!f) {
            error = "employee format must be US, UM or EM";
            return false;
        }
        t.employeeFormat = *f;
    }
    return true;
}

bool parseOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
    struct IntegerOption {
        long min, max;
        std::vector<int*> targets;
    };
    int seed = 1;
    const std::map<std::string, IntegerOption> integers = {
        {"--records", {0, 30000, {&o.generate.records}}},
        {"--employees", {0, 30000, {&o.generate.employees}}},
        {"--jobs", {0, 30000, {&o.generate.jobs}}},
        {"--recoverable", {0, 30000, {&o.generate.recoverable}}},
        {"--seed", {0, 0x7fffffff, {&seed}}},
        {"--time-service-offset", {-100000000, 100000000, {&o.server.modem.timeServiceOffset}}},
        {"--time-service-interval", {1, 60000, {&o.server.modem.timeServiceIntervalMs}}},
        {"--time-service-junk", {0, 1000, {&o.server.modem.timeServiceJunkLines}}},
        {"--modem-busy", {0, 1000, {&o.server.modem.busyCalls}}},
        {"--modem-no-carrier", {0, 1000, {&o.server.modem.failedCalls}}},
        {"--modem-connect-ms", {0, 120000, {&o.server.modem.connectDelayMs}}},
        {"--modem-reply-ms", {0, 120000, {&o.server.modem.commandReplyDelayMs}}},
        {"--modem-drop-ms", {0, 120000, {&o.server.modem.dropDelayMs}}},
        {"--baud", {50, 4000000, {&o.server.baud, &o.server.modem.baud}}},
        {"--reply-delay", {0, 60000, {&o.server.replyDelayMs}}},
        {"--late-gap", {0, 60000, {&o.server.lateGapMs}}},
        {"--bare-lines", {1, 60000, {&o.server.bareLineGapMs}}},
        {"--xmodem-nak-ms", {1, 60000, {&o.server.xmodem.nakIntervalMs}}},
        {"--xmodem-start-ms", {0, 60000, {&o.server.xmodem.startDelayMs}}},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            return true;
        }
        if (i + 1 >= args.size()) {
            error = "unknown option or missing value: " + a;
            return false;
        }
        std::string v = args[++i];
        long n = 0;
        auto number = [&](long min, long max) {
            if (toInt(v, min, max, n)) return true;
            error = a + " needs a number from " + std::to_string(min) + " to " + std::to_string(max);
            return false;
        };
        auto endpoint = [&](std::vector<ServerConfig::Endpoint>& list) {
            ServerConfig::Endpoint ep;
            ep.line = takeLine(v);
            if (!parseNodes(v, ep.nodes)) {
                error = a + " needs \"all\" or a node list like 1,2,5, and optionally @LINE";
                return false;
            }
            list.push_back(ep);
            return true;
        };
        if (auto i = integers.find(a); i != integers.end()) {
            if (!number(i->second.min, i->second.max)) return false;
            for (int* target : i->second.targets) *target = static_cast<int>(n);
        } else if (auto f = kFaultOptions.find(a); f != kFaultOptions.end()) {
            if (!o.faults.add(f->second, v)) {
                error = a + ": bad selector \"" + v + "\"";
                return false;
            }
        } else if (a == "--add-records") {
            if (!o.faults.addRecordsAfter(v)) {
                error = "--add-records needs K or K@SEL";
                return false;
            }
        } else if (a == "--terminal") {
            o.terminalOptions.push_back(v);
        } else if (a == "--state") {
            o.stateIn = v;
        } else if (a == "--state-out") {
            o.stateOut = v;
        } else if (a == "--wire-log") {
            o.wireLog = v;
        } else if (a == "--password") {
            o.password = v;
            o.passwordSet = true;
        } else if (a == "--clock") {
            if (!parseTerminalTime(v)) {
                error = "--clock needs \"YYYY-MM-DD HH:MM:SS\"";
                return false;
            }
            o.clock = v;
        } else if (a == "--tcp" || a == "--port") {
            ServerConfig::Endpoint ep;
            ep.line = takeLine(v);
            auto colon = v.find(':');
            if (!toInt(v.substr(0, colon), 0, 65535, n) ||
                (colon != std::string::npos && !parseNodes(v.substr(colon + 1), ep.nodes))) {
                error = "--tcp needs PORT[:NODES][@LINE]";
                return false;
            }
            ep.port = static_cast<int>(n);
            o.server.tcp.push_back(ep);
        } else if (a == "--bridge") {
            if (!parseBridgeOption(v, o.server, error)) return false;
        } else if (a == "--concentrator") {
            if (!endpoint(o.server.ptys)) return false;
            o.server.ptys.back().lineProtocol = true;
        } else if (a == "--cfg") {
            if (!parseLineParameters(v, o.lineParameters, error)) return false;
        } else if (a == "--unsolicited") {
            o.server.unsolicited.emplace_back();
            if (!parseUnsolicitedLine(v, o.server.unsolicited.back())) {
                error = "--unsolicited needs NODE:TEXT@SEL";
                return false;
            }
        } else if (a == "--bind") {
            o.server.bindAddress = v;
        } else if (a == "--pty") {
            if (!endpoint(o.server.ptys)) return false;
        } else if (a == "--modem") {
            if (!endpoint(o.server.modems)) return false;
        } else if (a == "--xmodem") {
            if (!parseXmodemBehaviour(v, o.server.xmodem)) {
                error = "--xmodem needs normal, prompt, nak-storm, can-can, cancel-after:K or silent";
                return false;
            }
        } else if (a == "--firmware-out") {
            o.server.firmwareOut = v;
        } else if (a == "--time-service") {
            o.server.modem.timeServiceNumber = v;
        } else {
            error = "unknown option " + a + " (see --help)";
            return false;
        }
    }
    o.generate.seed = o.server.seed = static_cast<std::uint32_t>(seed);
    if (o.server.tcp.empty() && o.server.ptys.empty() && o.server.modems.empty()) {
        error = "no endpoint: give --tcp, --pty or --modem";
        return false;
    }
    return true;
}

bool buildTerminals(const Options& o, std::vector<Terminal>& terminals, std::string& error) {
    try {
        if (!o.stateIn.empty()) terminals = loadState(o.stateIn);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    for (const auto& entry : o.terminalOptions) {
        Terminal t;
        if (!parseTerminalOption(entry, t, error)) return false;
        terminals.push_back(t);
    }
    if (terminals.empty()) {
        error = "no terminal: give --terminal or --state";
        return false;
    }
    for (std::size_t i = 0; i < terminals.size(); ++i)
        for (std::size_t k = 0; k < i; ++k)
            if (terminals[i].node == terminals[k].node && terminals[i].line == terminals[k].line) {
                error = "node " + std::to_string(terminals[i].node) + " is defined twice on one line";
                return false;
            }
    for (auto& t : terminals) {
        if (o.passwordSet) t.password = o.password;
        if (!o.clock.empty()) t.setClock(*parseTerminalTime(o.clock));
        generate(t, o.generate);
    }
    applyLineParameters(o.lineParameters, terminals);
    auto endpoints = {&o.server.tcp, &o.server.ptys, &o.server.modems};
    for (const auto* list : endpoints)
        for (const auto& ep : *list)
            for (int node : ep.nodes)
                if (std::none_of(terminals.begin(), terminals.end(),
                                 [&](const Terminal& t) { return t.node == node && t.line == ep.line; })) {
                    error = "endpoint names node " + std::to_string(node) + ", which no terminal of its line has";
                    return false;
                }
    return true;
}

}  // namespace vornsim
