#pragma once
// -v: the terminal's firmware version and counters, shown as a report and,
// in command-line runs, written to the result file.
#include "RunContext.h"

bool versionCommand(CMDARG_C& job);
