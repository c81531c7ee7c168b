#include "Server.h"

#include "CommandHandler.h"
#include "Endpoints.h"
#include "Telegram.h"
#include "TelegramFramer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>

namespace vornsim {

using Clock = std::chrono::steady_clock;

namespace {

// Reply bytes waiting for the line; `log` is written when the last byte is out.
struct Chunk {
    std::string bytes;
    Clock::time_point notBefore;
    Clock::duration gap{};  // quiet time after the previous chunk
    std::string log;
    std::size_t pos = 0;
    bool started = false;
    Clock::time_point start{};
};

constexpr std::size_t kMaxQueued = 256;
// A warning text that would pass for lines of the tool's log if logged raw.
constexpr char kForgedText[] = "\r\n12:00:00.000 I [Term 001] Comando RE,DE eseguito.\x05";
// Stands for line noise; holds none of the framing bytes.
const std::string kNoise = "\x7f\xfe#~\x55\xaa";

std::string twoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v % 100);
    return buf;
}

}  // namespace

struct Server::Channel {
    enum Kind { Listener, Client, Pty, Modem } kind;
    int fd = -1;
    int slaveFd = -1;  // held open so the master never sees a hang-up
    std::string name;
    std::string path;
    std::vector<int> nodes;
    std::string line;
    TelegramFramer framer{false};
    std::unique_ptr<HayesModem> modem;
    bool lineProtocol = false;
    std::unique_ptr<LineEndpoint> lines;
    std::unique_ptr<XmodemReceiver> xmodem;
    std::deque<Chunk> out;
    Clock::time_point lineFree{};
    Clock::time_point requestStart{};
    bool blocked = false;  // the last write would have blocked
    bool closed = false;

    bool serves(int node) const { return nodes.empty() || std::find(nodes.begin(), nodes.end(), node) != nodes.end(); }
};

Terminal* Server::terminalFor(const Channel& ch, int node) {
    if (!ch.serves(node)) return nullptr;
    for (auto& t : terminals_)
        if (t.node == node && t.line == ch.line) return &t;
    return nullptr;
}

std::string Server::nodeList(const ServerConfig::Endpoint& ep) const {
    std::string out;
    auto add = [&](int n) { out += (out.empty() ? "" : ",") + std::to_string(n); };
    if (!ep.nodes.empty())
        for (int n : ep.nodes) add(n);
    else
        for (const auto& t : terminals_)
            if (t.line == ep.line) add(t.node);
    return out;
}

Server::Server(std::vector<Terminal>& terminals, ServerConfig config, FaultPlan& faults, WireLog& log)
    : terminals_(terminals), config_(std::move(config)), faults_(faults), log_(log) {}

Server::~Server() {
    for (auto& ch : channels_) {
        if (ch->fd >= 0) ::close(ch->fd);
        if (ch->slaveFd >= 0) ::close(ch->slaveFd);
    }
}

bool Server::start(std::string& error) {
    for (const auto& ep : config_.tcp) {
        auto ch = std::make_unique<Channel>();
        ch->kind = Channel::Listener;
        ch->nodes = ep.nodes;
        ch->line = ep.line;
        ch->lineProtocol = ep.lineProtocol;
        int port = 0;
        ch->fd = listenTcp(config_.bindAddress, ep.port, port, error);
        if (ch->fd < 0) return false;
        ch->name = "tcp:" + std::to_string(port);
        ready_.push_back("TCP " + std::to_string(port) + " " + nodeList(ep));
        channels_.push_back(std::move(ch));
    }
    auto makePty = [&](const ServerConfig::Endpoint& ep, Channel::Kind kind, int index) {
        auto ch = std::make_unique<Channel>();
        ch->kind = kind;
        ch->nodes = ep.nodes;
        ch->line = ep.line;
        RawPty pty;
        if (!openRawPty(pty, error)) return false;
        ch->fd = pty.master;
        ch->slaveFd = pty.slave;
        ch->path = pty.path;
        ch->name = (kind == Channel::Modem ? "modem" : "pty") + std::to_string(index);
        if (kind == Channel::Modem) ch->modem = std::make_unique<HayesModem>(config_.modem);
        if (ep.lineProtocol) ch->lines = lineEndpoint(LineEndpoint::Concentrator, *ch);
        ready_.push_back((kind == Channel::Modem ? "MODEM " : "PTY ") + nodeList(ep) + " " + ch->path);
        log_.line(ch->name, "OPEN " + ch->path);
        channels_.push_back(std::move(ch));
        return true;
    };
    for (std::size_t i = 0; i < config_.ptys.size(); ++i)
        if (!makePty(config_.ptys[i], Channel::Pty, static_cast<int>(i + 1))) return false;
    for (std::size_t i = 0; i < config_.modems.size(); ++i)
        if (!makePty(config_.modems[i], Channel::Modem, static_cast<int>(i + 1))) return false;

    std::string ready = "READY";
    std::string ports;
    for (const auto& ch : channels_)
        if (ch->kind == Channel::Listener) ports += (ports.empty() ? "" : ",") + ch->name.substr(4);
    if (!ports.empty()) ready += " tcp=" + ports;
    ready_.push_back(ready);
    return true;
}

