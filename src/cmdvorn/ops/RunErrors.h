#pragma once
// The run error codes: their message texts (reported through the log) and
// the value each one leaves in the result file "RIDUVA.RET".

// Text of a code's message, or nullptr for a code without one (87 and
// anything not in the table).
const char* runErrorMessage(int code);

// What the result file reports for a run error code (-200 for a bad
// command line, -1 for a time-out, the code negated when not in the table).
int resultFileValue(int code);
