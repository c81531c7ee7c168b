#pragma once
// The simulator's two kinds of endpoint, opened the same way for both
// terminal families: a non-blocking TCP listener and a raw pseudo-terminal.
#include <string>

namespace vornsim {

void setNonBlocking(int fd);

// Listens on `address`:`port` (0: a free port). The listening socket, or -1
// with `error` set; `boundPort` receives the port in use.
int listenTcp(const std::string& address, int port, int& boundPort, std::string& error);

struct RawPty {
    int master = -1;
    int slave = -1;  // held open so the master never sees a hang-up
    std::string path;
};

// False with `error` set when no pseudo-terminal can be had.
bool openRawPty(RawPty& pty, std::string& error);

}  // namespace vornsim
