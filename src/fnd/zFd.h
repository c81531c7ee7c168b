#pragma once
// An owned file descriptor: closed when the owner goes, unless released.
#include <unistd.h>

class zFd {
public:
    zFd() = default;
    explicit zFd(int fd) : fd_(fd) {}
    ~zFd() { reset(); }
    zFd(zFd&& other) noexcept : fd_(other.release()) {}
    zFd& operator=(zFd&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    zFd(const zFd&) = delete;
    zFd& operator=(const zFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Hands the descriptor over; this owns none afterwards.
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};
