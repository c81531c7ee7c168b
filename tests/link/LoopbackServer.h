#pragma once
// A TCP server on 127.0.0.1 that plays the peer: each accepted connection
// is handed to the test's handler on the server's own thread.
#include <arpa/inet.h>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

class LoopbackServer {
public:
    using Handler = std::function<void(int fd)>;

    explicit LoopbackServer(Handler handler, int connections = 1) {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        port_ = bindLoopback(listenFd_);
        ::listen(listenFd_, 4);
        thread_ = std::thread([this, handler, connections] {
            for (int i = 0; i < connections; ++i) {
                int fd = ::accept(listenFd_, nullptr, nullptr);
                if (fd < 0) return;
                handler(fd);
                ::close(fd);
            }
        });
    }
    ~LoopbackServer() {
        ::shutdown(listenFd_, SHUT_RDWR);
        ::close(listenFd_);
        if (thread_.joinable()) thread_.join();
    }
    int port() const { return port_; }

    // A port on which nobody listens.
    static int closedPort() {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        int port = bindLoopback(fd);
        ::close(fd);
        return port;
    }

private:
    // Binds to a free loopback port and returns it.
    static int bindLoopback(int fd) {
        int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        return ntohs(addr.sin_port);
    }

    int listenFd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// Reads until the text ends with the given suffix or the peer goes.
inline std::string readUntil(int fd, const std::string& suffix) {
    std::string got;
    char c;
    while (::recv(fd, &c, 1, 0) == 1) {
        got.push_back(c);
        if (got.size() >= suffix.size() && got.compare(got.size() - suffix.size(), suffix.size(), suffix) == 0) break;
    }
    return got;
}

inline void sendText(int fd, const std::string& text) { ::send(fd, text.data(), text.size(), MSG_NOSIGNAL); }
