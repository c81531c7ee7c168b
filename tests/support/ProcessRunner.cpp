#include "ProcessRunner.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

RunningProcess::RunningProcess(const std::string& program, const std::vector<std::string>& args,
                               const std::string& workDir, const std::map<std::string, std::string>& extraEnv) {
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return;

    pid_ = fork();
    if (pid_ == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0) dup2(devnull, 0);
        setsid();  // no controlling terminal: questions get the safe answer
        if (chdir(workDir.c_str()) != 0) _exit(126);
        for (const auto& [k, v] : extraEnv) setenv(k.c_str(), v.c_str(), 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    out_ = outPipe[0];
    err_ = errPipe[0];
}

RunningProcess::~RunningProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        wait(std::chrono::seconds(5));
    }
}

void RunningProcess::signal(int sig) {
    if (pid_ > 0) kill(pid_, sig);
}

ProcessResult RunningProcess::wait(std::chrono::seconds limit) {
    ProcessResult result;
    if (pid_ <= 0) return result;
    auto deadline = std::chrono::steady_clock::now() + limit;
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(pid_, SIGKILL);
            break;
        }
        int n = poll(fds, 2, static_cast<int>(left.count()));
        if (n < 0 && errno == EINTR) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            ssize_t got = read(fds[i].fd, buf, sizeof buf);
            if (got <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(buf, static_cast<size_t>(got));
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0) close(f.fd);
    int status = 0;
    rusage usage{};
    wait4(pid_, &status, 0, &usage);
    pid_ = -1;
    result.peakRssKb = usage.ru_maxrss;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args, const std::string& workDir,
                         const std::map<std::string, std::string>& extraEnv, std::chrono::seconds limit) {
    return RunningProcess(program, args, workDir, extraEnv).wait(limit);
}
