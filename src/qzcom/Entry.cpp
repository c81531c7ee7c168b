// The two exported entry points: one command string per call.
#include "wqzcom.h"

#include "Codes.h"
#include "CommandString.h"
#include "CommandTable.h"
#include "Frame.h"
#include "Operations.h"
#include "Session.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace qzcom {
namespace {

constexpr const char* kUnknownCommandText = "Invalid DLL command";
constexpr std::size_t kRawWordLength = 2;
std::atomic<bool> busy{false};

std::string currentDirectory() {
    char path[PATH_MAX] = "";
    return getcwd(path, sizeof path) ? path : "";
}

bool enterDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

// The host's current directory, held open so that it can be made current
// again even when its path is too long or has been renamed meanwhile.
class HostDirectory {
public:
    HostDirectory() : fd_(::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC)) {}
    ~HostDirectory() {
        if (fd_ >= 0) ::close(fd_);
    }
    HostDirectory(const HostDirectory&) = delete;
    HostDirectory& operator=(const HostDirectory&) = delete;
    bool isOpen() const { return fd_ >= 0; }
    bool restore() const { return fd_ >= 0 && ::fchdir(fd_) == 0; }

private:
    int fd_;
};

// OPENCOM brings its own working directory, which it checks itself.
bool bringsItsOwnDirectory(const std::string& word) { return word == "OPENCOM"; }

void copyReply(const std::string& text, char* reply) {
    if (!reply) return;
    std::size_t n = std::min(text.size(), kMaxLine - 1);
    std::memcpy(reply, text.data(), n);
    reply[n] = '\0';
}

int dispatch(Session& s, char* command, char* reply) {
    if (s.settings.debugEnable & kShowCommand) s.message(command ? command : "");
    copyReply("", reply);
    s.status(0, "Init for response");

    std::optional<CommandString> parsed;
    if (command) parsed = splitCommand(command);
    // Files of a command land in the working directory or nowhere: a
    // directory that cannot be entered fails the command before it writes.
    // Before the first OPENCOM there is none and nothing is changed.
    const bool ownDirectory = parsed && bringsItsOwnDirectory(parsed->word);
    if (!ownDirectory && !s.params.workDir.empty() && !enterDirectory(s.params.workDir)) {
        s.refuse("Cannot enter the working directory", s.params.workDir);
        return kNoWorkDir;
    }
    s.link.discardWaiting();

    std::string answer;
    int result = kUnknownCommand;
    if (parsed && parsed->word.size() == kRawWordLength) {
        result = rawTelegram(s, parsed->word, parsed->parameter, &answer);
    } else if (Operation operation = parsed ? findOperation(parsed->word) : nullptr) {
        result = operation(s, parsed->parameter, answer);
    } else {
        answer = kUnknownCommandText;
    }
    copyReply(answer, reply);
    return result;
}

// Everything one call holds, given back however the call ends.
class CallScope {
public:
    explicit CallScope(Session& s) : s_(s) {}
    ~CallScope() {
        if (windowOpen_) s_.ui.closeWindow();
        if (host_.isOpen() && !host_.restore()) s_.message("Cannot return to", s_.savedDir);
        busy = false;
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
    bool holdsHostDirectory() const { return host_.isOpen(); }
    void openWindow() {
        s_.ui.openWindow();
        windowOpen_ = true;
    }

private:
    Session& s_;
    HostDirectory host_;
    bool windowOpen_ = false;
};

int call(char* command, char* reply) {
    Session& s = session();
    // A refused call touches nothing, not even the running call's stop flag.
    if (busy.exchange(true)) return kBusy;
    CallScope scope(s);
    s.stopFlag = false;
    s.stopAsked = false;
    if (s.settings.debugEnable & kShowCommand) s.message(command ? command : "");
    s.savedDir = currentDirectory();
    if (!scope.holdsHostDirectory()) {
        // Without a way back the host's directory is not changed at all.
        s.refuse("Cannot hold the current directory", s.savedDir);
        return kNoWorkDir;
    }
    scope.openWindow();
    return dispatch(s, command, reply);
}

}  // namespace
}  // namespace qzcom

// Nothing may cross into the host: whatever escapes an operation becomes a code.
extern "C" int Qzcom(char* command, char* reply) {
    try {
        return qzcom::call(command, reply);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "WQZCom: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "WQZCom: unexpected failure\n");
    }
    return qzcom::kInternalError;
}

extern "C" int QZCom(char* command, char* reply) { return Qzcom(command, reply); }

extern "C" void QzcomStop(void) { qzcom::session().stopAsked = true; }
