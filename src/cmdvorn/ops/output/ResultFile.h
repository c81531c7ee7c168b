#pragma once
// "RIDUVA.RET": the one-line result of a command-line run for the calling
// application, created afresh in the data directory. It is written to a
// temporary file, synced and renamed into place, so a caller finds either
// the whole line or no file at all. "RIDUVA.json", the run's report beside
// it, follows the same rules.
#include "RunError.h"
#include "zString.h"

#include <string>

struct RunState;

constexpr const char* kResultFileName = "RIDUVA.RET";
constexpr const char* kReportFileName = "RIDUVA.json";

// The line the run ends with: the error form ("-0200") after an error,
// otherwise the count form ("00012").
zString resultLine(RunError error, int count);

// Replaces the result file with one line; false when it cannot be written,
// and then no new file is left behind.
bool writeResultFile(const zString& dataDirectory, const zString& line);

// writeResultFile for the run: a failure is kept in the run state, which
// then ends without a result file.
bool writeRunResult(RunState& state, const zString& line);

// Removes the result file of an earlier run; false when one stays.
bool removeResultFile(const zString& dataDirectory);

// The result file's line without its line end; empty when there is none.
zString readResultLine(const zString& dataDirectory);

// Replaces the report, as writeResultFile does the result file.
bool writeReportFile(const zString& dataDirectory, const std::string& text);
// Removes the report of an earlier run; false when one stays.
bool removeReportFile(const zString& dataDirectory);
