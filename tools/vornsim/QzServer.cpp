#include "QzServer.h"

#include "Endpoints.h"
#include "Telegram.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>

namespace vornsim::qz {

using Clock = std::chrono::steady_clock;

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

struct QzServer::Channel {
    enum Kind { Listener, Client, Pty, Modem } kind;
    int fd = -1;
    int slaveFd = -1;  // held open so the master never sees a hang-up
    std::string name;
    QzFramer framer;
    std::unique_ptr<HayesModem> modem;
    std::string pending;  // reply bytes the line did not take yet
    std::deque<std::pair<Clock::time_point, std::string>> paced;  // replies and when they are due
    Clock::time_point lineFree{};
    bool closed = false;
};

QzServer::QzServer(std::vector<QzTerminal>& terminals, const QzOptions& options, WireLog& log)
    : terminals_(terminals), options_(options), log_(log) {}

QzServer::~QzServer() {
    for (auto& ch : channels_) {
        if (ch->fd >= 0) ::close(ch->fd);
        if (ch->slaveFd >= 0) ::close(ch->slaveFd);
    }
}

bool QzServer::start(std::string& error) {
    std::string addresses;
    for (const auto& t : terminals_) addresses += (addresses.empty() ? "" : ",") + std::to_string(t.address);
    std::string ports;
    for (int port : options_.tcpPorts) {
        auto ch = std::make_unique<Channel>();
        ch->kind = Channel::Listener;
        int boundPort = 0;
        ch->fd = listenTcp(options_.bindAddress, port, boundPort, error);
        if (ch->fd < 0) return false;
        const std::string bound = std::to_string(boundPort);
        ch->name = "tcp:" + bound;
        ports += (ports.empty() ? "" : ",") + bound;
        ready_.push_back("TCP " + bound + " " + addresses);
        channels_.push_back(std::move(ch));
    }
    auto makePty = [&](Channel::Kind kind, int index) {
        auto ch = std::make_unique<Channel>();
        ch->kind = kind;
        RawPty pty;
        if (!openRawPty(pty, error)) return false;
        ch->fd = pty.master;
        ch->slaveFd = pty.slave;
        const bool modem = kind == Channel::Modem;
        ch->name = (modem ? "modem" : "pty") + std::to_string(index);
        if (modem) ch->modem = std::make_unique<HayesModem>(options_.modem);
        ready_.push_back((modem ? "MODEM " : "PTY ") + addresses + " " + pty.path);
        log_.line(ch->name, "OPEN " + pty.path);
        channels_.push_back(std::move(ch));
        return true;
    };
    for (int i = 1; i <= options_.ptys; ++i)
        if (!makePty(Channel::Pty, i)) return false;
    for (int i = 1; i <= options_.modems; ++i)
        if (!makePty(Channel::Modem, i)) return false;
    ready_.push_back(ports.empty() ? "READY" : "READY tcp=" + ports);
    return true;
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

void QzServer::accept(Channel& listener) {
    int fd = ::accept(listener.fd, nullptr, nullptr);
    if (fd < 0) return;
    setNonBlocking(fd);
    auto ch = std::make_unique<Channel>();
    ch->kind = Channel::Client;
    ch->fd = fd;
    ch->name = listener.name + "#" + std::to_string(++clients_);
    log_.line(ch->name, "CONNECT");
    channels_.push_back(std::move(ch));
}

void QzServer::reset(Channel& ch) {
    // A zero linger time makes close() send RST: the peer sees a reset connection.
    linger hard{1, 0};
    setsockopt(ch.fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(ch.fd);
    ch.fd = -1;
    ch.closed = true;
    log_.line(ch.name, "DISCONNECT reset");
}

void QzServer::write(Channel& ch, const std::string& bytes) {
    ch.pending += bytes;
    while (!ch.pending.empty()) {
        ssize_t n = ch.kind == Channel::Client
                        ? ::send(ch.fd, ch.pending.data(), ch.pending.size(), MSG_NOSIGNAL)
                        : ::write(ch.fd, ch.pending.data(), ch.pending.size());
        if (n <= 0) return;  // the rest goes when the line takes it
        ch.pending.erase(0, static_cast<std::size_t>(n));
    }
}

void QzServer::deliver(Channel& ch, std::size_t requestBytes, const std::string& reply, int lateMs) {
    if (lateMs > 0 || (!options_.baud && !ch.paced.empty())) {
        // A late answer holds the line: whatever follows waits behind it.
        const auto due = std::max(Clock::now() + std::chrono::milliseconds(lateMs), ch.lineFree);
        ch.lineFree = due;
        ch.paced.emplace_back(due, reply);
        return;
    }
    if (!options_.baud) {
        write(ch, reply);
        return;
    }
    // Half duplex: the request, then the reply, one after the other on the line.
    const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / options_.baud);
    const auto due = std::max(Clock::now(), ch.lineFree) + byteTime * static_cast<long>(requestBytes + reply.size());
    ch.lineFree = due;
    ch.paced.emplace_back(due, reply);
}

void QzServer::sendDue(Channel& ch) {
    // Replies due together go in one write, so the far end finds them queued together.
    std::string due;
    while (!ch.paced.empty() && ch.paced.front().first <= Clock::now()) {
        due += ch.paced.front().second;
        ch.paced.pop_front();
    }
    if (!due.empty()) write(ch, due);
}

void QzServer::readFrom(Channel& ch) {
    char buf[4096];
    ssize_t n = ::read(ch.fd, buf, sizeof buf);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        if (ch.kind == Channel::Client) {
            log_.line(ch.name, n == 0 ? "DISCONNECT by peer" : std::string("DISCONNECT ") + std::strerror(errno));
            ::close(ch.fd);
            ch.fd = -1;
            ch.closed = true;
        }
        return;
    }
    std::string_view bytes(buf, static_cast<std::size_t>(n));
    if (!ch.modem) {
        feedFrames(ch, bytes);
        return;
    }
    HayesModem::Output out;
    ch.modem->receive(bytes, Clock::now(), out);
    for (const auto& l : out.log) log_.line(ch.name, "MODEM " + l);
    if (!out.toLine.empty()) write(ch, out.toLine);
    if (!out.toTerminals.empty()) feedFrames(ch, out.toTerminals);
}

void QzServer::feedFrames(Channel& ch, std::string_view bytes) {
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

void QzServer::handleFrame(Channel& ch, const std::string& frame) {
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
        reset(ch);
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

void QzServer::run(const sigset_t& unblocked, const volatile std::sig_atomic_t& stop) {
    std::vector<pollfd> fds;
    while (!stop) {
        std::optional<Clock::time_point> wake;
        fds.clear();
        for (auto& ch : channels_) {
            short events = POLLIN;
            if (!ch->pending.empty()) events |= POLLOUT;
            fds.push_back({ch->fd, events, 0});
            if (ch->modem)
                if (auto d = ch->modem->nextDeadline()) wake = wake ? std::min(*wake, *d) : *d;
            if (!ch->paced.empty()) wake = wake ? std::min(*wake, ch->paced.front().first) : ch->paced.front().first;
        }
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (wake) {
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::max(Clock::duration::zero(), *wake - Clock::now()))
                          .count();
            timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            timeoutPtr = &timeout;
        }
        int ready = ppoll(fds.data(), fds.size(), timeoutPtr, &unblocked);
        if (ready < 0 && errno != EINTR) break;
        // New channels appended while handling events are polled next turn.
        const std::size_t count = fds.size();
        for (std::size_t i = 0; i < count && ready > 0; ++i) {
            Channel& ch = *channels_[i];
            if (ch.closed || !fds[i].revents) continue;
            if (ch.kind == Channel::Listener)
                accept(ch);
            else if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                readFrom(ch);
            if (!ch.closed && (fds[i].revents & POLLOUT)) write(ch, {});
        }
        for (auto& ch : channels_) {
            if (!ch->closed) sendDue(*ch);
            if (!ch->modem || ch->closed) continue;
            HayesModem::Output out;
            ch->modem->tick(Clock::now(), out);
            for (const auto& l : out.log) log_.line(ch->name, "MODEM " + l);
            if (!out.toLine.empty()) write(*ch, out.toLine);
        }
        std::erase_if(channels_, [](const auto& ch) { return ch->closed; });
    }
}

}  // namespace vornsim::qz
