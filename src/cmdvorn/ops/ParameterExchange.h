#pragma once
// The telegrams that carry the operating-parameter records, for the
// commands and for the window's parameter dialogs alike. Each returns 0 or
// the error code of RecordExchange.
#include "ParameterBlocks.h"

class Vorn;

int readLongBlock(Vorn& terminal, LongBlock& block);         // "PA,GE"
int sendLongBlock(Vorn& terminal, const LongBlock& block);   // "PA,SE"
int readShortBlock(Vorn& terminal, ShortBlock& block);       // "GL,PG"
int sendShortBlock(Vorn& terminal, const ShortBlock& block); // "GL,PS"
int readEeprom(Vorn& terminal, EepromRecord& record);        // "EE,GE"
int sendEeprom(Vorn& terminal, const EepromRecord& record);  // "EE,SE"
