#include "VersionReport.h"

#include "LittleEndian.h"
#include "crc16.h"

#include <cstring>

namespace {

// Copies a fixed field, always terminated even when the terminal filled it.
template <std::size_t N>
void text(char (&out)[N], const unsigned char* p, std::size_t width) {
    std::size_t n = 0;
    while (n < width && n < N - 1 && p[n] != 0) {
        out[n] = static_cast<char>(p[n]);
        ++n;
    }
    out[n] = '\0';
}

}  // namespace

VersionRecord VersionRecord::decode(const unsigned char (&b)[kSize]) {
    VersionRecord v;
    text(v.programmer, b + 0, 21);
    text(v.date, b + 21, 15);
    text(v.time, b + 36, 10);
    text(v.version, b + 46, 10);
    v.numOfRec = getLe16(b + 56);
    v.rec = getLe16(b + 58);
    v.numOfEmp = getLe16(b + 60);
    v.emp = getLe16(b + 62);
    v.numOfMes = getLe16(b + 64);
    v.mes = getLe16(b + 66);
    v.receivedCrc = static_cast<std::uint16_t>(getLe16(b + 68));
    v.computedCrc = fnd::crc16(b, 68);
    return v;
}

void reportVersion(InfoOutput& out, const char* label, const VersionRecord& v) {
    out.line("=== %s Version info ===", label);
    out.line("Programmer: %s", v.programmer);
    out.line("      Date: %s", v.date);
    out.line("      Time: %s", v.time);
    out.line("   Version: %.10s", v.version);
    char count[16];
    std::snprintf(count, sizeof count, "%d", v.numOfRec);
    out.line("  NumOfRec: %s", count);
    out.line("       Rec: %d", v.rec);
    out.line("  numOfEmp: %d", v.numOfEmp);
    out.line("       emp: %d", v.emp);
    out.line("  numOfMes: %d", v.numOfMes);
    out.line("       mes: %d", v.mes);
    if (v.receivedCrc != v.computedCrc)
        out.line("CRC Error: Received %x != calculated %x", v.receivedCrc, v.computedCrc);
}

void reportVersionText(InfoOutput& out, const char* label, const char* text) {
    out.line("=== %s Version info ===", label);
    out.line("Versione: %s", text);
}

zString versionResultLine(const VersionRecord& v) {
    return zString::format("%s %s %s %s %d %d %d %d %d %d\n", v.version, v.date, v.time, v.programmer, v.numOfRec, v.rec,
                           v.numOfEmp, v.emp, v.numOfMes, v.mes);
}
