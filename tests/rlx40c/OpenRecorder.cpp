// Stands in for the C library's open() in this test program (the driver's
// calls resolve here first) and hands every call on to the real one. No
// <fcntl.h> here: its inline wrappers would clash with this definition.
#include "OpenRecorder.h"

#include <cstdarg>
#include <dlfcn.h>
#include <mutex>

namespace {

std::mutex guard;
std::vector<DeviceOpen>& opens() {
    static std::vector<DeviceOpen> list;
    return list;
}

}  // namespace

std::vector<DeviceOpen> deviceOpens() {
    std::lock_guard<std::mutex> hold(guard);
    return opens();
}

void forgetDeviceOpens() {
    std::lock_guard<std::mutex> hold(guard);
    opens().clear();
}

extern "C" int open(const char* path, int flags, ...) {
    using Open = int (*)(const char*, int, ...);
    static Open real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "open"));
    va_list args;
    va_start(args, flags);
    unsigned mode = va_arg(args, unsigned);
    va_end(args);
    int fd = real(path, flags, mode);
    if (path && std::string(path).rfind("/dev/", 0) == 0) {
        std::lock_guard<std::mutex> hold(guard);
        opens().push_back({path, flags, fd});
    }
    return fd;
}
