#pragma once
// The fixed text lines of records whose section configures no layout, and
// the one line of the VORN2B extended record.
#include "LineBuffer.h"
#include "TransactionRecords.h"

// Kinds N, A, P and M: "00 012345 31/12/08 17:45 I 0003 07 N\n".
void composePunchLine(const TransactionRecord& record, LineBuffer& line);
// Kind C: job number and work code, then the direction and the kind letter.
void composeJobPunchLine(const TransactionRecord& record, LineBuffer& line);
// The 32 job-data characters in 32 columns, the status and begin/end letters.
void composeJobRecordLine(const JobRecord& record, LineBuffer& line);
// Fixed-width pieces joined without separators.
void composeExtendedLine(const ExtendedRecord& record, LineBuffer& line);
