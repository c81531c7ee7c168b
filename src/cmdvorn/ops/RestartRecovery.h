#pragma once
// What the restart journals of killed downloads mean for the output files,
// settled before any terminal of a new run appends to them: the files are
// shared by every terminal of a run, so cutting one back later would cut
// away what another terminal had just saved.
#include "RunContext.h"

// The commands that append records to the output files.
bool downloadsRecords(CommandId id);

// Once per run (later calls do nothing), for every journal in the data
// directory: the lines that a killed download wrote and whose records the
// terminal still holds are cut from the files; one log line per journal.
// Nothing happens when the parameter file turned the journal off.
void recoverRestartJournals(RunContext& run);
