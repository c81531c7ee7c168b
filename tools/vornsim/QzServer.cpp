#include "QzServer.h"

#include "Telegram.h"

#include <algorithm>
#include <cstdio>

namespace vornsim::qz {

using Clock = ChannelLoop::Clock;

namespace {

// Stands for line noise; holds none of the framing bytes.
const std::string kNoise = "\x7f\xfe#~\x55\xaa";
constexpr std::size_t kOversizeText = 1100;
constexpr int kTagCount = 4096;

std::string faultName(QzFault f) {
    switch (f) {
    case QzFault::NoReply: return "no-reply";
    case QzFault::WrongTag: return "wrong-tag";
    case QzFault::ReplyCode: return "reply-code";
    case QzFault::Reset: return "reset";
    case QzFault::Noise: return "noise";
    case QzFault::Oversize: return "oversize";
    case QzFault::Late: return "late";
    }
    return "?";
}

}  // namespace

struct QzServer::FrameChannel : ChannelLoop::Channel {
    QzFramer framer;
    Clock::time_point busyUntil{};  // the line carries replies until then
};

namespace {
// Every channel of this server is a FrameChannel.
QzServer::FrameChannel& frames(ChannelLoop::Channel& ch) { return static_cast<QzServer::FrameChannel&>(ch); }
}  // namespace

// Replies are paced here, whole, rather than byte by byte by the loop.
QzServer::QzServer(std::vector<QzTerminal>& terminals, const QzOptions& options, WireLog& log)
    : ChannelLoop(log, {Clock::duration::zero(), options.modem, ""}), terminals_(terminals), options_(options) {}

bool QzServer::openEndpoints(std::string& error) {
    std::string addresses;
    for (const auto& t : terminals_) addresses += (addresses.empty() ? "" : ",") + std::to_string(t.address);
    for (int port : options_.tcpPorts)
        if (!listen(std::make_unique<FrameChannel>(), options_.bindAddress, port, addresses, error)) return false;
    for (int i = 1; i <= options_.ptys; ++i)
        if (!openPty(std::make_unique<FrameChannel>(), Channel::Pty, i, addresses, error)) return false;
    for (int i = 1; i <= options_.modems; ++i)
        if (!openPty(std::make_unique<FrameChannel>(), Channel::Modem, i, addresses, error)) return false;
    return true;
}

std::unique_ptr<ChannelLoop::Channel> QzServer::accepted(const Channel&) { return std::make_unique<FrameChannel>(); }

void QzServer::received(Channel& channel, std::string_view bytes) {
    auto& ch = frames(channel);
    for (auto& ev : ch.framer.feed(bytes)) {
        if (ch.closed) return;
        switch (ev.kind) {
        case QzFramer::Event::Noise:
            log_.line(ch.name, "REFUSED " + std::to_string(ev.bytes.size()) + " bytes outside a frame", ev.bytes);
            break;
        case QzFramer::Event::Oversize:
            log_.line(ch.name, "REFUSED frame over 1024 bytes", ev.bytes.substr(0, 64));
            break;
        case QzFramer::Event::Frame: handleFrame(ch, ev.bytes); break;
        }
    }
}

QzTerminal* QzServer::terminalAt(int address) {
    for (auto& t : terminals_)
        if (t.address == address) return &t;
    return nullptr;
}

std::vector<const QzFaultRule*> QzServer::faultsFor(int number, const QzRequest& request) const {
    std::vector<const QzFaultRule*> out;
    for (const auto& rule : options_.faults)
        if (rule.selector.matches(number, request.code + request.data)) out.push_back(&rule);
    return out;
}

void QzServer::deliver(FrameChannel& ch, std::size_t requestBytes, const std::string& reply, int lateMs) {
    const auto now = Clock::now();
    Clock::time_point due;
    if (lateMs > 0 || (!options_.baud && !ch.out.empty())) {
        // A late answer holds the line: whatever follows waits behind it.
        due = std::max(now + std::chrono::milliseconds(lateMs), ch.busyUntil);
    } else if (!options_.baud) {
        ch.out.push_back({reply, now, {}, {}});
        flush(ch);
        return;
    } else {
        // Half duplex: the request, then the reply, one after the other on the line.
        const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / options_.baud);
        due = std::max(now, ch.busyUntil) + byteTime * static_cast<long>(requestBytes + reply.size());
    }
    ch.busyUntil = due;
    // Replies due together go in one write, so the far end finds them queued together.
    if (!ch.out.empty() && ch.out.back().pos == 0 && ch.out.back().notBefore == due)
        ch.out.back().bytes += reply;
    else
        ch.out.push_back({reply, due, {}, {}});
}

void QzServer::handleFrame(FrameChannel& ch, const std::string& frame) {
    std::string why;
    std::optional<QzRequest> request = parseQzRequest(frame, why);
    if (!request) {
        log_.line(ch.name, "REFUSED " + why, frame);
        return;
    }
    QzTerminal* terminal = terminalAt(request->address);
    char head[64];
    std::snprintf(head, sizeof head, "addr=%02d", request->address);
    if (!terminal) {
        log_.line(ch.name, std::string("IGNORED ") + head, frame);
        return;
    }
    const int number = ++requests_;
    std::string id = "#" + std::to_string(number) + " " + head;
    if (request->tag) id += " tag=" + std::to_string(*request->tag);
    log_.line(ch.name, "RX " + id + " code=" + request->code + " \"" + escapeBytes(request->data) + "\"", frame);

    auto faults = faultsFor(number, *request);
    auto find = [&](QzFault f) -> const QzFaultRule* {
        for (const auto* rule : faults)
            if (rule->fault == f) return rule;
        return nullptr;
    };
    if (find(QzFault::NoReply)) {
        log_.line(ch.name, "SKIP " + id + " no-reply");
        return;
    }
    if (find(QzFault::Reset) && ch.kind == Channel::Client) {
        log_.line(ch.name, "RESET " + id);
        resetChannel(ch);
        return;
    }
    std::optional<std::string> text;
    if (const QzFaultRule* code = find(QzFault::ReplyCode))
        text = terminal->status(code->value);
    else
        text = terminal->answer(*request);
    if (!text) {
        log_.line(ch.name, "SKIP " + id + " unanswered");
        return;
    }
    if (find(QzFault::Oversize)) text = std::string(kOversizeText, 'X');
    std::optional<int> tag = request->tag;
    if (tag && find(QzFault::WrongTag)) tag = (*tag + 1) % kTagCount;
    std::string reply = (find(QzFault::Noise) ? kNoise : std::string()) +
                        buildQzReply(request->address, tag, *text);
    std::string what = "TX " + id;
    for (const auto* rule : faults) what += " fault=" + faultName(rule->fault);
    log_.line(ch.name, what + " \"" + escapeBytes(text->substr(0, 80)) + "\"", reply);
    const QzFaultRule* late = find(QzFault::Late);
    deliver(ch, frame.size(), reply, late ? late->value : 0);
    if (number == options_.addAfter) {
        terminal->addTransactions(options_.addRecords, static_cast<std::uint32_t>(number));
        log_.line(ch.name, "ADDED " + std::to_string(options_.addRecords) + " transactions");
    }
    if (number == options_.addSecondAfter) {
        terminal->addSecondKind(options_.addSecondKind, static_cast<std::uint32_t>(number));
        log_.line(ch.name, "ADDED " + std::to_string(options_.addSecondKind) + " second-kind records");
    }
}

}  // namespace vornsim::qz
