#pragma once
// What the restart journals of killed downloads mean for the output files,
// settled before any terminal of a new run appends to them: the files are
// shared by every terminal of a run, so cutting one back later would cut
// away what another terminal had just saved.
#include "RunContext.h"

// Once per run (later calls do nothing), before the run's first download,
// for every journal in the data directory: the lines that a killed download
// wrote and whose records the terminal still holds are cut from the files;
// one log line per journal. With the journal turned off, journals an
// earlier run left are only removed: cutting them later would take away
// what the runs in between saved.
void recoverRestartJournals(RunContext& run);
