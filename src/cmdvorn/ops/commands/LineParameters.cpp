#include "LineParameters.h"

#include "Vorn.h"
#include "zDeadline.h"

#include <cstdio>

namespace {

constexpr int kFirstParameter = 1;
constexpr int kLastParameter = 53;
constexpr int kAnswerPauseMs = 10;
constexpr std::size_t kLineSize = 1024;

}  // namespace

void newerModelParametersCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    zLogger& log = job.run->log();
    const char* label = terminal.label().c_str();
    log.log("==== %s - Parametri operativi ===", label);
    for (int number = kFirstParameter; number <= kLastParameter; ++number) {
        char query[16];
        std::snprintf(query, sizeof query, "@CFG %2.2d", number);
        if (!terminal.writeText(query)) {
            log.log("%s Error sending %s", label, query);
            job.result = terminal.statusCode();
            return;
        }
        fnd::sleepMs(kAnswerPauseMs);
        char line[kLineSize + 1] = {};
        if (!terminal.readText(line, kLineSize) || line[0] == '\0') continue;
        ++job.count;
        job.run->info().line("   %s", line + 1);
        log.log("   %s", line + 1);
    }
}
