#pragma once
// The commands that act on a terminal as a device. Reset (-@), factory
// reset (-@F), permanent deletion of the recoverable punches (-@z), forced
// battery charge (-br) and switch-off (-ot) are one telegram without data,
// the command's own name; the two destructive ones ask the operator first.
// The firmware upgrade (-uf) asks for the image and a confirmation, sends
// "GL,UP" and then the image by XMODEM on the terminal's link.
#include "RunContext.h"
#include "zXmodem.h"

void deviceCommand(CMDARG_C& job);           // -@, -@F, -@z, -br, -ot
void upgradeFirmwareCommand(CMDARG_C& job);  // -uf

// The upgrade with the transfer's waits given: tests shorten them.
bool upgradeFirmware(CMDARG_C& job, const XmodemTiming& timing);
