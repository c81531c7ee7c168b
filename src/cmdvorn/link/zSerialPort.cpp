#include "zSerialPort.h"

#include "WritePriority.h"

#include "winError.h"
#include "zDeadline.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int kErrNotSupported = 50;

}  // namespace

zSerialPort::zSerialPort(zString name, int irq) : zCommDev(std::move(name)), irq_(irq) {}

zSerialPort::~zSerialPort() {
    close();
}

int zSerialPort::defaultIrq(const zString& portName) { return IrqOwnership::defaultIrq(portName); }

zString zSerialPort::devicePath(const zString& portName) {
    if (IrqOwnership::isComName(portName)) return zString::format("/dev/ttyS%d", comNumber(portName) - 1);
    return portName;
}

int zSerialPort::comNumber(const zString& portName) { return IrqOwnership::isComName(portName) ? portName.mid(3).toInt() : 0; }

int zSerialPort::drainWaitMs(std::size_t n, long speed) {
    if (speed <= 0) speed = 38400;
    std::size_t inFifo = n % 16 == 0 ? 16 : n % 16;
    int t = static_cast<int>(static_cast<double>(inFifo) * 10000.0 / static_cast<double>(speed) + 1.0);
    int floor = speed >= 38400 ? 3 : speed == 19200 ? 6 : speed == 9600 ? 9 : 16;
    return std::max(t, floor);
}

bool zSerialPort::fail(int err) {
    lastError_ = fnd::winErrorFromErrno(err);
    return false;
}

bool zSerialPort::open(const char* name) {
    zLock hold(lock_);
    if (isOpen()) return true;
    if (name && *name) name_ = name;
    if (name_.isEmpty()) {
        lastError_ = fnd::kErrInvalidParameter;
        return false;
    }

    IrqOwnership::claim(irq_, this);

    // A failed open leaves neither the device, changed or open, nor the
    // interrupt taken.
    auto failOpen = [this](int err) {
        line_.close();
        IrqOwnership::release(irq_, this);
        return fail(err);
    };
    // The device gets its own settings back on close, which drops the
    // unsent output first.
    if (int err = line_.open(devicePath(name_).str(), {.restoreOnClose = true}); err != 0) return failOpen(err);
    speed_ = 38400;
    if (int err = line_.makeRaw(); err != 0) return failOpen(err);
    if (int err = line_.setBaud(speed_); err != 0) return failOpen(err);
    modemLines_ = true;
    setFlowControl(FlowNone);
    readTimeout_ = 0;
    writeTimeout_ = 0;
    purge(Purge::Both);
    lastError_ = 0;
    return true;
}

bool zSerialPort::close() {
    zLock hold(lock_);
    if (!isOpen()) return true;
    clearStale();
    if (modem_) {
        setDtr(false);
        modem_ = nullptr;
    }
    line_.close();
    IrqOwnership::release(irq_, this);
    return true;
}

bool zSerialPort::applyTermios() {
    termios tio{};
    if (tcgetattr(line_.fd(), &tio) != 0) return fail(errno);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (flow_ == FlowHardware) tio.c_cflag |= CRTSCTS;
    if (flow_ == FlowSoftware) tio.c_iflag |= IXON | IXOFF;
    if (tcsetattr(line_.fd(), TCSANOW, &tio) != 0) return fail(errno);
    // A termios write may fall back to a standard rate; the line keeps its own.
    if (int err = line_.setBaud(speed_); err != 0) return fail(err);
    return true;
}

bool zSerialPort::setFlowControl(int mode) {
    if (mode != FlowNone && mode != FlowHardware && mode != FlowSoftware) return false;
    zLock hold(lock_);
    flow_ = mode;
    return isOpen() ? applyTermios() : true;
}


void zSerialPort::setSpeed(long baud) {
    zLock hold(lock_);
    if (baud <= 0) return;
    bool changed = baud != speed_;
    speed_ = baud;
    if (changed && isOpen()) {
        if (int err = line_.setBaud(speed_); err != 0) fail(err);
    }
}

