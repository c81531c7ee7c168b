#include "Eventually.h"
#include "PtyPair.h"
#include "TextFile.h"
#include "zSerialPort.h"

#include "zLogger.h"

#include <filesystem>
#include <sys/ioctl.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
// The largest reply of the terminal protocol.
constexpr std::size_t kReplySize = 1024;

TEST(SerialDrainWait, FiguresPerSpeedAndFifoFill) {
    EXPECT_EQ(zSerialPort::drainWaitMs(25, 9600), 10);   // 9 bytes left in the FIFO
    EXPECT_EQ(zSerialPort::drainWaitMs(25, 38400), 3);   // floor at 38400
    EXPECT_EQ(zSerialPort::drainWaitMs(16, 4800), 34);   // a full FIFO
    EXPECT_EQ(zSerialPort::drainWaitMs(32, 19200), 9);
    EXPECT_EQ(zSerialPort::drainWaitMs(3, 19200), 6);    // floor at 19200
    EXPECT_EQ(zSerialPort::drainWaitMs(2, 9600), 9);     // floor at 9600
    EXPECT_EQ(zSerialPort::drainWaitMs(2, 4800), 16);    // floor elsewhere
    EXPECT_EQ(zSerialPort::drainWaitMs(17, 115200), 3);
}

TEST(SerialNames, DevicesAndInterruptNumbers) {
    EXPECT_EQ(zSerialPort::devicePath("COM1"), zString("/dev/ttyS0"));
    EXPECT_EQ(zSerialPort::devicePath("com10"), zString("/dev/ttyS9"));
    EXPECT_EQ(zSerialPort::devicePath("/dev/ttyUSB0"), zString("/dev/ttyUSB0"));
    EXPECT_EQ(zSerialPort::defaultIrq("COM1"), 4);
    EXPECT_EQ(zSerialPort::defaultIrq("COM3"), 4);
    EXPECT_EQ(zSerialPort::defaultIrq("COM2"), 3);
    EXPECT_EQ(zSerialPort::defaultIrq("COM4"), 3);
    EXPECT_EQ(zSerialPort::defaultIrq("/dev/ttyS1"), 0);
    EXPECT_EQ(zSerialPort::defaultIrq("COMX"), 0);
}

TEST(SerialOpen, MissingDeviceAndNonTerminalFailWithTheirCodes) {
    zSerialPort gone("/dev/ttyDoesNotExist");
    EXPECT_FALSE(gone.open());
    EXPECT_EQ(gone.lastError(), 2);
    EXPECT_EQ(gone.errorText(), zString("The system cannot find the file specified."));
    zSerialPort notTty("/dev/null");
    EXPECT_FALSE(notTty.open());
    EXPECT_FALSE(notTty.isOpen());
    EXPECT_EQ(notTty.lastError(), 1);
    EXPECT_EQ(notTty.errorText(), zString("Incorrect function."));
}

TEST(SerialOpen, ClosedPortRefusesWork) {
    zSerialPort port("/dev/null");
    std::size_t n = 0;
    char buf[4];
    EXPECT_FALSE(port.write("x", 1, n));
    EXPECT_EQ(port.lastError(), 87);
    EXPECT_FALSE(port.read(buf, sizeof buf, n));
    EXPECT_EQ(port.lastError(), 6);
    EXPECT_FALSE(port.hasInput());
    EXPECT_EQ(port.lastError(), 6);
    EXPECT_TRUE(port.close());
}

class SerialPty : public ::testing::Test {
protected:
    void SetUp() override {
        port = std::make_unique<zSerialPort>(pty.path.c_str());
        port->setTerminator(zCommDev::kEOT);
        ASSERT_TRUE(port->open()) << port->errorText().c_str();
        port->setReadTimeout(1000);
    }
    // Bytes waiting on the port's side of the line.
    int queuedInput() const {
        int n = -1;
        return ioctl(pty.slave, FIONREAD, &n) == 0 ? n : -1;
    }
    PtyPair pty;
    std::unique_ptr<zSerialPort> port;
};

