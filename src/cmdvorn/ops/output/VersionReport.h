#pragma once
// The terminal's answer to "VE": a 70-byte version record, shown as a report
// and written to the result file in command-line runs.
#include "InfoOutput.h"

#include <cstdint>

struct VersionRecord {
    static constexpr int kSize = 70;

    char programmer[22] = {};
    char date[16] = {};
    char time[11] = {};
    char version[11] = {};
    int numOfRec = 0, rec = 0, numOfEmp = 0, emp = 0, numOfMes = 0, mes = 0;
    std::uint16_t receivedCrc = 0;
    std::uint16_t computedCrc = 0;

    static VersionRecord decode(const unsigned char (&bytes)[kSize]);
};

// The report lines of a terminal with a version record.
void reportVersion(InfoOutput& out, const char* label, const VersionRecord& v);
// The report lines of the models that answer with a text.
void reportVersionText(InfoOutput& out, const char* label, const char* text);

// The result-file line of a version record.
zString versionResultLine(const VersionRecord& v);
