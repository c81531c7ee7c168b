#pragma once
// The one link of the library: a serial line (termios) or a TCP or UDP
// socket. Sends frames and collects reply lines under the settings' time-outs.
#include "ConnectionString.h"
#include "SerialLine.h"
#include "Settings.h"
#include "zFd.h"

#include <functional>
#include <string>
#include <string_view>

namespace qzcom {

// Shows a message (first and second text) to the user.
using Notify = std::function<void(const std::string&, const std::string&)>;
// Polled during every wait; true ends the wait with kStopped.
using StopCheck = std::function<bool()>;

class Link {
public:
    Link() = default;
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    ~Link() { close(); }

    // 0, kLinkFailed or kStopped.
    int open(const LinkParams& params, const Settings& settings, const StopCheck& stop,
             const Notify& notify);
    void close();
    bool isOpen() const { return fd() >= 0; }
    LinkKind kind() const { return kind_; }

    // Writes the bytes as they are; false when the link is gone.
    bool send(std::string_view bytes);
    // One reply line, SOH through CR: 0, kLinkFailed, kConnectionReset, kTimeout or kStopped.
    // `line` is empty on every error.
    int receiveLine(std::string& line, const Settings& settings, const StopCheck& stop);
    // Drops the input already waiting: the serial line's queue, or what a
    // socket holds (bounded, so a streaming peer cannot hold the caller).
    void discardWaiting();
    // Serial only: the carrier-detect line; false when the device has no
    // modem-control lines.
    bool carrier(bool& present) const;
    // Serial only: a new speed for the open line.
    bool setBaud(long baud);

private:
    int openSerial(const LinkParams& params, const Notify& notify);
    int openTcp(const LinkParams& params, const Settings& settings, const StopCheck& stop,
                const Notify& notify);
    int openUdp(const LinkParams& params, const Notify& notify);
    int receiveSerial(std::string& line, const Settings& settings, const StopCheck& stop);
    int receiveSocket(std::string& line, const Settings& settings, const StopCheck& stop);

    // The open line's descriptor, or -1.
    int fd() const { return serial_.isOpen() ? serial_.fd() : socket_.get(); }

    fnd::SerialLine serial_;
    zFd socket_;
    LinkKind kind_ = LinkKind::Serial;
};

}  // namespace qzcom
