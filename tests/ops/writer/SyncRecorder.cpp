// Stands in for the C library's fsync() and send() in this test program
// (the tool's calls resolve here first), notes each call and hands it on to
// the real one.
#include "SyncRecorder.h"

#include <dlfcn.h>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex guard;
std::vector<SyncEvent>& events() {
    static std::vector<SyncEvent> list;
    return list;
}

void note(SyncEvent event) {
    std::lock_guard<std::mutex> hold(guard);
    events().push_back(std::move(event));
}

}  // namespace

std::vector<SyncEvent> syncEvents() {
    std::lock_guard<std::mutex> hold(guard);
    return events();
}

void forgetSyncEvents() {
    std::lock_guard<std::mutex> hold(guard);
    events().clear();
}

extern "C" int fsync(int fd) {
    using Fsync = int (*)(int);
    static Fsync real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    SyncEvent event;
    char path[4096];
    ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1);
    if (n > 0) event.path.assign(path, static_cast<std::size_t>(n));
    struct stat info {};
    if (fstat(fd, &info) == 0) event.size = info.st_size;
    int result = real(fd);
    note(std::move(event));
    return result;
}

extern "C" ssize_t send(int fd, const void* buffer, size_t length, int flags) {
    using Send = ssize_t (*)(int, const void*, size_t, int);
    static Send real = reinterpret_cast<Send>(dlsym(RTLD_NEXT, "send"));
    SyncEvent event;
    event.kind = SyncEvent::Send;
    event.bytes.assign(static_cast<const char*>(buffer), length);
    note(std::move(event));
    return real(fd, buffer, length, flags);
}
