#pragma once
// The transaction commands: counts (-yr, -yz), downloads (-r, -x, -j, -z)
// and the ten latest transactions (-gl).
#include "RunContext.h"

void countPunchesCommand(CMDARG_C& job);       // -yr
void countRecoverableCommand(CMDARG_C& job);   // -yz
void downloadAndClearCommand(CMDARG_C& job);   // -r
void downloadAndKeepCommand(CMDARG_C& job);    // -x
void downloadJobsCommand(CMDARG_C& job);       // -j
void recoverPunchesCommand(CMDARG_C& job);     // -z
void latestTransactionsCommand(CMDARG_C& job); // -gl
