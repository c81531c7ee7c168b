#pragma once
// A serial port on the Linux termios interface, tuned for the terminal
// protocol: a read of a whole telegram waits for the terminator byte rather
// than for a byte count, and every write runs at raised priority and, for
// line drivers switched by the modem-control lines, raises DTR and RTS
// around the transmission, dropping them only once the UART has shifted the
// last byte out. The line always runs 8 data bits, no parity, 1 stop bit.
//
// "COMn" names the device /dev/ttyS(n-1); a name starting with "/" is a
// device path. Ports sharing an interrupt number cannot be open together:
// opening one closes the other.
#include "IrqOwnership.h"
#include "SerialLine.h"
#include "zCommDev.h"
#include "zLogger.h"

class zSerialPort : public zCommDev {
public:
    static constexpr int kMaxIrq = IrqOwnership::kMaxIrq;
    // Windows modem-status bits, as modemStatus reports them.
    static constexpr unsigned kCts = 0x10, kDsr = 0x20, kRing = 0x40, kDcd = 0x80;
    enum FlowControl { FlowNone = 1, FlowHardware = 2, FlowSoftware = 4 };

    // irq 0: the port shares no interrupt with any other.
    explicit zSerialPort(zString name, int irq = 0);
    ~zSerialPort() override;

    // The default interrupt number of a COMn name (4 for odd n in the fourth
    // character, else 3); 0 for device paths and other names.
    static int defaultIrq(const zString& portName);
    // The device file a port name stands for.
    static zString devicePath(const zString& portName);
    // n of a COMn name, every digit of it; 0 for device paths and other names.
    static int comNumber(const zString& portName);
    // Milliseconds to wait after writing n bytes before the last one has
    // left the UART's 16-byte FIFO.
    static int drainWaitMs(std::size_t n, long speed);

    bool open(const char* name = nullptr) override;
    bool close() override;
    bool isOpen() const override { return line_.isOpen(); }
    bool write(const void* buffer, std::size_t length, std::size_t& written) override;
    // Fills the buffer, or takes what arrived by the read time-out.
    bool read(void* buffer, std::size_t size, std::size_t& count) override;
    // Waits for the terminator, then takes what is queued. A time-out or a
    // failure returns nothing and clears the receive side; a plain time-out
    // leaves no error code.
    bool readTelegram(char* buffer, std::size_t size, std::size_t& count) override;
    bool hasInput() override;
    void setSpeed(long baud) override;
    void purge(Purge which) override;
    LinkKind kind() const override { return LinkKind::SerialPort; }
    const char* kindName() const override { return "Serial port"; }

    long speed() const { return speed_; }
    int irq() const { return irq_; }
    int flowControl() const { return flow_; }
    bool setFlowControl(int mode);

    // Modem-control lines. A device without them (a pseudo-terminal) fails
    // these with error 50, and the port says so once in the log.
    bool modemStatus(unsigned& bits);
    bool ctsOn();
    bool dcdOn();
    bool setDtr(bool on);
    bool setRts(bool on);
    bool hasModemLines() const { return modemLines_; }

    // Where the one report about missing modem-control lines goes.
    void setLogger(zLogger* log) { log_ = log; }

private:
    // Drops what was received and what never reached the line.
    void clearStale();
    bool fail(int err);
    bool readUntil(void* buffer, std::size_t size, std::size_t& count, bool telegram);
    bool applyTermios();
    // The port is open and its device has modem-control lines.
    bool modemLinesUsable();
    // 0 from a modem-line call, or its failure recorded.
    bool modemLineResult(int err);
    bool noModemLines(int err);
    // The time n bytes need on the line, plus a second of slack.
    long lineTimeMs(std::size_t n) const;
    bool writeAll(const unsigned char* data, std::size_t length, std::size_t& written);
    void waitTransmitted(std::size_t length);

    fnd::SerialLine line_;
    long speed_ = 38400;
    int irq_;
    int flow_ = FlowNone;
    bool modemLines_ = true;
    bool modemLinesReported_ = false;
    zLogger* log_ = nullptr;
};
