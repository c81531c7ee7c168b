#include "SerialLine.h"

#include "PtyPair.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The line opens the slave side by its path, as it would a serial device.
termios settings(const PtyPair& pty) {
    termios tio{};
    EXPECT_EQ(tcgetattr(pty.slave, &tio), 0);
    return tio;
}

TEST(SerialLine, MissingDeviceAndNonTerminalFailAndStayClosed) {
    fnd::SerialLine line;
    EXPECT_EQ(line.open("/dev/no-such-tty"), ENOENT);
    EXPECT_EQ(line.open("/dev/null"), ENOTTY);
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(line.fd(), -1);
}

TEST(SerialLine, RawLineWithItsSpeedAndBlockingMode) {
    PtyPair pty;
    termios cooked = settings(pty);
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_iflag |= IXON | IXOFF | ICRNL;
    cooked.c_cflag |= CSTOPB;
    ASSERT_EQ(tcsetattr(pty.slave, TCSANOW, &cooked), 0);
    fnd::SerialLine line;
    ASSERT_EQ(line.open(pty.path), 0);
    EXPECT_NE(fcntl(line.fd(), F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(fcntl(line.fd(), F_GETFD) & FD_CLOEXEC, 0);

    ASSERT_EQ(line.makeRaw(3), 0);
    termios tio = settings(pty);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CLOCAL | CREAD), static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 3);

    ASSERT_EQ(line.setSpeed(B19200), 0);
    tio = settings(pty);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(line.setBaud(56000), 0);  // a rate without a termios constant

    ASSERT_EQ(line.setBlocking(true), 0);
    EXPECT_EQ(fcntl(line.fd(), F_GETFL) & O_NONBLOCK, 0);
}

TEST(SerialLine, CloseRestoresTheSettingsOnlyWhenAsked) {
    PtyPair pty;  // raw, reads waiting for one byte
    ASSERT_EQ(settings(pty).c_cc[VMIN], 1);
    fnd::SerialLine line;

    ASSERT_EQ(line.open(pty.path, {.restoreOnClose = true}), 0);
    ASSERT_EQ(line.makeRaw(), 0);
    line.close();
    EXPECT_EQ(settings(pty).c_cc[VMIN], 1);

    ASSERT_EQ(line.open(pty.path), 0);
    ASSERT_EQ(line.makeRaw(), 0);
    line.close();
    EXPECT_EQ(settings(pty).c_cc[VMIN], 0);
}

TEST(SerialLine, ExclusiveOpenOfAPseudoTerminalWithoutModemLines) {
    PtyPair pty;
    fnd::SerialLine line;
    ASSERT_EQ(line.open(pty.path, {.exclusive = true}), 0);
    int exclusive = 0;
    ASSERT_EQ(ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    int lines = -1;
    for (int err : {line.modemLines(lines), line.setModemLines(TIOCM_DTR, true)})
        EXPECT_TRUE(err == ENOTTY || err == EINVAL) << err;
}

}  // namespace
