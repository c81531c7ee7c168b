#pragma once
// A TCP socket as a byte link: the host (name() holds the official host
// name, secondName() its dotted address), the port, and the socket handle.
// Errors are Windows Sockets numbers (WinsockError.h).
#include "zCommDev.h"

#include <cstdint>

class zSocket : public zCommDev {
public:
    zSocket() = default;
    ~zSocket() override;

    // Resolves a name or a dotted address into name() and secondName();
    // false with the resolver's error recorded when it fails.
    bool setHost(const zString& host);
    // The host text as it was given, before resolving.
    const zString& hostText() const { return hostText_; }
    void setPort(int number);
    bool setService(const zString& serviceName);
    int port() const;                       // host byte order
    const zString& serviceName() const { return service_; }
    const zString& addressText() const { return secondName_; }

    int socketHandle() const { return fd_; }
    // Takes over a connected socket (a server's accepted connection).
    void attachHandle(int fd);
    bool isClosed() const { return fd_ < 0; }
    bool setSocketOption(int level, int option, int value);
    std::uint32_t optionFlags() const { return options_; }
    void setOptionFlags(std::uint32_t flags) { options_ = flags; }

    zString errorText(int code = 0) const override;

protected:
    bool failErrno(int err);
    void closeHandle();

    int fd_ = -1;
    std::uint16_t portNet_ = 0;  // network byte order
    zString service_;
    zString hostText_;
    std::uint32_t options_ = 0;
};
