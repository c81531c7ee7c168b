#include "JobOutcome.h"

#include "Vorn.h"

#include <cstdarg>

RunError outcomeOf(const CMDARG_C& job) {
    return job.result != RunError::None ? job.result : job.terminal->statusCode();
}

const char* labelOf(const CMDARG_C& job) { return job.terminal->label().c_str(); }

bool failWithStatus(CMDARG_C& job) {
    job.result = job.terminal->statusCode();
    return false;
}

bool failJob(CMDARG_C& job, RunError error, const char* text1, const char* text2) {
    job.run->reportError(error, job.terminal, text1, text2);
    job.result = error;
    return false;
}

bool sendWithoutData(CMDARG_C& job, const char* text) {
    TelegramCommand command(text);
    if (!job.terminal->sendCommand(command)) return failWithStatus(job);
    ++job.count;
    return true;
}

bool interrupted(CMDARG_C& job) {
    if (!job.run->dialog().pump()) return false;
    failJob(job, RunError::Interrupted);
    return true;
}

void logAndShow(CMDARG_C& job, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    zString line;
    line.vprintf(fmt, args);
    va_end(args);
    job.run->log().log("%s", line.c_str());
    job.run->info().line("%s", line.c_str());
}
