#pragma once
// A terminal's operating parameters read (-pg) and sent (-ps): the VORN-L's
// 10-byte block, the 240-byte block of the other telegram models. The
// EEPROM entries of the command line do nothing: the EEPROM is edited in
// the window's dialog.
#include "RunContext.h"

void readParametersCommand(CMDARG_C& job);  // -pg
void sendParametersCommand(CMDARG_C& job);  // -ps
void eepromCommand(CMDARG_C& job);          // -i and "EE,GE"
