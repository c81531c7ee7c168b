#include "PortValue.h"

namespace {
constexpr char kTcpPrefix[] = "tcp//";
constexpr int kTcpPrefixLength = 5;
constexpr long kSpeeds[] = {4800, 9600, 19200, 56000, 57600, 64000, 115200, 128000};
}  // namespace

bool isSupportedSpeed(long baud) {
    for (long s : kSpeeds)
        if (s == baud) return true;
    return false;
}

bool isTcpPortValue(const zString& value) { return value.left(kTcpPrefixLength).equalsNoCase(kTcpPrefix); }

bool parseSerialPort(const zString& value, SerialPortValue& serial) {
    int colon = value.find(':');
    if (colon <= 0) return false;
    serial.portName = value.left(colon);
    serial.speed = 38400;
    zString rest = value.mid(colon + 1);
    int comma = rest.find(',');
    if (comma >= 1) {
        long baud = rest.left(comma).toLong();
        if (isSupportedSpeed(baud)) serial.speed = baud;
    }
    return true;
}

bool parseTcpEndpoint(const zString& value, TcpEndpoint& endpoint) {
    zString rest = value.mid(kTcpPrefixLength);
    int colon = rest.find(':');
    endpoint.host = colon >= 1 ? rest.left(colon) : rest;
    endpoint.host.trim();
    endpoint.port = 3000;
    if (colon >= 1) {
        long port = rest.mid(colon + 1).toLong();
        if (port >= 1 && port <= 65535) endpoint.port = static_cast<int>(port);
    }
    return !endpoint.host.isEmpty() && endpoint.host.find(':') < 0;
}
