#pragma once
// "RIDUVA.RET": the one-line result of a command-line run for the calling
// application, created afresh in the data directory.
#include "RunError.h"
#include "zString.h"

constexpr const char* kResultFileName = "RIDUVA.RET";

// The line the run ends with: the error form ("-0200") after an error,
// otherwise the count form ("00012").
zString resultLine(RunError error, int count);

// Replaces the result file with one line; false when it cannot be written.
bool writeResultFile(const zString& dataDirectory, const zString& line);