void zSerialPort::clearStale() {
    // Output still queued from a write that could not finish goes too;
    // bytes already handed to the line stay (the last bytes before a close
    // included), as a pseudo-terminal would drop them from its other side.
    purge(Purge::Receive);
    int unsent = 0;
    if (ioctl(line_.fd(), TIOCOUTQ, &unsent) == 0 && unsent > 0) purge(Purge::Transmit);
}

void zSerialPort::purge(Purge which) {
    zLock hold(lock_);
    if (!isOpen()) return;
    tcflush(line_.fd(), which == Purge::Receive ? TCIFLUSH : which == Purge::Transmit ? TCOFLUSH : TCIOFLUSH);
}

bool zSerialPort::noModemLines(int err) {
    if (err != ENOTTY && err != EINVAL && err != ENOTSUP) return fail(err);
    modemLines_ = false;
    lastError_ = kErrNotSupported;
    if (!modemLinesReported_ && log_) {
        modemLinesReported_ = true;
        log_->log(zLogger::Warning, "%s: nessuna linea di controllo modem (DTR, RTS, CTS, DCD) sul dispositivo %s",
                  name_.c_str(), devicePath(name_).c_str());
    }
    return false;
}

bool zSerialPort::modemLinesUsable() {
    if (!isOpen()) {
        lastError_ = fnd::kErrInvalidHandle;
        return false;
    }
    if (!modemLines_) {
        lastError_ = kErrNotSupported;
        return false;
    }
    return true;
}

bool zSerialPort::modemLineResult(int err) { return err == 0 || noModemLines(err); }

bool zSerialPort::setDtr(bool on) {
    zLock hold(lock_);
    return modemLinesUsable() && modemLineResult(line_.setModemLines(TIOCM_DTR, on));
}

bool zSerialPort::setRts(bool on) {
    zLock hold(lock_);
    if (flow_ == FlowHardware) return true;  // the handshake owns RTS
    return modemLinesUsable() && modemLineResult(line_.setModemLines(TIOCM_RTS, on));
}

bool zSerialPort::modemStatus(unsigned& bits) {
    zLock hold(lock_);
    bits = 0;
    int lines = 0;
    if (!modemLinesUsable() || !modemLineResult(line_.modemLines(lines))) return false;
    if (lines & TIOCM_CTS) bits |= kCts;
    if (lines & TIOCM_DSR) bits |= kDsr;
    if (lines & TIOCM_RNG) bits |= kRing;
    if (lines & TIOCM_CAR) bits |= kDcd;
    return true;
}

bool zSerialPort::ctsOn() {
    unsigned bits = 0;
    return modemStatus(bits) && (bits & kCts) != 0;
}

bool zSerialPort::dcdOn() {
    unsigned bits = 0;
    return modemStatus(bits) && (bits & kDcd) != 0;
}

bool zSerialPort::hasInput() {
    zLock hold(lock_);
    if (!isOpen()) {
        lastError_ = fnd::kErrInvalidHandle;
        return false;
    }
    int queued = 0;
    if (ioctl(line_.fd(), FIONREAD, &queued) != 0) return fail(errno);
    return queued > 0;
}

long zSerialPort::lineTimeMs(std::size_t length) const {
    return static_cast<long>(length) * 10000L / std::max(speed_, 1L) + 1000;
}

