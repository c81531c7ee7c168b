#include "SerialLine.h"

#include "SerialBaud.h"
#include "zFd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fnd {

int SerialLine::open(const std::string& path, Options options) {
    close();
    // Non-blocking, so that a line without CLOCAL cannot hold the open until carrier comes.
    zFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) return errno;
    if (options.exclusive && ::ioctl(fd.get(), TIOCEXCL) != 0) return errno;
    if (::tcgetattr(fd.get(), &saved_) != 0) return errno;
    restore_ = options.restoreOnClose;
    fd_ = fd.release();
    return 0;
}

void SerialLine::close() {
    if (fd_ < 0) return;
    if (restore_) ::tcsetattr(fd_, TCSANOW, &saved_);
    ::close(fd_);
    fd_ = -1;
    restore_ = false;
}

int SerialLine::makeRaw(int readTenths) {
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return errno;
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = static_cast<cc_t>(readTenths);
    return ::tcsetattr(fd_, TCSANOW, &tio) == 0 ? 0 : errno;
}

int SerialLine::setBaud(long baud) { return setSerialBaud(fd_, baud); }

int SerialLine::setSpeed(speed_t code) {
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0 || ::cfsetspeed(&tio, code) != 0) return errno;
    return ::tcsetattr(fd_, TCSANOW, &tio) == 0 ? 0 : errno;
}

int SerialLine::setBlocking(bool blocking) {
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0) return errno;
    const int wanted = blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK;
    return ::fcntl(fd_, F_SETFL, wanted) == 0 ? 0 : errno;
}

int SerialLine::modemLines(int& lines) const {
    lines = 0;
    return ::ioctl(fd_, TIOCMGET, &lines) == 0 ? 0 : errno;
}

int SerialLine::setModemLines(int lines, bool on) {
    return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &lines) == 0 ? 0 : errno;
}

}  // namespace fnd
