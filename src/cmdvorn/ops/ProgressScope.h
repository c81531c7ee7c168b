#pragma once
// The interrupt dialog with its progress bar for the length of one transfer:
// opened with a caption and the number of items, moved on item by item, and
// closed on every way out, an early return or an exception included.
#include "RunContext.h"

class ProgressScope {
public:
    // Opens the dialog with `caption` and a bar of `total` steps; each step
    // is shown as "<item> <done>/<total>" (item with its own punctuation,
    // "Timbratura:").
    ProgressScope(CMDARG_C& job, const char* caption, int total, const char* item);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    // Moves the bar to `done`.
    void advance(int done);
    // Lets the operator act; once the operator stopped the command,
    // Interrupted is reported and becomes the job's result, and true is
    // returned.
    bool stopped();
    // Closes the dialog before the scope ends, where what follows must not
    // run under it; closing again does nothing.
    void close();

private:
    CMDARG_C& job_;
    int total_;
    const char* item_;
    bool open_ = true;
};
