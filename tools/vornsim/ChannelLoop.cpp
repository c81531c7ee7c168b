#include "ChannelLoop.h"

#include "Endpoints.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vornsim {

ChannelLoop::ChannelLoop(WireLog& log, Settings settings) : log_(log), settings_(std::move(settings)) {}

ChannelLoop::~ChannelLoop() {
    for (auto& ch : channels_) {
        if (ch->fd >= 0) ::close(ch->fd);
        if (ch->slaveFd >= 0) ::close(ch->slaveFd);
    }
}

bool ChannelLoop::start(std::string& error) {
    if (!openEndpoints(error)) return false;
    std::string ports;
    for (const auto& ch : channels_)
        if (ch->kind == Channel::Listener) ports += (ports.empty() ? "" : ",") + ch->name.substr(4);
    ready_.push_back(ports.empty() ? "READY" : "READY tcp=" + ports);
    return true;
}

ChannelLoop::Channel* ChannelLoop::listen(std::unique_ptr<Channel> ch, const std::string& address, int port,
                                          const std::string& served, std::string& error) {
    int boundPort = 0;
    ch->kind = Channel::Listener;
    ch->fd = listenTcp(address, port, boundPort, error);
    if (ch->fd < 0) return nullptr;
    ch->name = "tcp:" + std::to_string(boundPort);
    ready_.push_back("TCP " + std::to_string(boundPort) + " " + served);
    return channels_.emplace_back(std::move(ch)).get();
}

ChannelLoop::Channel* ChannelLoop::openPty(std::unique_ptr<Channel> ch, Channel::Kind kind, int index,
                                           const std::string& served, std::string& error) {
    RawPty pty;
    if (!openRawPty(pty, error)) return nullptr;
    const bool modem = kind == Channel::Modem;
    ch->kind = kind;
    ch->fd = pty.master;
    ch->slaveFd = pty.slave;
    ch->path = pty.path;
    ch->name = (modem ? "modem" : "pty") + std::to_string(index);
    if (modem) ch->modem = std::make_unique<HayesModem>(settings_.modem);
    ready_.push_back((modem ? "MODEM " : "PTY ") + served + " " + ch->path);
    log_.line(ch->name, "OPEN " + ch->path);
    return channels_.emplace_back(std::move(ch)).get();
}

void ChannelLoop::closeChannel(Channel& ch, const std::string& why) {
    log_.line(ch.name, "DISCONNECT " + why);
    ::close(ch.fd);
    ch.fd = -1;
    ch.closed = true;
}

void ChannelLoop::resetChannel(Channel& ch) {
    // A zero linger time makes close() send RST.
    linger hard{1, 0};
    setsockopt(ch.fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    closeChannel(ch, "reset");
}

void ChannelLoop::accept(Channel& listener) {
    int fd = ::accept(listener.fd, nullptr, nullptr);
    if (fd < 0) return;
    setNonBlocking(fd);
    // Paced replies go out a few bytes at a time; do not let them wait for ACKs.
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto ch = accepted(listener);
    ch->kind = Channel::Client;
    ch->fd = fd;
    ch->name = listener.name + "#" + std::to_string(++clients_);
    log_.line(ch->name, "CONNECT");
    channels_.push_back(std::move(ch));
}

void ChannelLoop::readFrom(Channel& ch) {
    char buf[4096];
    ssize_t n = ::read(ch.fd, buf, sizeof buf);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        if (ch.kind == Channel::Client) closeChannel(ch, n == 0 ? "by peer" : std::strerror(errno));
        return;
    }
    std::string_view bytes(buf, static_cast<std::size_t>(n));
    if (!ch.modem) {
        received(ch, bytes);
        return;
    }
    HayesModem::Output out;
    ch.modem->receive(bytes, Clock::now(), out);
    modemOutput(ch, out, Clock::now() + std::chrono::milliseconds(ch.modem->commandReplyDelayMs()));
    if (!out.toTerminals.empty()) received(ch, out.toTerminals);
}

void ChannelLoop::modemOutput(Channel& ch, const HayesModem::Output& out, Clock::time_point sendAt) {
    for (const auto& l : out.log) log_.line(ch.name, "MODEM " + l);
    if (!out.toLine.empty()) ch.out.push_back({out.toLine, sendAt, {}, settings_.modemTxLog});
}

void ChannelLoop::flush(Channel& ch) {
    const auto byteTime = settings_.byteTime;
    const auto now = Clock::now();
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

std::optional<ChannelLoop::Clock::time_point> ChannelLoop::nextWake(const Channel& ch) const {
    std::optional<Clock::time_point> wake;
    auto consider = [&](std::optional<Clock::time_point> t) {
        if (t) wake = wake ? std::min(*wake, *t) : *t;
    };
    if (!ch.out.empty() && !ch.blocked) {
        // When the next byte of the first chunk is due.
        const auto byteTime = settings_.byteTime;
        const Chunk& c = ch.out.front();
        Clock::time_point start = c.started ? c.start : std::max(c.notBefore, ch.lineFree + c.gap);
        consider(start + byteTime * static_cast<long>(c.pos + (byteTime.count() ? 1 : 0)));
    }
    if (ch.modem) consider(ch.modem->nextDeadline());
    consider(deadline(ch));
    return wake;
}

void ChannelLoop::run(const sigset_t& unblocked, const volatile std::sig_atomic_t& stop) {
    std::vector<pollfd> fds;
    while (!stop) {
        const auto now = Clock::now();
        std::optional<Clock::time_point> wake;
        fds.clear();
        for (auto& ch : channels_) {
            fds.push_back({ch->fd, static_cast<short>(POLLIN | (ch->blocked ? POLLOUT : 0)), 0});
            if (auto w = nextWake(*ch)) wake = wake ? std::min(*wake, *w) : *w;
        }
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (wake) {
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::max(Clock::duration::zero(), *wake - now))
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
        }
        for (auto& ch : channels_) {
            if (ch->modem && !ch->closed) {
                HayesModem::Output out;
                ch->modem->tick(Clock::now(), out);
                modemOutput(*ch, out, Clock::now());
            }
            if (!ch->closed) tick(*ch);
            if (!ch->closed) flush(*ch);
        }
        std::erase_if(channels_, [](const auto& ch) { return ch->closed; });
    }
}

}  // namespace vornsim
