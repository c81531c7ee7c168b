#pragma once
// The abstract byte link: serial port, TCP link, bridge link, concentrator
// binding and plain files all offer these operations, so the terminal layer
// talks to any of them the same way. Failures return false and leave an
// error code of the tool's one error space (winError.h) in lastError().
#include "zMutex.h"
#include "zString.h"

#include <cstddef>

class zCommDev;
class zModem;

// What a link is, as kind() reports it.
enum class LinkKind : int { File = 1, SerialPort = 2, Tcp = 3 };
// Which side of a link purge() clears.
enum class Purge : int { Receive = 1, Transmit = 2, Both = 3 };
// Whether DTR and RTS are raised around each write, for line drivers
// powered or switched by the modem-control lines.
enum class LineDriverControl : int { Off = 0, AroundWrites = 1 };

class zCommDev {
public:
    static constexpr char kLF = 0x0A;
    static constexpr char kEOT = 0x04;

    zCommDev() = default;
    explicit zCommDev(zString name) : name_(std::move(name)) {}
    virtual ~zCommDev() = default;
    zCommDev(const zCommDev&) = delete;
    zCommDev& operator=(const zCommDev&) = delete;

    virtual bool open(const char* name) = 0;
    virtual bool close() = 0;
    virtual bool isOpen() const = 0;
    virtual bool writeByte(char c);
    virtual bool writeString(const char* text);
    virtual bool write(const void* buffer, std::size_t length, std::size_t& written) = 0;
    virtual bool readByte(char& c);
    // Reads until the terminator was stored, a NUL arrives, a read fails or
    // size - 1 bytes are stored; always NUL-terminates.
    virtual bool readLine(char* buffer, std::size_t size);
    virtual bool readLineString(zString& line);
    virtual bool read(void* buffer, std::size_t size, std::size_t& count) = 0;
    // One reply of the terminal protocol: waits until the terminator has
    // arrived, then takes what is queued, at most size bytes; count > 0 on
    // success. The buffer holds size + 1 bytes. Here: a line read.
    virtual bool readTelegram(char* buffer, std::size_t size, std::size_t& count);
    virtual bool hasInput() = 0;
    virtual void setLineDriverControl(LineDriverControl mode) { lineDriverControl_ = mode; }
    virtual void setReadTimeout(int ms) { readTimeout_ = ms; }
    virtual void setWriteTimeout(int ms) { writeTimeout_ = ms; }
    virtual void setSpeed(long /*baud*/) {}
    virtual void purge(Purge /*which*/) {}
    virtual void setTerminator(char c) { terminator_ = c; }
    virtual LinkKind kind() const = 0;
    virtual const char* kindName() const = 0;
    // Text for code, or for the last error when code is 0; empty without error.
    virtual zString errorText(int code = 0) const;

    const zString& name() const { return name_; }
    const zString& secondName() const { return secondName_; }
    LineDriverControl lineDriverControl() const { return lineDriverControl_; }
    int readTimeout() const { return readTimeout_; }
    int writeTimeout() const { return writeTimeout_; }
    char terminator() const { return terminator_; }
    int lastError() const { return lastError_; }
    void setLastError(int code) { lastError_ = code; }
    zModem* attachedModem() const { return modem_; }
    void attachModem(zModem* m) { modem_ = m; }

protected:
    zString name_;
    zString secondName_;
    LineDriverControl lineDriverControl_ = LineDriverControl::Off;
    int readTimeout_ = 1000;
    int writeTimeout_ = 1000;
    char terminator_ = kLF;
    int lastError_ = 0;
    zMutex lock_;
    zModem* modem_ = nullptr;
};
