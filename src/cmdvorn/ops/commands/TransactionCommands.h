#pragma once
// The transaction commands: counts (-yr, -yz), downloads (-r, -x, -j, -z)
// and the ten latest transactions (-gl).
#include "RunContext.h"

bool countPunchesCommand(CMDARG_C& job);       // -yr
bool countRecoverableCommand(CMDARG_C& job);   // -yz
bool downloadAndClearCommand(CMDARG_C& job);   // -r
bool downloadAndKeepCommand(CMDARG_C& job);    // -x
bool downloadJobsCommand(CMDARG_C& job);       // -j
bool recoverPunchesCommand(CMDARG_C& job);     // -z
bool latestTransactionsCommand(CMDARG_C& job); // -gl