bool zSerialPort::writeAll(const unsigned char* data, std::size_t length, std::size_t& written) {
    // Without a write time-out the bytes get the time the line needs for them.
    int timeout = writeTimeout_ > 0 ? writeTimeout_ : static_cast<int>(lineTimeMs(length));
    fnd::Deadline deadline(timeout);
    while (written < length) {
        ssize_t n = ::write(line_.fd(), data + written, length - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return fail(errno);
        int left = deadline.msLeft();
        if (left == 0) {
            lastError_ = fnd::kErrTimeout;
            return false;
        }
        pollfd p{line_.fd(), POLLOUT, 0};
        ::poll(&p, 1, left);
    }
    return true;
}

void zSerialPort::waitTransmitted(std::size_t length) {
    // A write is complete once the system's output queue is empty, so the
    // purge before the next request never cuts a request short. Bounded, so
    // a line held by flow control cannot stall the write.
    fnd::Deadline deadline(std::max<long>(writeTimeout_, lineTimeMs(length)));
    int queued = 0;
    while (ioctl(line_.fd(), TIOCOUTQ, &queued) == 0 && queued > 0 && !deadline.passed()) fnd::sleepMs(1);
}

bool zSerialPort::write(const void* buffer, std::size_t length, std::size_t& written) {
    zLock hold(lock_);
    WritePriority priority;
    written = 0;
    if (!isOpen() || !buffer || length == 0) {
        lastError_ = fnd::kErrInvalidParameter;
        return false;
    }
    // A stale reply is never read after a new request.
    clearStale();

    // The line drivers get their power-up and run-down times only where
    // there are lines to drive: a device without them has nothing to wait for.
    bool driveLines = lineDriverControl_ == LineDriverControl::AroundWrites;
    if (driveLines) {
        driveLines = setDtr(true);
        setRts(true);
        if (driveLines) fnd::sleepMs(2);
    }
    lastError_ = 0;
    bool ok = writeAll(static_cast<const unsigned char*>(buffer), length, written);
    if (!ok && written == 0) {
        int err = lastError_;
        if (driveLines) {
            setDtr(false);
            setRts(false);
        }
        lastError_ = err;
        return false;
    }
    waitTransmitted(written);
    if (driveLines) {
        // The UART's FIFO still holds the last bytes.
        if (length > 1) fnd::sleepMs(drainWaitMs(written, speed_));
        int err = lastError_;
        setRts(false);
        setDtr(false);
        lastError_ = err;
    }
    return written > 0;
}

bool zSerialPort::read(void* buffer, std::size_t size, std::size_t& count) {
    return readUntil(buffer, size, count, false);
}

bool zSerialPort::readTelegram(char* buffer, std::size_t size, std::size_t& count) {
    return readUntil(buffer, size, count, terminator_ != 0);
}

bool zSerialPort::readUntil(void* buffer, std::size_t size, std::size_t& count, bool telegram) {
    zLock hold(lock_);
    count = 0;
    if (!isOpen()) {
        lastError_ = fnd::kErrInvalidHandle;
        return false;
    }
    if (!buffer || size == 0) {
        lastError_ = fnd::kErrInvalidParameter;
        return false;
    }
    lastError_ = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    // A telegram read waits for the terminator, then takes what is queued;
    // other reads end when the buffer is full. Both end at the time-out.
    const fnd::Deadline deadline(readTimeout_);
    bool terminated = false;
    bool hungUp = false;
    for (;;) {
        ssize_t n = count < size ? ::read(line_.fd(), bytes + count, size - count) : 0;
        if (n > 0) {
            if (telegram && std::memchr(bytes + count, static_cast<unsigned char>(terminator_), static_cast<std::size_t>(n)))
                terminated = true;
            count += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if ((n < 0 && errno != EAGAIN) || (n == 0 && hungUp)) {
            int err = n < 0 ? errno : EIO;  // end of file after a hang-up
            if (telegram) {
                count = 0;
                purge(Purge::Receive);
            }
            return fail(err);
        }
        if (telegram ? terminated : count == size) return true;
        int left = deadline.msLeft();
        if (left == 0) {
            if (!telegram) return count > 0;
            // A plain time-out leaves no error code.
            count = 0;
            purge(Purge::Receive);
            return false;
        }
        pollfd p{line_.fd(), static_cast<short>(count < size ? POLLIN : 0), 0};
        hungUp = ::poll(&p, 1, left) > 0 && (p.revents & POLLHUP) != 0;
    }
}
