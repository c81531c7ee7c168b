#include "Platform.h"

#include <cstdio>
#include <cstdlib>
#include <limits.h>
#include <sys/utsname.h>
#include <unistd.h>

zString platformDescription() {
    utsname u{};
    if (uname(&u) != 0) return zString();
    unsigned long major = 0, minor = 0, build = 0;
    std::sscanf(u.release, "%lu.%lu.%lu", &major, &minor, &build);
    return zString::format("%s Version %lu.%lu Build %lu %s", u.sysname, major, minor, build, u.version);
}

zString executableDirectory() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return zString();
    path[n] = '\0';
    zString full(path);
    int slash = full.findLast('/');
    return slash <= 0 ? zString("/") : full.left(slash);
}

zString currentDirectory() {
    char path[PATH_MAX];
    if (!getcwd(path, sizeof path)) return zString();
    return zString(path);
}

zString programVersion() { return zString(CMDVORN_VERSION); }
