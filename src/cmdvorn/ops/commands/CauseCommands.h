#pragma once
// The causes an employee can key in with a punch: sent from the cause file
// (-gs, at most 30), read back (-gg, codes 1 to 30) and deleted (-gd).
#include "RunContext.h"

void sendCausesCommand(CMDARG_C& job);    // -gs
void readCausesCommand(CMDARG_C& job);    // -gg
void deleteCausesCommand(CMDARG_C& job);  // -gd
