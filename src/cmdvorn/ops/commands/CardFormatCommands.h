#pragma once
// The card format commands: the format of [Card Format] (or the built-in
// one) sent to the terminal (-fs), the terminal's format read back (-fg),
// and a test read showing how the terminal splits the last badge (-fr).
#include "RunContext.h"

void sendCardFormatCommand(CMDARG_C& job);  // -fs
void readCardFormatCommand(CMDARG_C& job);  // -fg
void testReadBadgeCommand(CMDARG_C& job);   // -fr
