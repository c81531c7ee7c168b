#pragma once
// The card format commands: the format of [Card Format] (or the built-in
// one) sent to the terminal (-fs), the terminal's format read back (-fg),
// and a test read showing how the terminal splits the last badge (-fr).
#include "RunContext.h"

bool sendCardFormatCommand(CMDARG_C& job);  // -fs
bool readCardFormatCommand(CMDARG_C& job);  // -fg
bool testReadBadgeCommand(CMDARG_C& job);   // -fr
