#pragma once
// The two forms of a terminal's PORT value: a serial port with its speed
// ("COM1:9600,N,8,1", "/dev/ttyUSB0:19200,N,8,1") and a TCP endpoint of
// the Ethernet bridge ("tcp//host:4001"; "tcp//" in any case).
#include "zString.h"

struct SerialPortValue {
    zString portName;
    long speed = 38400;
};

struct TcpEndpoint {
    zString host;
    int port = 3000;
};

// The rates a PORT value may select; any other number keeps 38400.
bool isSupportedSpeed(long baud);

bool isTcpPortValue(const zString& value);

// False when the value has no ":" or no port name before it. Parity, data
// and stop bits after the speed are accepted and not used.
bool parseSerialPort(const zString& value, SerialPortValue& serial);

// False when the host is empty. A port outside 1..65535 (absent, 0,
// negative, too large, not a number) becomes 3000.
bool parseTcpEndpoint(const zString& value, TcpEndpoint& endpoint);
