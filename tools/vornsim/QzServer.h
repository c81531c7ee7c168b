#pragma once
// The QZ-family simulator: its command line, and a single-threaded poll loop
// over TCP listeners and their clients, plain pseudo-terminals and
// pseudo-terminals with a Hayes modem in front. Every endpoint serves every
// terminal; a terminal answers the requests addressed to it.
#include "FaultPlan.h"
#include "HayesModem.h"
#include "QzTerminal.h"
#include "WireLog.h"

#include <csignal>
#include <memory>
#include <string>
#include <vector>

namespace vornsim::qz {

enum class QzFault { NoReply, WrongTag, ReplyCode, Reset, Noise, Oversize, Late };

struct QzFaultRule {
    QzFault fault;
    FaultSelector selector;  // matched against the request's code followed by its data
    int value = 0;           // the reply code of ReplyCode; the delay in ms of Late
};

struct QzOptions {
    std::vector<int> addresses;
    std::vector<int> tcpPorts;
    int ptys = 0;
    int modems = 0;
    std::string bindAddress = "127.0.0.1";
    std::string wireLog;
    std::vector<QzFaultRule> faults;
    QzData data;
    std::vector<std::pair<std::string, std::string>> files;  // name in the store, local path
    int addRecords = 0;                  // new transactions after request number addAfter
    int addAfter = 0;
    int addSecondKind = 0;               // new second-kind records after request number addSecondAfter
    int addSecondAfter = 0;
    HayesModem::Config modem;
    int baud = 0;  // 0: replies at once; else each request and reply byte costs 10/baud seconds
    bool help = false;
};

// True when the command line asks for the QZ family ("--family qz").
bool wantsQzFamily(const std::vector<std::string>& args);
bool parseQzOptions(const std::vector<std::string>& args, QzOptions& options, std::string& error);
const char* qzUsageText();

class QzServer {
public:
    QzServer(std::vector<QzTerminal>& terminals, const QzOptions& options, WireLog& log);
    ~QzServer();
    QzServer(const QzServer&) = delete;
    QzServer& operator=(const QzServer&) = delete;

    bool start(std::string& error);
    // "TCP <port> <addresses>", "PTY <addresses> <path>", "MODEM <addresses> <path>", "READY ...".
    const std::vector<std::string>& readyLines() const { return ready_; }
    void run(const sigset_t& unblocked, const volatile std::sig_atomic_t& stop);

    struct Channel;

private:
    void accept(Channel& listener);
    void readFrom(Channel& ch);
    void feedFrames(Channel& ch, std::string_view bytes);
    void handleFrame(Channel& ch, const std::string& frame);
    void reset(Channel& ch);
    void write(Channel& ch, const std::string& bytes);
    // Sends a reply, at once or when a line of the configured speed would have carried it.
    // A late reply (lateMs) is held back, and every later one on the line behind it.
    void deliver(Channel& ch, std::size_t requestBytes, const std::string& reply, int lateMs);
    void sendDue(Channel& ch);
    QzTerminal* terminalAt(int address);
    std::vector<const QzFaultRule*> faultsFor(int number, const QzRequest& request) const;

    std::vector<QzTerminal>& terminals_;
    const QzOptions& options_;
    WireLog& log_;
    std::vector<std::unique_ptr<Channel>> channels_;
    std::vector<std::string> ready_;
    int requests_ = 0;
    int clients_ = 0;
};

// The whole simulator run for "--family qz": parse, serve until a stop signal.
int runQzSimulator(const std::vector<std::string>& args);

}  // namespace vornsim::qz
