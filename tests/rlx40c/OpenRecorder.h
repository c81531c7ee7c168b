#pragma once
// What the process opened under /dev: the path, the flags and the
// descriptor it got, in order.
#include <string>
#include <vector>

struct DeviceOpen {
    std::string path;
    int flags = 0;
    int fd = -1;
};

std::vector<DeviceOpen> deviceOpens();
void forgetDeviceOpens();
