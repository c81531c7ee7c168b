#pragma once
// The telegrams that carry the operating-parameter records, for the
// commands and for the window's parameter dialogs alike. Each returns None or
// the error, as RecordExchange does.
#include "ParameterBlocks.h"
#include "RunError.h"

class Vorn;

RunError readLongBlock(Vorn& terminal, LongBlock& block);         // "PA,GE"
RunError sendLongBlock(Vorn& terminal, const LongBlock& block);   // "PA,SE"
RunError readShortBlock(Vorn& terminal, ShortBlock& block);       // "GL,PG"
RunError sendShortBlock(Vorn& terminal, const ShortBlock& block); // "GL,PS"
RunError readEeprom(Vorn& terminal, EepromRecord& record);        // "EE,GE"
RunError sendEeprom(Vorn& terminal, const EepromRecord& record);  // "EE,SE"
