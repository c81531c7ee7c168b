#pragma once
// What the commands do alike around their exchanges: take the terminal's
// status as the job's result, notice the operator's stop, or log a line and
// show it in the information output.
#include "RunContext.h"

// The command's outcome as dispatch takes it: the job's own error or, when
// it set none, the status its terminal was left with, so that no failed
// exchange passes for success.
RunError outcomeOf(const CMDARG_C& job);
// The job's terminal label.
const char* labelOf(const CMDARG_C& job);
// The terminal's status code becomes the job's result; returns false.
bool failWithStatus(CMDARG_C& job);
// error becomes the job's result and is reported with the job's terminal
// and the two texts; returns false.
bool failJob(CMDARG_C& job, RunError error, const char* text1 = nullptr, const char* text2 = nullptr);
// Lets the operator act; once the operator stopped the command, Interrupted
// is reported and becomes the job's result, and true is returned.
bool interrupted(CMDARG_C& job);
// One telegram without data; a failure gives the job the terminal's status.
bool sendWithoutData(CMDARG_C& job, const char* text);
// One line to the log and to the information output.
void logAndShow(CMDARG_C& job, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
