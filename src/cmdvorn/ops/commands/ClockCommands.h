#pragma once
// The clock commands: a terminal's clock read (-yd) and set from the PC
// (-d), its daylight-saving dates read (-lg) and sent (-ls), and the PC
// clock set from a terminal (-syncg) or from the time service (-sync).
#include "RunContext.h"

bool readClockCommand(CMDARG_C& job);           // -yd
bool setClockCommand(CMDARG_C& job);            // -d
bool readDaylightCommand(CMDARG_C& job);        // -lg
bool sendDaylightCommand(CMDARG_C& job);        // -ls
bool pcClockFromTerminalCommand(CMDARG_C& job); // -syncg
// -sync; the job's terminal is the time service's modem line.
bool pcClockFromTimeServiceCommand(CMDARG_C& job);
