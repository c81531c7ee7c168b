#include "Options.h"

#include "LineOptions.h"
#include "TerminalTime.h"

#include <algorithm>

namespace vornsim {

namespace {

// Cuts a trailing "@LINE" off `text`.
std::string takeLine(std::string& text) {
    auto at = text.rfind('@');
    if (at == std::string::npos) return {};
    std::string line = text.substr(at + 1);
    text.resize(at);
    return line;
}

// "all" or "1,2,5"; an empty list means every terminal.
bool parseNodes(const std::string& text, std::vector<int>& nodes) {
    nodes.clear();
    return text == "all" || parseNodeList(text, 99, nodes);
}

template <Fault F>
bool addFault(Options& o, const OptionUse& use) {
    return o.faults.add(F, use.value) || use.refuse(use.option + ": bad selector \"" + use.value + "\"");
}

// --pty, --modem, --concentrator: "NODES|all[@LINE]".
bool addEndpoint(std::vector<ServerConfig::Endpoint>& list, const OptionUse& use) {
    ServerConfig::Endpoint ep;
    std::string value = use.value;
    ep.line = takeLine(value);
    if (!parseNodes(value, ep.nodes))
        return use.refuse(use.option + " needs \"all\" or a node list like 1,2,5, and optionally @LINE");
    list.push_back(ep);
    return true;
}

// --tcp, --port: "PORT[:NODES][@LINE]".
bool addTcpEndpoint(Options& o, const OptionUse& use) {
    ServerConfig::Endpoint ep;
    std::string value = use.value;
    ep.line = takeLine(value);
    auto colon = value.find(':');
    long port = 0;
    if (!toInt(value.substr(0, colon), 0, 65535, port) ||
        (colon != std::string::npos && !parseNodes(value.substr(colon + 1), ep.nodes)))
        return use.refuse("--tcp needs PORT[:NODES][@LINE]");
    ep.port = static_cast<int>(port);
    o.server.tcp.push_back(ep);
    return true;
}

bool setClock(Options& o, const OptionUse& use) {
    if (!parseTerminalTime(use.value)) return use.refuse("--clock needs \"YYYY-MM-DD HH:MM:SS\"");
    o.clock = use.value;
    return true;
}

bool setSeed(Options& o, const OptionUse& use) {
    int seed = 0;
    if (!use.number(0, 0x7fffffff, seed)) return false;
    o.generate.seed = o.server.seed = static_cast<std::uint32_t>(seed);
    return true;
}

using Row = OptionRow<Options>;

const Row kRows[] = {
    // Terminals
    {"--terminal", "", true, [](Options& o, const OptionUse& u) { o.terminalOptions.push_back(u.value); return true; }},
    {"--state", "", true, [](Options& o, const OptionUse& u) { o.stateIn = u.value; return true; }},
    {"--state-out", "", true, [](Options& o, const OptionUse& u) { o.stateOut = u.value; return true; }},
    {"--records", "", true, [](Options& o, const OptionUse& u) { return u.number(0, 30000, o.generate.records); }},
    {"--employees", "", true, [](Options& o, const OptionUse& u) { return u.number(0, 30000, o.generate.employees); }},
    {"--jobs", "", true, [](Options& o, const OptionUse& u) { return u.number(0, 30000, o.generate.jobs); }},
    {"--recoverable", "", true,
     [](Options& o, const OptionUse& u) { return u.number(0, 30000, o.generate.recoverable); }},
    {"--seed", "", true, setSeed},
    {"--password", "", true,
     [](Options& o, const OptionUse& u) {
         o.password = u.value;
         o.passwordSet = true;
         return true;
     }},
    {"--clock", "", true, setClock},
    // Endpoints
    {"--tcp", "--port", true, addTcpEndpoint},
    {"--bridge", "", true, [](Options& o, const OptionUse& u) { return parseBridgeOption(u.value, o.server, u.error); }},
    {"--concentrator", "", true,
     [](Options& o, const OptionUse& u) {
         if (!addEndpoint(o.server.ptys, u)) return false;
         o.server.ptys.back().lineProtocol = true;
         return true;
     }},
    {"--cfg", "", true,
     [](Options& o, const OptionUse& u) { return parseLineParameters(u.value, o.lineParameters, u.error); }},
    {"--unsolicited", "", true,
     [](Options& o, const OptionUse& u) {
         o.server.unsolicited.emplace_back();
         return parseUnsolicitedLine(u.value, o.server.unsolicited.back()) ||
                u.refuse("--unsolicited needs NODE:TEXT@SEL");
     }},
    {"--bind", "", true, [](Options& o, const OptionUse& u) { o.server.bindAddress = u.value; return true; }},
    {"--pty", "", true, [](Options& o, const OptionUse& u) { return addEndpoint(o.server.ptys, u); }},
    {"--modem", "", true, [](Options& o, const OptionUse& u) { return addEndpoint(o.server.modems, u); }},
    {"--time-service", "", true,
     [](Options& o, const OptionUse& u) { o.server.modem.timeServiceNumber = u.value; return true; }},
    {"--time-service-offset", "", true,
     [](Options& o, const OptionUse& u) { return u.number(-100000000, 100000000, o.server.modem.timeServiceOffset); }},
    {"--time-service-interval", "", true,
     [](Options& o, const OptionUse& u) { return u.number(1, 60000, o.server.modem.timeServiceIntervalMs); }},
    {"--time-service-junk", "", true,
     [](Options& o, const OptionUse& u) { return u.number(0, 1000, o.server.modem.timeServiceJunkLines); }},
    {"--modem-busy", "", true, [](Options& o, const OptionUse& u) { return u.number(0, 1000, o.server.modem.busyCalls); }},
    {"--modem-no-carrier", "", true,
     [](Options& o, const OptionUse& u) { return u.number(0, 1000, o.server.modem.failedCalls); }},
    {"--modem-connect-ms", "", true,
     [](Options& o, const OptionUse& u) { return u.number(0, 120000, o.server.modem.connectDelayMs); }},
    {"--modem-reply-ms", "", true,
     [](Options& o, const OptionUse& u) { return u.number(0, 120000, o.server.modem.commandReplyDelayMs); }},
    {"--modem-drop-ms", "", true,
     [](Options& o, const OptionUse& u) { return u.number(0, 120000, o.server.modem.dropDelayMs); }},
    // Line
    {"--baud", "", true,
     [](Options& o, const OptionUse& u) {
         if (!u.number(50, 4000000, o.server.baud)) return false;
         o.server.modem.baud = o.server.baud;
         return true;
     }},
    {"--reply-delay", "", true, [](Options& o, const OptionUse& u) { return u.number(0, 60000, o.server.replyDelayMs); }},
    {"--late-gap", "", true, [](Options& o, const OptionUse& u) { return u.number(0, 60000, o.server.lateGapMs); }},
    // Faults
    {"--no-reply", "", true, addFault<Fault::NoReply>},
    {"--bad-crc", "", true, addFault<Fault::BadChecksum>},
    {"--noise", "", true, addFault<Fault::Noise>},
    {"--wrong-dest", "", true, addFault<Fault::WrongDestination>},
    {"--warn", "", true, addFault<Fault::Warning>},
    {"--error", "", true, addFault<Fault::Error>},
    {"--late", "", true, addFault<Fault::LateReply>},
    {"--drop", "", true, addFault<Fault::Drop>},
    {"--stray", "", true, addFault<Fault::StrayReply>},
    {"--short-data", "", true, addFault<Fault::ShortData>},
    {"--control-text", "", true, addFault<Fault::ControlText>},
    {"--garbage-line", "", true, addFault<Fault::GarbageLine>},
    {"--endless-dump", "", true, addFault<Fault::EndlessDump>},
    {"--bare-lines", "", true, [](Options& o, const OptionUse& u) { return u.number(1, 60000, o.server.bareLineGapMs); }},
    {"--add-records", "", true,
     [](Options& o, const OptionUse& u) {
         return o.faults.addRecordsAfter(u.value) || u.refuse("--add-records needs K or K@SEL");
     }},
    // Firmware upgrade
    {"--firmware-out", "", true, [](Options& o, const OptionUse& u) { o.server.firmwareOut = u.value; return true; }},
    {"--xmodem", "", true,
     [](Options& o, const OptionUse& u) {
         return parseXmodemBehaviour(u.value, o.server.xmodem) ||
                u.refuse("--xmodem needs normal, prompt, nak-storm, can-can, cancel-after:K or silent");
     }},
    {"--xmodem-nak-ms", "", true,
     [](Options& o, const OptionUse& u) { return u.number(1, 60000, o.server.xmodem.nakIntervalMs); }},
    {"--xmodem-start-ms", "", true,
     [](Options& o, const OptionUse& u) { return u.number(0, 60000, o.server.xmodem.startDelayMs); }},
    {"--wire-log", "", true, [](Options& o, const OptionUse& u) { o.wireLog = u.value; return true; }},
    {"--help", "-h", false, [](Options& o, const OptionUse&) {
         o.help = true;
         return true;
     }},
};

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

std::span<const OptionRow<Options>> optionTable() { return kRows; }

bool parseOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
    if (!applyOptions(args, optionTable(), o, "--help", error)) return false;
    if (!o.help && o.server.tcp.empty() && o.server.ptys.empty() && o.server.modems.empty()) {
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
