#pragma once
// A test client that speaks to vornsim byte by byte: requests are built by
// hand from the wire format, replies are taken apart the same way. It shares
// no code with the simulator apart from the CRC routine.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornsim_test {

// SOH, node, "00", sequence, "02", text, [STX hex data], checksum, EOT.
std::string request(int node, int seq, const std::string& text, const std::vector<std::uint8_t>* data = nullptr);

struct Reply {
    std::string raw;        // from SOH to EOT
    std::string noise;      // bytes before the SOH
    int destination = -1, source = -1, sequence = -1;
    std::string text;
    std::vector<std::uint8_t> data;
    bool checksumOk = false;
};
// Splits one complete telegram (noise allowed before SOH); nothing when there is no SOH..EOT.
std::optional<Reply> parseReply(const std::string& bytes);

class Connection {
public:
    // TCP to 127.0.0.1:port, or a device path (a pseudo-terminal).
    static Connection tcp(int port);
    static Connection device(const std::string& path);
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection(const Connection&) = delete;

    bool ok() const { return fd_ >= 0; }
    void send(const std::string& bytes);
    // Reads until `terminator` has arrived or the time is up; returns what came.
    std::string readUntil(char terminator, std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) {
        return read(std::string(1, terminator), timeout);
    }
    // Reads until `text` has arrived or the time is up; returns what came.
    std::string readUntilText(const std::string& text, std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) {
        return read(text, timeout);
    }
    // Reads whatever arrives within the time.
    std::string readFor(std::chrono::milliseconds time) { return read(std::nullopt, time); }
    // True when the peer closed the connection within the time.
    bool closedWithin(std::chrono::milliseconds time);
    // One request, one reply telegram.
    std::optional<Reply> exchange(int node, int seq, const std::string& text,
                                  const std::vector<std::uint8_t>* data = nullptr);

private:
    explicit Connection(int fd) : fd_(fd) {}
    std::string read(std::optional<std::string> until, std::chrono::milliseconds timeout);
    int fd_ = -1;
};

}  // namespace vornsim_test
