#include "ConsoleQuestion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool askOnTerminal(const char* caption, const char* text) {
    if (const char* yes = std::getenv("CMDVORN_ASSUME_YES"); yes && std::strcmp(yes, "1") == 0) return true;
    std::FILE* tty = std::fopen("/dev/tty", "r+");
    if (!tty) return false;
    std::fprintf(tty, "%s: %s (S/N)? ", caption, text);
    std::fflush(tty);
    char answer[16] = {};
    bool yes = std::fgets(answer, sizeof answer, tty) && std::strchr("SsYy", answer[0]) && answer[0] != '\0';
    std::fclose(tty);
    return yes;
}
