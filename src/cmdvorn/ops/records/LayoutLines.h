#pragma once
// Text lines of records in a configured layout: each field's text, followed
// by the separator when one is set (also after the last field), then "\n".
#include "LineBuffer.h"
#include "PrivateFormat.h"
#include "RecordLayout.h"
#include "TransactionRecords.h"

// own: the terminal's constant fields, for fields no type word names.
void composeLayoutLine(const LINE_FORMAT& layout, const TransactionRecord& record, const PRIVATE_FORMAT_C& own,
                       LineBuffer& line);
void composeLayoutLine(const LINE_FORMAT& layout, const JobRecord& record, const PRIVATE_FORMAT_C& own,
                       LineBuffer& line);
