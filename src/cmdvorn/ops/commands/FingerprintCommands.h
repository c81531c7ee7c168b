#pragma once
// The fingerprint commands: the terminal's templates counted (-in),
// downloaded into the fingerprint file (-ir), uploaded from it (-is) and
// deleted (-id). Only the window build binds them in its command table.
#include "RunContext.h"

void countFingerprintsCommand(CMDARG_C& job);     // -in
void uploadFingerprintsCommand(CMDARG_C& job);    // -is
void downloadFingerprintsCommand(CMDARG_C& job);  // -ir
void deleteFingerprintsCommand(CMDARG_C& job);    // -id

// The terminal's FP_FILE_NAME, else the run-wide [Fingerprint] FILE_NAME
// (which a file name glued to -is or -ir replaces), else "FingerPrint.dat".
zString fingerprintFileName(const CMDARG_C& job);
