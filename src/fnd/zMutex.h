#pragma once
// A critical section and its scoped holder.
#include <mutex>

class zMutex {
public:
    void lock() { m_.lock(); }
    void unlock() { m_.unlock(); }

private:
    std::recursive_mutex m_;
};

class zLock {
public:
    explicit zLock(zMutex& m) : m_(m) { m_.lock(); }
    ~zLock() { m_.unlock(); }
    zLock(const zLock&) = delete;
    zLock& operator=(const zLock&) = delete;

private:
    zMutex& m_;
};