std::vector<std::string> Server::readyLines() const { return ready_; }

void Server::closeChannel(Channel& ch, const char* why) {
    log_.line(ch.name, std::string("DISCONNECT ") + why);
    ::close(ch.fd);
    ch.fd = -1;
    ch.closed = true;
}

void Server::accept(Channel& listener) {
    int fd = ::accept(listener.fd, nullptr, nullptr);
    if (fd < 0) return;
    setNonBlocking(fd);
    // Paced replies go out a few bytes at a time; do not let them wait for ACKs.
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto ch = std::make_unique<Channel>();
    ch->kind = Channel::Client;
    ch->fd = fd;
    ch->nodes = listener.nodes;
    ch->line = listener.line;
    ch->framer = TelegramFramer(true);
    if (listener.lineProtocol) ch->lines = lineEndpoint(LineEndpoint::Bridge, *ch);
    ch->name = listener.name + "#" + std::to_string(++clients_);
    log_.line(ch->name, "CONNECT");
    channels_.push_back(std::move(ch));
}

void Server::readFrom(Channel& ch) {
    char buf[4096];
    ssize_t n = ::read(ch.fd, buf, sizeof buf);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        if (ch.kind == Channel::Client) closeChannel(ch, n == 0 ? "by peer" : std::strerror(errno));
        return;
    }
    std::string_view bytes(buf, static_cast<std::size_t>(n));
    if (ch.lines) {
        feedLines(ch, bytes);
        return;
    }
    if (!ch.modem) {
        ch.xmodem ? feedXmodem(ch, bytes) : feedTelegrams(ch, bytes);
        return;
    }
    HayesModem::Output out;
    ch.modem->receive(bytes, Clock::now(), out);
    for (const auto& l : out.log) log_.line(ch.name, "MODEM " + l);
    auto replyAt = Clock::now() + std::chrono::milliseconds(ch.modem->commandReplyDelayMs());
    if (!out.toLine.empty()) ch.out.push_back({out.toLine, replyAt, {}, "MODEM TX"});
    if (!out.toTerminals.empty()) ch.xmodem ? feedXmodem(ch, out.toTerminals) : feedTelegrams(ch, out.toTerminals);
}

void Server::startXmodem(Channel& ch) {
    XmodemReceiver::Config config = config_.xmodem;
    config.byteTimeNs = config_.baud ? 10'000'000'000LL / config_.baud : 0;
    ch.xmodem = std::make_unique<XmodemReceiver>(config);
    XmodemReceiver::Output out;
    ch.xmodem->start(Clock::now(), out);
    xmodemOutput(ch, out);
}

void Server::feedXmodem(Channel& ch, std::string_view bytes) {
    XmodemReceiver::Output out;
    ch.xmodem->receive(bytes, Clock::now(), out);
    xmodemOutput(ch, out);
}

void Server::xmodemOutput(Channel& ch, const XmodemReceiver::Output& out) {
    for (const auto& l : out.log) log_.line(ch.name, l);
    if (!out.toLine.empty()) ch.out.push_back({out.toLine, out.notBefore, {}, "XMODEM TX"});
    if (!ch.xmodem->finished()) return;
    if (ch.xmodem->complete() && !config_.firmwareOut.empty()) {
        if (std::FILE* f = std::fopen(config_.firmwareOut.c_str(), "wb")) {
            std::fwrite(ch.xmodem->image().data(), 1, ch.xmodem->image().size(), f);
            std::fclose(f);
        }
    }
    ch.xmodem.reset();  // back to telegrams
}

