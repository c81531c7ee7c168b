#include "RawClient.h"

#include "crc16.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

namespace vornsim_test {

std::string request(int node, int seq, const std::string& text, const std::vector<std::uint8_t>* data) {
    char head[16];
    std::snprintf(head, sizeof head, "\x01%02d00%02d02", node, seq);
    std::string t = head + text;
    if (data) {
        t += '\x02';
        for (auto b : *data) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02x", b);
            t += hex;
        }
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "%04x\x04", fnd::crc16(t.data(), t.size()));
    return t + tail;
}

std::optional<Reply> parseReply(const std::string& bytes) {
    auto soh = bytes.find('\x01');
    if (soh == std::string::npos) return std::nullopt;
    auto eot = bytes.find('\x04', soh);
    if (eot == std::string::npos || eot - soh < 13) return std::nullopt;
    Reply r;
    r.noise = bytes.substr(0, soh);
    r.raw = bytes.substr(soh, eot - soh + 1);
    const std::string& t = r.raw;
    auto num = [&](std::size_t at) { return (t[at] - '0') * 10 + (t[at + 1] - '0'); };
    r.destination = num(1);
    r.source = num(3);
    r.sequence = num(5);
    std::size_t checkAt = t.size() - 5;
    unsigned check = 0;
    std::sscanf(t.substr(checkAt, 4).c_str(), "%4x", &check);
    r.checksumOk = check == fnd::crc16(t.data(), checkAt);
    std::string body = t.substr(9, checkAt - 9);
    auto stx = body.find('\x02');
    r.text = body.substr(0, stx);
    if (stx != std::string::npos)
        for (std::size_t i = stx + 1; i + 1 < body.size(); i += 2)
            r.data.push_back(static_cast<std::uint8_t>(std::stoi(body.substr(i, 2), nullptr, 16)));
    return r;
}

Connection Connection::tcp(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        fd = -1;
    }
    return Connection(fd);
}

Connection Connection::device(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios raw{};
        tcgetattr(fd, &raw);
        cfmakeraw(&raw);
        tcsetattr(fd, TCSANOW, &raw);
    }
    return Connection(fd);
}

Connection::~Connection() {
    if (fd_ >= 0) ::close(fd_);
}

Connection::Connection(Connection&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

void Connection::send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

std::string Connection::read(std::optional<std::string> until, std::chrono::milliseconds timeout) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!until || got.find(*until) == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char buf[2048];
        ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

bool Connection::closedWithin(std::chrono::milliseconds time) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(time.count())) <= 0) return false;
    char c;
    return ::read(fd_, &c, 1) == 0;
}

std::optional<Reply> Connection::exchange(int node, int seq, const std::string& text,
                                          const std::vector<std::uint8_t>* data) {
    send(request(node, seq, text, data));
    return parseReply(readUntil('\x04'));
}

}  // namespace vornsim_test
