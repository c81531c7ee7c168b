#pragma once
// The fingerprint commands: the terminal's templates counted (-in),
// downloaded into the fingerprint file (-ir), uploaded from it (-is) and
// deleted (-id). Only the window build binds them in its command table.
#include "RunContext.h"

bool countFingerprintsCommand(CMDARG_C& job);     // -in
bool uploadFingerprintsCommand(CMDARG_C& job);    // -is
bool downloadFingerprintsCommand(CMDARG_C& job);  // -ir
bool deleteFingerprintsCommand(CMDARG_C& job);    // -id

// The terminal's FP_FILE_NAME, else the run-wide [Fingerprint] FILE_NAME
// (which a file name glued to -is or -ir replaces), else "FingerPrint.dat".
zString fingerprintFileName(const CMDARG_C& job);