void Server::feedTelegrams(Channel& ch, std::string_view bytes) {
    if (!ch.framer.inTelegram()) ch.requestStart = Clock::now();
    for (auto& ev : ch.framer.feed(bytes)) {
        if (ch.closed) return;
        switch (ev.kind) {
        case FramerEvent::Noise:
            log_.line(ch.name, "REFUSED " + std::to_string(ev.bytes.size()) + " bytes outside a telegram", ev.bytes);
            break;
        case FramerEvent::Oversize:
            log_.line(ch.name, "REFUSED telegram over 1024 bytes", ev.bytes.substr(0, 64));
            break;
        case FramerEvent::BridgeQuery: {
            std::string status(32, '0');
            for (int node = 1; node <= 32; ++node)
                if (terminalFor(ch, node)) status[node - 1] = '1';
            log_.line(ch.name, "BRIDGE RX", ev.bytes);
            ch.out.push_back({"Z" + status + std::string(1, kEot), Clock::now(), {}, "BRIDGE TX"});
            break;
        }
        case FramerEvent::Telegram: handleTelegram(ch, ev.bytes); break;
        }
    }
}

std::unique_ptr<LineEndpoint> Server::lineEndpoint(LineEndpoint::Kind kind, const Channel& ch) {
    LineEndpoint::Setup setup{&terminals_, ch.line, ch.nodes, &faults_, &requests_, &config_.unsolicited,
                              kind == LineEndpoint::Bridge && config_.bareLineGapMs > 0, config_.seed};
    return std::make_unique<LineEndpoint>(kind, std::move(setup));
}

