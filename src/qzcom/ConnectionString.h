#pragma once
// The OPENCOM parameter: "COM1:9600 1 DIR", "/dev/ttyUSB0:9600 1 DIR",
// "TCP:a.b.c.d_e.f.g.h_PORT_LOCALPORT ADDR DIR" (or its short form
// "TCP:a.b.c.d PORT ADDR DIR"), "UDP:..." alike. A '*' in place of the colon
// after the port or link word switches the tagged protocol on.
#include <array>
#include <optional>
#include <string>

namespace qzcom {

enum class LinkKind { Serial, Tcp, Udp };

struct LinkParams {
    LinkKind kind = LinkKind::Serial;
    std::string device;       // serial: COMn mapped to /dev/ttyS(n-1), or the path given
    long baud = 0;
    std::array<int, 4> ip{};  // TCP/UDP peer
    int port = 0;
    int localPort = 0;
    int address = 0;          // 0..127
    bool tagged = false;
    std::string workDir;      // third token to the end, case kept
};

// Nothing when the text is not a connection string of a known link kind.
std::optional<LinkParams> parseConnectionString(const std::string& text);

}  // namespace qzcom
