#pragma once
// The QZ-family simulator's single-threaded poll loop
// over TCP listeners and their clients, plain pseudo-terminals and
// pseudo-terminals with a Hayes modem in front. Every endpoint serves every
// terminal; a terminal answers the requests addressed to it.
#include "HayesModem.h"
#include "QzOptions.h"
#include "QzTerminal.h"
#include "WireLog.h"

#include <csignal>
#include <memory>
#include <string>
#include <vector>

namespace vornsim::qz {

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

}  // namespace vornsim::qz
