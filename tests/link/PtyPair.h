#pragma once
// A pseudo-terminal pair: the test plays the terminal on the master side,
// the serial port under test opens the slave device by its path.
#include <gtest/gtest.h>

#include <chrono>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

struct PtyPair {
    int master = -1;
    int slave = -1;
    std::string path;

    PtyPair() {
        char name[128] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master, &slave, name, &raw, nullptr) != 0) ADD_FAILURE() << "openpty failed";
        path = name;
    }
    ~PtyPair() {
        closeMaster();
        if (slave >= 0) ::close(slave);
    }
    void closeMaster() {
        if (master >= 0) ::close(master);
        master = -1;
    }
    void send(const std::string& bytes) const { ASSERT_EQ(::write(master, bytes.data(), bytes.size()), (ssize_t)bytes.size()); }
    // Everything the port wrote so far (waits a little for it).
    std::string receive(int waitMs = 100) const {
        std::string got;
        char buf[512];
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        while (std::chrono::steady_clock::now() < end) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(master, &set);
            timeval tv{0, 10000};
            if (select(master + 1, &set, nullptr, nullptr, &tv) > 0) {
                ssize_t n = ::read(master, buf, sizeof buf);
                if (n <= 0) break;
                got.append(buf, static_cast<std::size_t>(n));
            }
        }
        return got;
    }
};

inline long long msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}
