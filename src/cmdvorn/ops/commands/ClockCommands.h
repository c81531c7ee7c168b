#pragma once
// The clock commands: a terminal's clock read (-yd) and set from the PC
// (-d), its daylight-saving dates read (-lg) and sent (-ls), and the PC
// clock set from a terminal (-syncg) or from the time service (-sync).
#include "RunContext.h"

void readClockCommand(CMDARG_C& job);           // -yd
void setClockCommand(CMDARG_C& job);            // -d
void readDaylightCommand(CMDARG_C& job);        // -lg
void sendDaylightCommand(CMDARG_C& job);        // -ls
void pcClockFromTerminalCommand(CMDARG_C& job); // -syncg
// -sync; the job's terminal is the time service's modem line.
void pcClockFromTimeServiceCommand(CMDARG_C& job);
