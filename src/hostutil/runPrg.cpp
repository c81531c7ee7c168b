#include "exportGuard.h"
#include "mirtadll.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

static int RunPrgBody(const char* path, const char* arg0, const char* arg1,
                                const char* arg2, const char* arg3, const char* arg4) {
    if (!path) return EINVAL;
    // The first null argument ends the list.
    const char* given[] = {arg0, arg1, arg2, arg3, arg4};
    char* argv[6] = {};
    for (int i = 0; i < 5 && given[i]; ++i) argv[i] = const_cast<char*>(given[i]);

    pid_t pid = 0;
    if (int rc = posix_spawn(&pid, path, nullptr, nullptr, argv, environ); rc != 0) return rc;
    // ECHILD means the host reaps children itself (SIGCHLD ignored); the
    // program ran all the same.
    while (waitpid(pid, nullptr, 0) == -1 && errno == EINTR) {}
    return 0;
}

extern "C" MIRTA_API int RunPrg(const char* path, const char* arg0, const char* arg1,
                                const char* arg2, const char* arg3, const char* arg4) {
    return hostutil::guarded("RunPrg", ENOMEM, [&] { return RunPrgBody(path, arg0, arg1, arg2, arg3, arg4); });
}