TEST_F(SerialPty, OpenSetsTheLineUp) {
    zSerialPort other(pty.path.c_str());
    ASSERT_TRUE(other.open());
    EXPECT_EQ(other.speed(), 38400);
    EXPECT_EQ(other.flowControl(), zSerialPort::FlowNone);
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.slave, &tio), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_TRUE(other.close());
}

TEST_F(SerialPty, TelegramReadWaitsForTheTerminator) {
    std::size_t n = 0;
    ASSERT_TRUE(port->write("\x01" "0500010" "2VE" "abcd\x04", 12, n));
    EXPECT_EQ(n, 12u);
    EXPECT_EQ(pty.receive(), std::string("\x01" "0500010" "2VE" "abcd\x04", 12));

    std::thread terminal([&] {
        pty.send("\x01" "000501");
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
        pty.send("02OK1234\x04");
    });
    char buf[kReplySize + 1];
    auto start = Clock::now();
    bool ok = port->readTelegram(buf, kReplySize, n);
    auto took = msSince(start);
    terminal.join();
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::string(buf, n), "\x01" "00050102OK1234\x04");
    EXPECT_GE(took, 100);
    EXPECT_EQ(port->lastError(), 0);
}

TEST_F(SerialPty, TelegramReadTakesWhatFollowsTheTerminator) {
    pty.send("one\x04two");
    ASSERT_TRUE(eventually([&] { return queuedInput() == 7; }));
    char buf[kReplySize + 1];
    std::size_t n = 0;
    ASSERT_TRUE(port->readTelegram(buf, kReplySize, n));
    EXPECT_EQ(std::string(buf, n), "one\x04two");
}

TEST_F(SerialPty, TelegramTimeOutLeavesNoErrorAndNextWritePurges) {
    port->setReadTimeout(300);
    pty.send("no end");
    char buf[kReplySize + 1];
    std::size_t n = 99;
    auto start = Clock::now();
    EXPECT_FALSE(port->readTelegram(buf, kReplySize, n));
    EXPECT_GE(msSince(start), 280);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(port->lastError(), 0);

    // A reply arriving late is thrown away by the next request.
    pty.send("late\x04");
    ASSERT_TRUE(eventually([&] { return queuedInput() == 5; }));
    ASSERT_TRUE(port->writeString("Q\x04"));
    port->setReadTimeout(100);
    EXPECT_FALSE(port->readTelegram(buf, kReplySize, n));
}

TEST_F(SerialPty, PlainReadsAreBoundedByTheTimeOutOnly) {
    port->setTerminator(0);
    port->setReadTimeout(200);
    pty.send("ab\x04" "cd");
    char buf[kReplySize + 1];
    std::size_t n = 0;
    auto start = Clock::now();
    ASSERT_TRUE(port->read(buf, kReplySize, n));
    EXPECT_GE(msSince(start), 180);  // no early end at EOT
    EXPECT_EQ(std::string(buf, n), "ab\x04" "cd");

    // A terminator set does not end a plain read: done once the bytes are there.
    port->setTerminator(zCommDev::kEOT);
    port->setReadTimeout(2000);
    pty.send("xyz");
    start = Clock::now();
    ASSERT_TRUE(port->read(buf, 3, n));
    EXPECT_LT(msSince(start), 1000);
    EXPECT_EQ(std::string(buf, n), "xyz");
}

TEST_F(SerialPty, HangUpOfTheOtherSideEndsAReadAtOnce) {
    port->setReadTimeout(3000);
    ::close(pty.slave);
    pty.slave = -1;
    pty.closeMaster();
    char buf[kReplySize + 1];
    std::size_t n = 0;
    auto start = Clock::now();
    EXPECT_FALSE(port->readTelegram(buf, kReplySize, n));
    EXPECT_LT(msSince(start), 1500);
    EXPECT_NE(port->lastError(), 0);
}

