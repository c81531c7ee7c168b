#include "QzOptions.h"

namespace vornsim::qz {
namespace {

template <QzFault F>
bool addFault(QzOptions& o, const OptionUse& use) {
    QzFaultRule rule{F, {}, 0};
    if (!FaultSelector::parse(use.value, rule.selector))
        return use.refuse(use.option + ": bad selector \"" + use.value + "\"");
    o.faults.push_back(rule);
    return true;
}

// "VALUE@SEL": a fault that carries a number (a reply code, a delay).
bool addValuedFault(QzOptions& o, const OptionUse& use, QzFault fault, long max, const char* shape) {
    auto at = use.value.find('@');
    long n = 0;
    QzFaultRule rule{fault, {}, 0};
    if (at == std::string::npos || !toInt(use.value.substr(0, at), 0, max, n) ||
        !FaultSelector::parse(use.value.substr(at + 1), rule.selector))
        return use.refuse(use.option + " needs " + shape);
    rule.value = static_cast<int>(n);
    o.faults.push_back(rule);
    return true;
}

// "K@N": K new records after the Nth request.
bool addAfterRequest(const OptionUse& use, int& count, int& afterRequest) {
    auto at = use.value.find('@');
    long k = 0, n = 0;
    if (at == std::string::npos || !toInt(use.value.substr(0, at), 1, 30000, k) ||
        !toInt(use.value.substr(at + 1), 1, 1000000, n))
        return use.refuse(use.option + " needs K@N");
    count = static_cast<int>(k);
    afterRequest = static_cast<int>(n);
    return true;
}

// --pty, --modem: such an endpoint serves every terminal.
bool addEveryTerminalEndpoint(int& count, const OptionUse& use) {
    if (use.value != "all") return use.refuse(use.option + " serves every terminal: give \"all\"");
    ++count;
    return true;
}

bool addEndless(QzOptions& o, const OptionUse& use) {
    auto at = use.value.find('@');
    long size = -1;
    if (at == 0 || (at != std::string::npos && !toInt(use.value.substr(at + 1), 0, 0x7fffffff, size)))
        return use.refuse("--endless needs NAME[@SIZE]");
    o.data.endless.emplace_back(use.value.substr(0, at), size);
    return true;
}

bool setLoadRecords(QzOptions& o, const OptionUse& use) {
    auto at = use.value.find('@');
    long n = 0;
    if (!toInt(use.value.substr(0, at), 0, 30000, n) || (at != std::string::npos && use.value.size() != at + 3))
        return use.refuse("--load-records needs N[@CODE] with a two-character code");
    o.data.loadRecords = static_cast<int>(n);
    if (at != std::string::npos) o.data.loadCode = use.value.substr(at + 1);
    return true;
}

bool addFile(QzOptions& o, const OptionUse& use) {
    auto eq = use.value.find('=');
    if (eq == std::string::npos || eq == 0) return use.refuse("--file needs NAME=PATH");
    o.files.emplace_back(use.value.substr(0, eq), use.value.substr(eq + 1));
    return true;
}

bool addNumber(std::vector<int>& list, long min, long max, const OptionUse& use) {
    int n = 0;
    if (!use.number(min, max, n)) return false;
    list.push_back(n);
    return true;
}

using Row = OptionRow<QzOptions>;

const Row kRows[] = {
    {"--terminal", "", true, [](QzOptions& o, const OptionUse& u) { return addNumber(o.addresses, 0, 127, u); }},
    {"--tcp", "--port", true, [](QzOptions& o, const OptionUse& u) { return addNumber(o.tcpPorts, 0, 65535, u); }},
    {"--bind", "", true, [](QzOptions& o, const OptionUse& u) { o.bindAddress = u.value; return true; }},
    {"--pty", "", true, [](QzOptions& o, const OptionUse& u) { return addEveryTerminalEndpoint(o.ptys, u); }},
    {"--modem", "", true, [](QzOptions& o, const OptionUse& u) { return addEveryTerminalEndpoint(o.modems, u); }},
    {"--modem-busy", "", true, [](QzOptions& o, const OptionUse& u) { return u.number(0, 1000, o.modem.busyCalls); }},
    {"--modem-no-carrier", "", true,
     [](QzOptions& o, const OptionUse& u) { return u.number(0, 1000, o.modem.failedCalls); }},
    {"--modem-connect-ms", "", true,
     [](QzOptions& o, const OptionUse& u) { return u.number(0, 120000, o.modem.connectDelayMs); }},
    {"--wire-log", "", true, [](QzOptions& o, const OptionUse& u) { o.wireLog = u.value; return true; }},
    {"--baud", "", true, [](QzOptions& o, const OptionUse& u) { return u.number(50, 4000000, o.baud); }},
    // Stored data
    {"--seed", "", true, [](QzOptions& o, const OptionUse& u) { return u.number(0, 0x7fffffff, o.data.seed); }},
    {"--records", "", true, [](QzOptions& o, const OptionUse& u) { return u.number(0, 30000, o.data.records); }},
    {"--memory-blocks", "", true,
     [](QzOptions& o, const OptionUse& u) { return u.number(0, 30000, o.data.memoryBlocks); }},
    {"--add-records", "", true,
     [](QzOptions& o, const OptionUse& u) { return addAfterRequest(u, o.addRecords, o.addAfter); }},
    {"--second-kind", "", true, [](QzOptions& o, const OptionUse& u) { return u.number(0, 30000, o.data.secondKind); }},
    {"--load-records", "", true, setLoadRecords},
    {"--badges", "", true, [](QzOptions& o, const OptionUse& u) { return u.number(0, 30000, o.data.badges); }},
    {"--config", "", true,
     [](QzOptions& o, const OptionUse& u) { return u.number(0, 30000, o.data.configParameters); }},
    {"--file", "", true, addFile},
    {"--templates", "", true, [](QzOptions& o, const OptionUse& u) { return u.number(0, 9999, o.data.templates); }},
    {"--reader-type", "", true,
     [](QzOptions& o, const OptionUse& u) {
         if (u.value.size() != 1) return u.refuse("--reader-type needs one character");
         o.data.readerType = u.value[0];
         return true;
     }},
    // Faults
    {"--no-reply", "", true, addFault<QzFault::NoReply>},
    {"--wrong-tag", "", true, addFault<QzFault::WrongTag>},
    {"--reply-code", "", true,
     [](QzOptions& o, const OptionUse& u) { return addValuedFault(o, u, QzFault::ReplyCode, 9999, "CODE@SEL"); }},
    {"--reset", "", true, addFault<QzFault::Reset>},
    {"--noise", "", true, addFault<QzFault::Noise>},
    {"--oversize", "", true, addFault<QzFault::Oversize>},
    {"--late", "", true,
     [](QzOptions& o, const OptionUse& u) { return addValuedFault(o, u, QzFault::Late, 600000, "MS@SEL"); }},
    // More data for the host libraries' bounds
    {"--template-file", "", true,
     [](QzOptions& o, const OptionUse& u) { o.data.templateFiles.push_back(u.value); return true; }},
    {"--endless", "", true, addEndless},
    {"--second-kind-length", "", true,
     [](QzOptions& o, const OptionUse& u) { return u.number(0, 1000, o.data.secondKindLength); }},
    {"--add-second-kind", "", true,
     [](QzOptions& o, const OptionUse& u) { return addAfterRequest(u, o.addSecondKind, o.addSecondAfter); }},
    // Read before the other options, to choose this family.
    {"--family", "", true, [](QzOptions&, const OptionUse&) { return true; }},
    {"--help", "-h", false,
     [](QzOptions& o, const OptionUse&) {
         o.help = true;
         return true;
     }},
};

}  // namespace

bool wantsQzFamily(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--family" && args[i + 1] == "qz") return true;
    return false;
}

const char* qzUsageText() {
    return R"(Usage: vornsim --family qz [options]
Simulates QZ-family terminals on TCP, on pseudo-terminals and behind a Hayes
modem. Prints one line per endpoint, then READY:
  TCP <port> <addresses>   PTY <addresses> <path>   MODEM <addresses> <path>
SIGTERM or SIGINT ends it.

  --terminal ADDRESS      add a terminal (address 0..127)
  --tcp PORT              listen on PORT (0: a free port)
  --bind ADDRESS          address to listen on (default 127.0.0.1)
  --pty all               a pseudo-terminal serving every terminal
  --modem all             a pseudo-terminal with a Hayes modem in front
  --modem-busy N | --modem-no-carrier N | --modem-connect-ms MS  as for the other family
  --wire-log FILE         one line per request, reply and refused input
  --baud B                each request and reply byte costs 10/B seconds

Stored data (generated from --seed S):
  --records N             transactions, 26 characters each, newest first
  --memory-blocks N       blocks of ten the transaction memory holds (3000);
                          past the records they read "END OF TRANSIT"
  --add-records K@N       K new transactions after the Nth request
  --second-kind N         records of the second kind (RXPTRANSIT)
  --load-records N[@CODE] records of a LOADTRANSIT code (default 31)
  --badges N              badge list entries (RXBADGE)
  --config N              configuration parameters 1..N (RXCONFIG)
  --file NAME=PATH        put a local file into the terminal's file store
  --templates N           badges with biometric templates
  --reader-type C         the reader type the terminal reports ('2' to '6')

Faults; SEL is a request number N (from 1), the request's code and data
("300001"), a prefix of them ("30*") or *:
  --no-reply SEL          no answer
  --wrong-tag SEL         answer with another tag than the request's
  --reply-code CODE@SEL   answer "T<address>Rx<CODE>" instead of acting
  --reset SEL             reset the TCP connection instead of answering
  --noise SEL             noise bytes before the reply's SOH
  --oversize SEL          a reply of over 1024 bytes
  --late MS@SEL           answer MS milliseconds late; later replies on that
                          line wait behind it, as on a half-duplex line

More data for the host libraries' bounds:
  --template-file NAME    list NAME, exactly as given, among the template files
  --endless NAME[@SIZE]   a stored file whose every block is answered with
                          data and never ends; "F3" announces SIZE, or none
  --second-kind-length L  pad second-kind records to L characters
  --add-second-kind K@N   K new second-kind records after the Nth request
)";
}

std::span<const OptionRow<QzOptions>> qzOptionTable() { return kRows; }

bool parseQzOptions(const std::vector<std::string>& args, QzOptions& o, std::string& error) {
    if (!applyOptions(args, qzOptionTable(), o, "--family qz --help", error)) return false;
    if (o.help) return true;
    if (o.addresses.empty()) {
        error = "no terminal: give --terminal";
        return false;
    }
    if (o.tcpPorts.empty() && !o.ptys && !o.modems) {
        error = "no endpoint: give --tcp, --pty or --modem";
        return false;
    }
    return true;
}

}  // namespace vornsim::qz
