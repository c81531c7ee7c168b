#include "VornSimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

extern char** environ;

namespace vornsim {

VornSimProcess::VornSimProcess(std::vector<std::string> args) : args_(std::move(args)) {}

VornSimProcess::~VornSimProcess() { stop(std::chrono::seconds(2)); }

std::string VornSimProcess::binaryPath() {
    if (const char* env = std::getenv("VORNSIM_BINARY"); env && *env) return env;
#ifdef VORNSIM_BINARY
    if (access(VORNSIM_BINARY, X_OK) == 0) return VORNSIM_BINARY;
#endif
    char self[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string();
    return dir.substr(0, dir.rfind('/') + 1) + "vornsim";
}

bool VornSimProcess::start(std::chrono::milliseconds timeout) {
    if (pid_ > 0) {
        error_ = "already running";
        return false;
    }
    lines_.clear();
    ports_.clear();
    ptys_.clear();
    modems_.clear();
    error_.clear();

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    std::string binary = binaryPath();
    std::vector<char*> argv;
    argv.push_back(binary.data());
    for (auto& a : args_) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    int rc = posix_spawn(&pid_, binary.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(out[1]);
    if (rc != 0) {
        pid_ = -1;
        close(out[0]);
        error_ = "cannot start " + binary + ": " + std::strerror(rc);
        return false;
    }

    auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string pending;
    bool ready = false;
    while (!ready) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            error_ = "vornsim did not print READY in time";
            break;
        }
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char buf[512];
        ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0) {
            error_ = "vornsim ended before READY (see its standard error)";
            break;
        }
        pending.append(buf, static_cast<std::size_t>(n));
        for (std::size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            lines_.push_back(line);
            std::istringstream words(line);
            std::string kind, a, b;
            words >> kind >> a >> b;
            if (kind == "TCP") ports_.push_back(std::atoi(a.c_str()));
            if (kind == "PTY") ptys_.push_back(b);
            if (kind == "MODEM") modems_.push_back(b);
            if (kind == "READY") ready = true;
        }
    }
    close(out[0]);
    if (!ready) {
        stop(std::chrono::seconds(1));
        return false;
    }
    return true;
}

int VornSimProcess::stop(std::chrono::milliseconds grace) {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + grace;
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (done == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

int VornSimProcess::tcpPort(std::size_t index) const { return index < ports_.size() ? ports_[index] : -1; }
std::string VornSimProcess::ptyPath(std::size_t index) const { return index < ptys_.size() ? ptys_[index] : ""; }
std::string VornSimProcess::modemPath(std::size_t index) const { return index < modems_.size() ? modems_[index] : ""; }

}  // namespace vornsim
