#pragma once
// The QZ family's server on the shared channel loop: TCP listeners and
// their clients, plain pseudo-terminals and pseudo-terminals with a Hayes
// modem in front. Every endpoint serves every terminal; a terminal answers
// the requests addressed to it.
#include "ChannelLoop.h"
#include "QzOptions.h"
#include "QzTerminal.h"
#include "WireLog.h"

#include <memory>
#include <string>
#include <vector>

namespace vornsim::qz {

class QzServer : public ChannelLoop {
public:
    QzServer(std::vector<QzTerminal>& terminals, const QzOptions& options, WireLog& log);

    struct FrameChannel;

private:
    bool openEndpoints(std::string& error) override;
    std::unique_ptr<Channel> accepted(const Channel& listener) override;
    void received(Channel& ch, std::string_view bytes) override;

    void handleFrame(FrameChannel& ch, const std::string& frame);
    // Sends a reply, at once or when a line of the configured speed would have carried it.
    // A late reply (lateMs) is held back, and every later one on the line behind it.
    void deliver(FrameChannel& ch, std::size_t requestBytes, const std::string& reply, int lateMs);
    QzTerminal* terminalAt(int address);
    std::vector<const QzFaultRule*> faultsFor(int number, const QzRequest& request) const;

    std::vector<QzTerminal>& terminals_;
    const QzOptions& options_;
    int requests_ = 0;
};

}  // namespace vornsim::qz
