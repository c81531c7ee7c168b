#pragma once
// A serial device opened raw for one user: never as the controlling
// terminal, without waiting for carrier, optionally held exclusively. Every
// call returns 0 or an errno value; each caller translates it into its own
// error space.
#include <string>
#include <termios.h>

namespace fnd {

class SerialLine {
public:
    struct Options {
        // TIOCEXCL: no further open of the device while it is held.
        bool exclusive = false;
        // Puts back on close the settings the device had when opened. Only
        // for callers that empty the output queue first: bytes still queued
        // would otherwise leave at the old speed.
        bool restoreOnClose = false;
    };

    SerialLine() = default;
    ~SerialLine() { close(); }
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Read-write, non-blocking, close-on-exec. A device that is not a
    // terminal fails (ENOTTY) and is left closed.
    int open(const std::string& path, Options options);
    int open(const std::string& path) { return open(path, Options{}); }
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Raw 8N1 bytes: no echo, line editing, translation or software flow
    // control, receiver on, carrier ignored. A read returns what has arrived
    // after readTenths tenths of a second (VMIN 0).
    int makeRaw(int readTenths = 0);
    // Any rate, those without a termios constant included.
    int setBaud(long baud);
    // A rate by its termios constant (B9600 ...), as the plain termios
    // fields carry it.
    int setSpeed(speed_t code);
    // Reads and writes wait, or return at once.
    int setBlocking(bool blocking);

    // The modem-control lines (TIOCM_DTR, TIOCM_RTS, TIOCM_CTS, TIOCM_CAR
    // ...). A device without them (a pseudo-terminal) fails with ENOTTY or
    // EINVAL.
    int modemLines(int& lines) const;
    int setModemLines(int lines, bool on);

private:
    int fd_ = -1;
    termios saved_{};
    bool restore_ = false;
};

}  // namespace fnd
