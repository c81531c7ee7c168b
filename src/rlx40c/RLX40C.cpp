#include "RLX40C.h"

#include "SerialLine.h"
#include "crc16.h"
#include "zDeadline.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define RLX40C_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr char kStart = 0x02;
constexpr char kEnd = 0x03;
constexpr int kAnswerMs = 1000;
constexpr std::size_t kMaxPayload = 999;
constexpr std::size_t kAreaText = 127;  // the area holds the node byte, 127 characters and NUL
enum Result { Open = 1, PortMissing = 0, PortBusy = -2, Timeout = -1, NotInitialised = -3 };
enum Poll { Message = 2, NothingToSend = 1, NoAnswer = 0 };

fnd::SerialLine line;
int retries = 1;

struct Frame {
    char kind = 0;
    int node = 0;
    std::string payload;
};

speed_t baud(int speedCode) {
    switch (speedCode) {
    case 1: return B9600;
    case 3: return B38400;
    default: return B19200;
    }
}

std::string devicePath(int port) {
    std::string key = "RLX40C_COM" + std::to_string(port);
    if (const char* named = std::getenv(key.c_str()); named && *named) return named;
    return port >= 1 ? "/dev/ttyS" + std::to_string(port - 1) : std::string();
}

// The port opens without waiting for carrier; once the line is set up
// (CLOCAL included), reads and writes may block again as the protocol
// expects.
int openLine(const std::string& path, int speedCode) {
    if (int err = line.open(path); err != 0)
        return err == ENOENT || err == ENXIO || err == ENODEV ? PortMissing : PortBusy;
    if (line.makeRaw() == 0 && line.setSpeed(baud(speedCode)) == 0 && line.setBlocking(true) == 0) return Open;
    line.close();
    return PortBusy;
}

bool writeAll(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(line.fd(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool send(char kind, int node, const char* payload) {
    std::size_t length = payload ? strnlen(payload, kMaxPayload) : 0;
    char head[8];
    std::snprintf(head, sizeof head, "%c%02d%03zu", kind, node % 100, length);
    std::string body = std::string(head) + std::string(payload ? payload : "", length);
    char check[8];
    std::snprintf(check, sizeof check, "%04x", fnd::crc16(body.data(), body.size()));
    tcflush(line.fd(), TCIFLUSH);  // an answer to an older request is stale now
    return writeAll(std::string(1, kStart) + body + check + kEnd);
}

// Reads one byte before the deadline.
bool readByte(char& c, const fnd::Deadline& deadline) {
    for (;;) {
        if (deadline.passed()) return false;
        pollfd p{line.fd(), POLLIN, 0};
        int rc = ::poll(&p, 1, deadline.msLeft());
        if (rc < 0 && errno == EINTR) continue;
        if (rc <= 0) return false;
        ssize_t n = ::read(line.fd(), &c, 1);
        if (n == 1) return true;
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        return false;
    }
}

bool readDigits(int count, int& value, const fnd::Deadline& deadline, std::string& body) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        char c;
        if (!readByte(c, deadline) || c < '0' || c > '9') return false;
        body += c;
        value = value * 10 + (c - '0');
    }
    return true;
}

// The next frame with a good check before the deadline.
bool receive(Frame& frame) {
    const fnd::Deadline deadline(kAnswerMs);
    char c;
    while (readByte(c, deadline)) {
        if (c != kStart) continue;
        std::string body;
        int length = 0;
        if (!readByte(frame.kind, deadline)) return false;
        body += frame.kind;
        if (!readDigits(2, frame.node, deadline, body) || !readDigits(3, length, deadline, body)) continue;
        frame.payload.clear();
        for (int i = 0; i < length && readByte(c, deadline); ++i) frame.payload += c;
        body += frame.payload;
        char check[5] = {};
        for (int i = 0; i < 4 && readByte(c, deadline); ++i) check[i] = c;
        char expected[8];
        std::snprintf(expected, sizeof expected, "%04x", fnd::crc16(body.data(), body.size()));
        if (readByte(c, deadline) && c == kEnd && std::strcmp(check, expected) == 0 &&
            frame.payload.size() == static_cast<std::size_t>(length))
            return true;
    }
    return false;
}

// A request and its answer, tried `retries` times.
bool exchange(char kind, int node, const char* payload, Frame& answer) {
    for (int attempt = 0; attempt < retries; ++attempt)
        if (send(kind, node, payload) && receive(answer)) return true;
    return false;
}

}  // namespace

RLX40C_EXPORT int InitR40(int port, int speedCode, int, int) {
    if (line.isOpen()) return Open;
    std::string path = devicePath(port);
    if (path.empty()) return PortMissing;
    if (int opened = openLine(path, speedCode); opened != Open) return opened;
    Frame answer;
    char code[8];
    std::snprintf(code, sizeof code, "%d", speedCode);
    if (exchange('I', 0, code, answer) && answer.kind == 'I') return Open;
    line.close();
    return Timeout;
}

RLX40C_EXPORT int ChgSpeedR40(int speedCode) {
    return line.isOpen() && line.makeRaw() == 0 && line.setSpeed(baud(speedCode)) == 0 ? 1 : 0;
}

RLX40C_EXPORT int PollTerm(int node, char* area) {
    if (!line.isOpen()) return NotInitialised;
    Frame answer;
    if (!exchange('P', node, nullptr, answer)) return Timeout;
    switch (answer.kind) {
    case 'M': {
        std::size_t n = std::min(answer.payload.size(), kAreaText);
        area[0] = static_cast<char>(answer.node);
        std::memcpy(area + 1, answer.payload.data(), n);
        area[1 + n] = '\0';
        return Message;
    }
    case 'E': return NothingToSend;
    case 'N': return NoAnswer;
    default: return Timeout;
    }
}

RLX40C_EXPORT int PollAll(void) { return 0; }

RLX40C_EXPORT int SendMsg(int node, const char* text) {
    if (!line.isOpen()) return NotInitialised;
    Frame answer;
    if (!exchange('S', node, text, answer) || answer.kind != 'A') return Timeout;
    return 0;
}

RLX40C_EXPORT int RetryNum(int count) {
    int previous = retries;
    if (count >= 1 && count <= 9) retries = count;
    return previous;
}

RLX40C_EXPORT int ResetR40(void) {
    if (line.isOpen()) {
        send('R', 0, nullptr);
        tcdrain(line.fd());
        line.close();
    }
    return 0;
}

RLX40C_EXPORT int DTRon(void) {
    if (line.isOpen()) line.setModemLines(TIOCM_DTR, true);
    return 0;
}

RLX40C_EXPORT int DTRoff(void) {
    if (line.isOpen()) line.setModemLines(TIOCM_DTR, false);
    return 0;
}
