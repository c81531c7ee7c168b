#pragma once
// The run-wide file settings: read from the file sections of the parameter
// file, and replaced for one run by file names glued to command-line options.
#include "zString.h"

struct FileSetting {
    zString fileName;      // empty: not configured
    bool startAfresh = false;  // FILE_MODE starting with N/n: truncated once per run
    zString backup;        // BACKUP (punches only)
};

struct RunSettings {
    zString dataOut;           // [Global] DATA_OUT: report lines are also appended here
    bool restartJournal = true;  // [Global] RESTART_JOURNAL=0: downloads keep no restart journal
    bool parallelLinks = false;  // [Global] PARALLEL_LINKS=1: the terminals of different links run at once
    int maxParallelLinks = 0;    // [Global] MAX_PARALLEL_LINKS: at most this many links at once; 0: all
    FileSetting employees;     // [Anagrafiche]
    FileSetting punches;       // [Timbrature]
    FileSetting access;        // [Accessi]
    FileSetting canteen;       // [Mensa]
    FileSetting jobs;          // [Commesse]
    FileSetting causes;        // [Giustificativi]
    FileSetting alarms;        // [Allarmi] (or [Alarmi])
    FileSetting fingerprints;  // [Fingerprint]
};
