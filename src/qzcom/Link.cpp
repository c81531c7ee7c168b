#include "Link.h"

#include "Codes.h"
#include "Frame.h"
#include "TcpConnect.h"
#include "zDeadline.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace qzcom {
namespace {

constexpr int kPollSliceMs = 100;  // the serial port's read time-out, and how often a wait looks at Stop
// Stale input dropped before a request; a peer that streams without end
// cannot hold the drop longer than this much.
constexpr std::size_t kDiscardLimit = 64 * 1024;

// The settings count their time-outs in whole seconds.
fnd::Deadline secondsFromNow(int seconds) { return fnd::Deadline(seconds * 1000L); }

std::optional<speed_t> speedFor(long baud) {
    switch (baud) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return std::nullopt;
    }
}

bool readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}

std::string dottedAddress(const LinkParams& p) {
    return std::to_string(p.ip[0]) + "." + std::to_string(p.ip[1]) + "." + std::to_string(p.ip[2]) +
           "." + std::to_string(p.ip[3]);
}

}  // namespace

int Link::open(const LinkParams& params, const Settings& settings, const StopCheck& stop,
               const Notify& notify) {
    close();
    kind_ = params.kind;
    switch (params.kind) {
    case LinkKind::Serial: return openSerial(params, notify);
    case LinkKind::Tcp: return openTcp(params, settings, stop, notify);
    case LinkKind::Udp: return openUdp(params, notify);
    }
    return kLinkFailed;
}

void Link::close() {
    serial_.close();
    socket_.reset();
}

int Link::openSerial(const LinkParams& params, const Notify& notify) {
    // Each failure is told; a line that did not open has no state to read
    // or set either.
    int result = kDone;
    if (serial_.open(params.device, {.exclusive = true}) != 0) {
        notify("CreateFile Error", params.device);
        notify("GetCommState Error", params.device);
        result = kLinkFailed;
    }
    // 8 data bits, no parity, 1 stop bit, raw bytes; other settings as found.
    std::optional<speed_t> speed = speedFor(params.baud);
    if (!serial_.isOpen() || !speed || serial_.makeRaw(kPollSliceMs / 100) != 0 || serial_.setSpeed(*speed) != 0) {
        notify("SetCommState Error", params.device);
        result = kLinkFailed;
    }
    if (result != kDone) close();
    return result;
}

int Link::openTcp(const LinkParams& params, const Settings& settings, const StopCheck& stop,
                  const Notify& notify) {
    // A refused or unreachable peer gets a fresh attempt after a pause, until the time-out.
    fnd::TcpConnection connection =
        fnd::tcpConnect(dottedAddress(params), static_cast<std::uint16_t>(params.port),
                        secondsFromNow(settings.rxConnectionTimeout), stop,
                        {.retryPauseMs = kPollSliceMs, .stopPollMs = kPollSliceMs});
    if (connection.connected()) {
        socket_ = std::move(connection.socket);
        return kDone;
    }
    if (connection.failure == fnd::TcpConnection::Failure::Socket) {
        notify("Error " + std::to_string(connection.error) + " on Create socket...", "");
        return kLinkFailed;
    }
    return connection.error == ECANCELED ? kStopped : kLinkFailed;
}

int Link::openUdp(const LinkParams& params, const Notify& notify) {
    socket_.reset(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket_.valid()) {
        notify("Error " + std::to_string(errno) + " on Create socket...", "");
        return kLinkFailed;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(params.localPort));
    if (::bind(socket_.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        notify("Error " + std::to_string(errno) + " on Create socket...", "");
        close();
        return kLinkFailed;
    }
    return kDone;
}

bool Link::send(std::string_view bytes) {
    if (fd() < 0) return false;
    if (kind_ == LinkKind::Udp) return true;  // nothing is ever sent on a datagram link
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = kind_ == LinkKind::Tcp
                        ? ::send(fd(), bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                        : ::write(fd(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd p{fd(), POLLOUT, 0};
        if (::poll(&p, 1, 1000) <= 0) return false;
    }
    return true;
}

int Link::receiveLine(std::string& line, const Settings& settings, const StopCheck& stop) {
    line.clear();
    if (fd() < 0 || kind_ == LinkKind::Udp) return kTimeout;  // no request went out, so no reply comes
    int code = kind_ == LinkKind::Serial ? receiveSerial(line, settings, stop)
                                         : receiveSocket(line, settings, stop);
    if (code != kDone) line.clear();
    return code;
}

int Link::receiveSerial(std::string& line, const Settings& settings, const StopCheck& stop) {
    LineCollector collector;
    const fnd::Deadline deadline = secondsFromNow(settings.serialTimeout);
    while (true) {
        char byte;
        if (readable(fd(), kPollSliceMs) && ::read(fd(), &byte, 1) == 1) {
            switch (collector.add(byte)) {
            case LineCollector::State::Complete: line = collector.line(); return kDone;
            case LineCollector::State::Overflow: return kLinkFailed;
            case LineCollector::State::More: break;
            }
        }
        if (stop()) return kStopped;
        if (deadline.passed()) return kTimeout;
    }
}

int Link::receiveSocket(std::string& line, const Settings& settings, const StopCheck& stop) {
    std::string received;
    const fnd::Deadline deadline = secondsFromNow(settings.ethernetTimeout);
    while (true) {
        char piece[kMaxLine];
        if (readable(fd(), kPollSliceMs)) {
            ssize_t n = ::recv(fd(), piece, sizeof piece, MSG_DONTWAIT);
            // A peer that closes the connection has gone as surely as one that resets it.
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return kConnectionReset;
            if (n > 0) {
                if (received.size() + static_cast<std::size_t>(n) > kMaxLine) return kTimeout;
                received.append(piece, static_cast<std::size_t>(n));
                if (piece[n - 1] == kCr) {
                    // Whatever came before the last SOH is noise or an older reply.
                    std::size_t start = received.rfind(kSoh);
                    line = received.substr(start == std::string::npos ? 0 : start);
                    return kDone;
                }
            }
        }
        if (stop()) return kStopped;
        if (deadline.passed()) return kTimeout;
    }
}

void Link::discardWaiting() {
    if (fd() < 0) return;
    if (kind_ == LinkKind::Serial) {
        ::tcflush(fd(), TCIFLUSH);
        return;
    }
    char waste[kMaxLine];
    for (std::size_t dropped = 0; dropped < kDiscardLimit;) {
        const ssize_t n = ::recv(fd(), waste, sizeof waste, MSG_DONTWAIT);
        if (n <= 0) return;  // nothing more waiting; a close is noticed by the next receive
        dropped += static_cast<std::size_t>(n);
    }
}

bool Link::carrier(bool& present) const {
    int lines = 0;
    present = false;
    if (!serial_.isOpen() || serial_.modemLines(lines) != 0) return false;
    present = (lines & TIOCM_CD) != 0;
    return true;
}

bool Link::setBaud(long baud) {
    std::optional<speed_t> speed = speedFor(baud);
    return serial_.isOpen() && speed && serial_.setSpeed(*speed) == 0;
}

}  // namespace qzcom