void Server::feedLines(Channel& ch, std::string_view bytes) {
    LineEndpoint::Output out = ch.lines->receive(bytes);
    for (const auto& [what, raw] : out.log) log_.line(ch.name, what, raw);
    if (out.drop && ch.kind == Channel::Client) {
        closeChannel(ch, "by fault");
        return;
    }
    auto byteTime = config_.baud ? std::chrono::nanoseconds(10'000'000'000LL / config_.baud) : std::chrono::nanoseconds(0);
    auto notBefore = Clock::now() + byteTime * static_cast<long>(bytes.size()) + std::chrono::milliseconds(config_.replyDelayMs);
    if (!out.reply.empty()) ch.out.push_back({out.reply, notBefore, {}, {}});
    // Only the quiet between them tells these lines apart.
    for (std::size_t i = 0; i < out.bareLines.size(); ++i)
        ch.out.push_back({out.bareLines[i], notBefore, i ? std::chrono::milliseconds(config_.bareLineGapMs) : Clock::duration{},
                          "LINE TX bare line"});
}

void Server::handleTelegram(Channel& ch, const std::string& frame) {
    auto now = Clock::now();
    ParsedRequest parsed = parseRequest(frame);
    if (parsed.error != RequestError::None) {
        log_.line(ch.name, "REFUSED " + parsed.reason, frame);
        return;
    }
    const Request& req = parsed.request;
    Terminal* term = terminalFor(ch, req.destination);
    if (!term) {
        log_.line(ch.name, "IGNORED node=" + twoDigits(req.destination) + " not served here", frame);
        return;
    }
    int number = ++requests_;
    std::string id = "#" + std::to_string(number) + " node=" + twoDigits(req.destination) + " seq=" + twoDigits(req.sequence);
    std::string rx = "RX " + id + " \"" + escapeBytes(req.text) + "\"";
    if (req.data) rx += " data=" + std::to_string(req.data->size());
    log_.line(ch.name, rx, frame);

    auto faults = faults_.faultsFor(number, req.text);
    auto has = [&](Fault f) { return std::find(faults.begin(), faults.end(), f) != faults.end(); };
    if (has(Fault::Drop)) {
        log_.line(ch.name, "DROP " + id);
        // Punches recorded while the call is down.
        if (int added = faults_.takeRecordsToAdd(number, req.text)) {
            addFreshRecords(*term, added, config_.seed + static_cast<std::uint32_t>(number));
            log_.line(ch.name, "ADDED " + std::to_string(added) + " records to node=" + twoDigits(term->node));
        }
        if (ch.kind == Channel::Client) {
            closeChannel(ch, "by fault");
        } else if (ch.modem) {
            HayesModem::Output out;
            ch.modem->dropCarrier(now, out);
            if (!out.toLine.empty()) ch.out.push_back({out.toLine, now, {}, "MODEM NO CARRIER"});
        }
        return;
    }
    if (has(Fault::NoReply)) {
        // The request is taken as lost: the terminal does not act on it.
        log_.line(ch.name, "SKIP " + id + " no-reply");
        return;
    }

    Answer answer;
    if (has(Fault::Warning))
        answer = {Answer::Warning, std::nullopt, "fault"};
    else if (has(Fault::Error))
        answer = {Answer::Error, std::nullopt, "fault"};
    else
        answer = answerRequest(*term, req);

    if (has(Fault::ControlText)) answer = {Answer::Warning, std::nullopt, "fault"};

    ReplyParts parts;
    parts.destination = has(Fault::WrongDestination) ? (req.destination ? req.destination : 99) : 0;
    parts.source = req.destination;
    parts.sequence = req.sequence;
    parts.text = answer.kind == Answer::Warning ? "W" : answer.kind == Answer::Error ? "E" : "";
    parts.data = answer.data;
    if (has(Fault::ShortData)) parts.data = Bytes{};
    if (has(Fault::ControlText)) parts.rawData = kForgedText;
    parts.corruptChecksum = has(Fault::BadChecksum);
    std::string reply = (has(Fault::Noise) ? kNoise : std::string()) + buildReply(parts);

    auto byteTime = config_.baud ? std::chrono::nanoseconds(10'000'000'000LL / config_.baud) : std::chrono::nanoseconds(0);
    auto notBefore = std::max(now, ch.requestStart + byteTime * static_cast<long>(frame.size())) +
                     std::chrono::milliseconds(config_.replyDelayMs);
    std::string what = "TX " + id + (answer.kind == Answer::Ok ? " ok" : answer.kind == Answer::Warning ? " W" : " E");
    if (!answer.note.empty()) what += " (" + answer.note + ")";
    for (Fault f : faults) what += std::string(" fault=") + faultName(f);

    if (has(Fault::StrayReply)) {
        // Another terminal on this endpoint answers the same request late,
        // with the same sequence number.
        Terminal* other = nullptr;
        for (int node = 1; node <= 99 && !other; ++node)
            if (node != req.destination) other = terminalFor(ch, node);
        if (other) {
            Answer strayAnswer = answerRequest(*other, req);
            ReplyParts stray = parts;
            stray.source = other->node;
            stray.text = strayAnswer.kind == Answer::Warning ? "W" : strayAnswer.kind == Answer::Error ? "E" : "";
            stray.data = strayAnswer.data;
            ch.out.push_back({buildReply(stray), notBefore, {}, "TX " + id + " stray reply from node=" + twoDigits(other->node)});
        }
    }
    if (has(Fault::LateReply)) {
        ReplyParts stale = parts;
        stale.sequence = req.sequence > 1 ? req.sequence - 1 : 99;
        ch.out.push_back({buildReply(stale), notBefore, {}, "TX " + id + " late reply seq=" + twoDigits(stale.sequence)});
        ch.out.push_back({reply, notBefore, std::chrono::milliseconds(config_.lateGapMs), what});
    } else {
        ch.out.push_back({reply, notBefore, {}, what});
    }
    if (ch.out.size() > kMaxQueued) {
        ch.out.pop_front();
        log_.line(ch.name, "DISCARDED oldest reply: nobody reads this line");
    }

    if (req.text == "GL,UP" && answer.kind == Answer::Ok && !has(Fault::WrongDestination)) startXmodem(ch);

    if (int added = faults_.takeRecordsToAdd(number, req.text)) {
        addFreshRecords(*term, added, config_.seed + static_cast<std::uint32_t>(number));
        log_.line(ch.name, "ADDED " + std::to_string(added) + " records to node=" + twoDigits(term->node));
    }
}

void Server::flush(Channel& ch) {
    auto byteTime = config_.baud ? std::chrono::nanoseconds(10'000'000'000LL / config_.baud) : std::chrono::nanoseconds(0);
    auto now = Clock::now();
    ch.blocked = false;
    while (!ch.out.empty() && !ch.closed) {
        Chunk& c = ch.out.front();
        if (!c.started) {
            c.start = std::max(c.notBefore, ch.lineFree + c.gap);
            c.started = true;
        }
        if (now < c.start) return;
        std::size_t due = c.bytes.size();
        if (byteTime.count()) due = std::min<std::size_t>(due, static_cast<std::size_t>((now - c.start) / byteTime));
        if (due <= c.pos) return;
        ssize_t n = ch.kind == Channel::Client ? ::send(ch.fd, c.bytes.data() + c.pos, due - c.pos, MSG_NOSIGNAL)
                                               : ::write(ch.fd, c.bytes.data() + c.pos, due - c.pos);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                ch.blocked = true;
            } else if (ch.kind == Channel::Client) {
                closeChannel(ch, std::strerror(errno));
            } else {
                log_.line(ch.name, std::string("WRITE FAILED ") + std::strerror(errno));
                ch.out.clear();
            }
            return;
        }
        c.pos += static_cast<std::size_t>(n);
        if (c.pos < c.bytes.size()) {
            if (c.pos < due) ch.blocked = true;
            return;
        }
        ch.lineFree = byteTime.count() ? c.start + byteTime * static_cast<long>(c.bytes.size()) : now;
        if (!c.log.empty()) log_.line(ch.name, c.log, c.bytes);
        ch.out.pop_front();
    }
}

void Server::run(const sigset_t& unblocked, const volatile std::sig_atomic_t& stop) {
    auto byteTime = config_.baud ? std::chrono::nanoseconds(10'000'000'000LL / config_.baud) : std::chrono::nanoseconds(0);
    std::vector<pollfd> fds;
    while (!stop) {
        auto now = Clock::now();
        std::optional<Clock::time_point> wake;
        auto consider = [&](Clock::time_point t) { wake = wake ? std::min(*wake, t) : t; };
        fds.clear();
        for (auto& ch : channels_) {
            short events = POLLIN;
            if (ch->blocked) events |= POLLOUT;
            fds.push_back({ch->fd, events, 0});
            if (!ch->out.empty() && !ch->blocked) {
                const Chunk& c = ch->out.front();
                Clock::time_point start = c.started ? c.start : std::max(c.notBefore, ch->lineFree + c.gap);
                consider(start + byteTime * static_cast<long>(c.pos + (byteTime.count() ? 1 : 0)));
            }
            if (ch->modem)
                if (auto d = ch->modem->nextDeadline()) consider(*d);
            if (ch->xmodem)
                if (auto d = ch->xmodem->nextDeadline()) consider(*d);
        }
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (wake) {
            auto wait = std::max(Clock::duration::zero(), *wake - now);
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            timeoutPtr = &timeout;
        }
        int ready = ppoll(fds.data(), fds.size(), timeoutPtr, &unblocked);
        if (ready < 0 && errno != EINTR) break;

        // New channels appended while handling events are polled next turn.
        std::size_t count = fds.size();
        for (std::size_t i = 0; i < count && ready > 0; ++i) {
            Channel& ch = *channels_[i];
            if (ch.closed || !fds[i].revents) continue;
            if (ch.kind == Channel::Listener)
                accept(ch);
            else if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                readFrom(ch);
        }
        for (auto& ch : channels_) {
            if (ch->modem && !ch->closed) {
                HayesModem::Output out;
                ch->modem->tick(Clock::now(), out);
                for (const auto& l : out.log) log_.line(ch->name, "MODEM " + l);
                if (!out.toLine.empty()) ch->out.push_back({out.toLine, Clock::now(), {}, "MODEM TX"});
            }
            if (ch->xmodem && !ch->closed) {
                XmodemReceiver::Output out;
                ch->xmodem->tick(Clock::now(), out);
                xmodemOutput(*ch, out);
            }
            if (!ch->closed) flush(*ch);
        }
        std::erase_if(channels_, [](const auto& ch) { return ch->closed; });
    }
}

}  // namespace vornsim
