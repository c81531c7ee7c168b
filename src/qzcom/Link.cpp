#include "Link.h"

#include "Codes.h"
#include "Frame.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

namespace qzcom {
namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr int kPollSliceMs = 100;  // the serial port's read time-out, and how often a wait looks at Stop
// Stale input dropped before a request; a peer that streams without end
// cannot hold the drop longer than this much.
constexpr std::size_t kDiscardLimit = 64 * 1024;

// Waits count whole seconds: a wait of n seconds ends once more than n have passed.
class Deadline {
public:
    explicit Deadline(int seconds) : start_(SteadyClock::now()), seconds_(seconds) {}
    bool passed() const { return SteadyClock::now() - start_ > std::chrono::seconds(seconds_); }

private:
    SteadyClock::time_point start_;
    int seconds_;
};

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
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int Link::openSerial(const LinkParams& params, const Notify& notify) {
    // Each step is tried even after a failure, and each failure is told.
    int result = kDone;
    fd_ = ::open(params.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0 || ::ioctl(fd_, TIOCEXCL) != 0) {
        notify("CreateFile Error", params.device);
        result = kLinkFailed;
    }
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        notify("GetCommState Error", params.device);
        result = kLinkFailed;
    }
    // 8 data bits, no parity, 1 stop bit, raw bytes; other settings as found.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = kPollSliceMs / 100;
    std::optional<speed_t> speed = speedFor(params.baud);
    if (!speed || ::cfsetspeed(&tio, *speed) != 0 || ::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        notify("SetCommState Error", params.device);
        result = kLinkFailed;
    }
    if (result != kDone) close();
    return result;
}

int Link::openTcp(const LinkParams& params, const Settings& settings, const StopCheck& stop,
                  const Notify& notify) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(params.port));
    inet_pton(AF_INET, dottedAddress(params).c_str(), &peer.sin_addr);

    Deadline deadline(settings.rxConnectionTimeout);
    while (true) {
        if (fd_ < 0) {
            fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd_ < 0) {
                notify("Error " + std::to_string(errno) + " on Create socket...", "");
                return kLinkFailed;
            }
            if (::connect(fd_, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0) return kDone;
            if (errno != EINPROGRESS) {
                close();  // refused at once: a fresh attempt after a pause
                std::this_thread::sleep_for(std::chrono::milliseconds(kPollSliceMs));
            }
        }
        pollfd p{fd_, POLLOUT, 0};
        if (fd_ >= 0 && ::poll(&p, 1, kPollSliceMs) > 0) {
            int error = 0;
            socklen_t len = sizeof error;
            ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len);
            if (error == 0) return kDone;
            close();  // refused or unreachable: a fresh attempt after a pause
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollSliceMs));
        }
        if (stop()) {
            close();
            return kStopped;
        }
        if (deadline.passed()) {
            close();
            return kLinkFailed;
        }
    }
}

int Link::openUdp(const LinkParams& params, const Notify& notify) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        notify("Error " + std::to_string(errno) + " on Create socket...", "");
        return kLinkFailed;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(params.localPort));
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        notify("Error " + std::to_string(errno) + " on Create socket...", "");
        close();
        return kLinkFailed;
    }
    return kDone;
}

bool Link::send(std::string_view bytes) {
    if (fd_ < 0) return false;
    if (kind_ == LinkKind::Udp) return true;  // nothing is ever sent on a datagram link
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = kind_ == LinkKind::Tcp
                        ? ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                        : ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, 1000) <= 0) return false;
    }
    return true;
}

int Link::receiveLine(std::string& line, const Settings& settings, const StopCheck& stop) {
    line.clear();
    if (fd_ < 0 || kind_ == LinkKind::Udp) return kTimeout;  // no request went out, so no reply comes
    int code = kind_ == LinkKind::Serial ? receiveSerial(line, settings, stop)
                                         : receiveSocket(line, settings, stop);
    if (code != kDone) line.clear();
    return code;
}

int Link::receiveSerial(std::string& line, const Settings& settings, const StopCheck& stop) {
    LineCollector collector;
    Deadline deadline(settings.serialTimeout);
    while (true) {
        char byte;
        if (readable(fd_, kPollSliceMs) && ::read(fd_, &byte, 1) == 1) {
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
    Deadline deadline(settings.ethernetTimeout);
    while (true) {
        char piece[kMaxLine];
        if (readable(fd_, kPollSliceMs)) {
            ssize_t n = ::recv(fd_, piece, sizeof piece, MSG_DONTWAIT);
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
    if (fd_ < 0) return;
    if (kind_ == LinkKind::Serial) {
        ::tcflush(fd_, TCIFLUSH);
        return;
    }
    char waste[kMaxLine];
    for (std::size_t dropped = 0; dropped < kDiscardLimit;) {
        const ssize_t n = ::recv(fd_, waste, sizeof waste, MSG_DONTWAIT);
        if (n <= 0) return;  // nothing more waiting; a close is noticed by the next receive
        dropped += static_cast<std::size_t>(n);
    }
}

bool Link::carrier(bool& present) const {
    int lines = 0;
    present = false;
    if (fd_ < 0 || kind_ != LinkKind::Serial || ::ioctl(fd_, TIOCMGET, &lines) != 0) return false;
    present = (lines & TIOCM_CD) != 0;
    return true;
}

bool Link::setBaud(long baud) {
    termios tio{};
    std::optional<speed_t> speed = speedFor(baud);
    return fd_ >= 0 && kind_ == LinkKind::Serial && speed && ::tcgetattr(fd_, &tio) == 0 &&
           ::cfsetspeed(&tio, *speed) == 0 && ::tcsetattr(fd_, TCSANOW, &tio) == 0;
}

}  // namespace qzcom
