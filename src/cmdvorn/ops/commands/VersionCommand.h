#pragma once
// -v: the terminal's firmware version and counters, shown as a report and,
// in command-line runs, the result file's line handed back in the job.
#include "RunContext.h"

void versionCommand(CMDARG_C& job);
