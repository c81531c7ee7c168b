#pragma once
// The receiving end of an XMODEM transfer as a test plays it on the master
// side of a pseudo-terminal: bytes out, bytes and whole packets in, with a
// record of everything the sender wrote.
#include <chrono>
#include <cstdint>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>

struct XmodemPacket {
    int number = 0;
    int complement = 0;
    int checksum = 0;
    std::string data;

    bool checksumMatches() const {
        unsigned sum = 0;
        for (char c : data) sum += static_cast<unsigned char>(c);
        return static_cast<int>(sum & 0xFF) == checksum;
    }
};

class XmodemPeer {
public:
    explicit XmodemPeer(int fd) : fd_(fd) {}

    void send(const std::string& bytes) {
        if (::write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) received_ += "<write failed>";
    }
    void sendByte(std::uint8_t byte) { send(std::string(1, static_cast<char>(byte))); }

    // Up to n bytes; fewer when they have not all come within timeoutMs.
    std::string read(std::size_t n, int timeoutMs = 3000) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < n) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char buf[256];
            std::size_t want = n - got.size() < sizeof buf ? n - got.size() : sizeof buf;
            ssize_t r = ::read(fd_, buf, want);
            if (r <= 0) break;
            got.append(buf, static_cast<std::size_t>(r));
        }
        received_ += got;
        return got;
    }

    // The next packet, or nothing when 132 bytes starting with SOH do not come.
    std::optional<XmodemPacket> packet(int timeoutMs = 3000) {
        std::string bytes = read(132, timeoutMs);
        if (bytes.size() != 132 || bytes[0] != '\x01') return std::nullopt;
        XmodemPacket p;
        p.number = static_cast<unsigned char>(bytes[1]);
        p.complement = static_cast<unsigned char>(bytes[2]);
        p.data = bytes.substr(3, 128);
        p.checksum = static_cast<unsigned char>(bytes[131]);
        return p;
    }

    // Everything read so far; look at it once the receiving thread has ended.
    const std::string& received() const { return received_; }

private:
    int fd_;
    std::string received_;
};