TEST_F(SerialPty, NoModemLinesIsReportedOnceAndNeverBlocksWrites) {
    auto logPath = std::filesystem::temp_directory_path() / ("serial_lines_" + std::to_string(getpid()) + ".log");
    std::filesystem::remove(logPath);
    {
        zLogger log(logPath.string().c_str());
        port->setLogger(&log);
        port->setLineDriverControl(LineDriverControl::AroundWrites);
        std::size_t n = 0;
        EXPECT_TRUE(port->write("first", 5, n));
        EXPECT_TRUE(port->write("second", 6, n));
        EXPECT_EQ(pty.receive(), "firstsecond");
        EXPECT_FALSE(port->setDtr(true));
        EXPECT_EQ(port->lastError(), 50);
        unsigned bits = 0xFF;
        EXPECT_FALSE(port->modemStatus(bits));
        EXPECT_EQ(bits, 0u);
        EXPECT_FALSE(port->ctsOn());
        EXPECT_FALSE(port->dcdOn());
        EXPECT_FALSE(port->hasModemLines());
    }
    std::string text = readFile(logPath);
    auto first = text.find("nessuna linea di controllo modem");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find("nessuna linea di controllo modem", first + 1), std::string::npos);
    std::filesystem::remove(logPath);
}

TEST_F(SerialPty, LineDriverWaitsOnlyWhereThereAreLinesToDrive) {
    // A pseudo-terminal has no DTR/RTS: the power-up and drain waits that
    // serve the line drivers would only slow every exchange down.
    port->setLineDriverControl(LineDriverControl::AroundWrites);
    port->setSpeed(300);  // a slow line makes the skipped wait long (301 ms)
    std::size_t n = 0;
    auto start = Clock::now();
    ASSERT_TRUE(port->write("1234567890123456789012345", 25, n));
    EXPECT_LT(msSince(start), zSerialPort::drainWaitMs(25, 300));
    EXPECT_EQ(pty.receive().size(), 25u);
}

TEST_F(SerialPty, SpeedsWithoutATermiosConstant) {
    for (long baud : {56000L, 64000L, 128000L, 9600L}) {
        port->setSpeed(baud);
        EXPECT_EQ(port->lastError(), 0) << baud;
        EXPECT_EQ(port->speed(), baud);
    }
    std::size_t n = 0;
    ASSERT_TRUE(port->write("ok", 2, n));
    EXPECT_EQ(pty.receive(), "ok");
}

TEST_F(SerialPty, FlowControlModes) {
    EXPECT_TRUE(port->setFlowControl(zSerialPort::FlowHardware));
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.slave, &tio), 0);
    EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_TRUE(port->setFlowControl(zSerialPort::FlowSoftware));
    ASSERT_EQ(tcgetattr(pty.slave, &tio), 0);
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_NE(tio.c_iflag & IXON, 0u);
    EXPECT_FALSE(port->setFlowControl(3));
    EXPECT_EQ(port->flowControl(), zSerialPort::FlowSoftware);
}

TEST(SerialIrq, OpeningAPortClosesTheOneOnTheSameInterrupt) {
    PtyPair a, b, c;
    zSerialPort first(a.path.c_str(), 5);
    zSerialPort second(b.path.c_str(), 5);
    zSerialPort other(c.path.c_str(), 6);
    ASSERT_TRUE(first.open());
    ASSERT_TRUE(other.open());
    ASSERT_TRUE(second.open());
    EXPECT_FALSE(first.isOpen());
    EXPECT_TRUE(other.isOpen());
    // A closed port gives its interrupt back.
    second.close();
    ASSERT_TRUE(first.open());
    EXPECT_TRUE(other.isOpen());
    EXPECT_FALSE(second.isOpen());
}

TEST(SerialIrq, PortsWithoutInterruptNeverCloseEachOther) {
    PtyPair a, b;
    zSerialPort first(a.path.c_str());
    zSerialPort second(b.path.c_str());
    ASSERT_TRUE(first.open());
    ASSERT_TRUE(second.open());
    EXPECT_TRUE(first.isOpen());
}

}  // namespace
