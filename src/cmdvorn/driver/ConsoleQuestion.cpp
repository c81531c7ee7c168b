#include "ConsoleQuestion.h"

#include "Platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The controlling terminal, closed on leaving.
class Tty {
public:
    Tty() : file_(std::fopen("/dev/tty", "r+")) {}
    ~Tty() {
        if (file_) std::fclose(file_);
    }
    Tty(const Tty&) = delete;
    Tty& operator=(const Tty&) = delete;
    std::FILE* get() const { return file_; }

private:
    std::FILE* file_;
};

zString inDataDirectory(const zString& path) {
    if (path.isEmpty() || path[0] == '/') return path;
    return zString::format("%s/%s", currentDirectory().c_str(), path.c_str());
}

}  // namespace

bool askOnTerminal(const char* caption, const char* text) {
    Tty tty;
    // The variable answers only for a run nobody can be asked in: exported
    // in an operator's shell it must not wave a deletion through.
    if (!tty.get()) {
        const char* yes = std::getenv(kAssumeYesVariable);
        return yes && std::strcmp(yes, "1") == 0;
    }
    std::fprintf(tty.get(), "%s: %s (S/N)? ", caption, text);
    std::fflush(tty.get());
    char answer[16] = {};
    return std::fgets(answer, sizeof answer, tty.get()) && answer[0] != '\0' && std::strchr("SsYy", answer[0]);
}

bool chooseFileOnTerminal(const FileChoice& choice, zString& path) {
    if (const char* given = choice.consoleVariable ? std::getenv(choice.consoleVariable) : nullptr; given && *given) {
        path = inDataDirectory(given);
        return true;
    }
    Tty tty;
    if (!tty.get()) {
        path = inDataDirectory(choice.proposedName);
        return true;
    }
    std::fprintf(tty.get(), "%s (%s %s) [%s]: ", choice.title, choice.filterName, choice.pattern, choice.proposedName);
    std::fflush(tty.get());
    char typed[1024] = {};
    if (!std::fgets(typed, sizeof typed, tty.get())) return false;
    zString answer(typed);
    answer.trim();
    path = inDataDirectory(answer.isEmpty() ? zString(choice.proposedName) : answer);
    return true;
}
