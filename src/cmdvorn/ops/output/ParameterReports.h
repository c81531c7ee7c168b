#pragma once
// The reports of what a terminal holds in its parameter tables: the
// 240-byte operating-parameter block of most models, the 10-byte block of
// the VORN-L and the 13-byte alarm record. Operators compare these lines
// with the terminal's own display, so their texts are fixed.
#include "AlarmRecord.h"
#include "InfoOutput.h"
#include "ParameterBlocks.h"

void reportLongParameters(InfoOutput& out, const char* label, const unsigned char (&block)[LongParameterBlock::kSize]);
// Modes the report cannot name are first put back in range in the block
// itself (punch and relay mode to 0, display to 2), as the terminal will
// get them when the block is sent back.
void reportShortParameters(InfoOutput& out, const char* label, unsigned char (&block)[ShortParameterBlock::kSize]);
void reportAlarm(InfoOutput& out, const AlarmRecord& alarm, int number);
