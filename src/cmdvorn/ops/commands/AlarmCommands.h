#pragma once
// The siren schedule: alarms sent from the alarm file (-as), read back
// (-ag) and deleted (-ad). A terminal holds [Allarmi] MAX_ALLARM alarms,
// never fewer than 24.
#include "RunContext.h"

void sendAlarmsCommand(CMDARG_C& job);    // -as
void readAlarmsCommand(CMDARG_C& job);    // -ag
void deleteAlarmsCommand(CMDARG_C& job);  // -ad

// MAX_ALLARM of the parameter file, at least 24.
int alarmCapacity(const CMDARG_C& job);
