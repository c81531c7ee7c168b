// The two exported entry points: one command string per call.
#include "wqzcom.h"

#include "Codes.h"
#include "CommandString.h"
#include "CommandTable.h"
#include "Frame.h"
#include "Operations.h"
#include "Session.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
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
    // An empty or unusable working directory leaves the current one.
    if (!s.params.workDir.empty()) enterDirectory(s.params.workDir);
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

}  // namespace
}  // namespace qzcom

extern "C" int Qzcom(char* command, char* reply) {
    using namespace qzcom;
    Session& s = session();
    // A refused call touches nothing, not even the running call's stop flag.
    if (busy.exchange(true)) return kBusy;
    s.stopFlag = false;
    if (s.settings.debugEnable & kShowCommand) s.message(command ? command : "");
    s.savedDir = currentDirectory();
    s.ui.openWindow();
    const int result = dispatch(s, command, reply);
    s.ui.closeWindow();
    if (!s.savedDir.empty() && !enterDirectory(s.savedDir)) s.message("Cannot return to", s.savedDir);
    busy = false;
    return result;
}

extern "C" int QZCom(char* command, char* reply) { return Qzcom(command, reply); }
