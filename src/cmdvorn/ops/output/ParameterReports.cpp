#include "ParameterReports.h"

#include "LittleEndian.h"
#include "TerminalTime.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using Long = LongParameterBlock;
using Short = ShortParameterBlock;

constexpr const char* kLinkKinds[] = {"RS232", "RS485", "MODEM"};
constexpr const char* kLineSpeeds[] = {"4800", "9600", "19200", "38400"};
constexpr const char* kModemSpeeds[] = {"2400", "4800"};
constexpr const char* kPunchModes[] = {"Con verso fisso", "Con verso automatico"};
constexpr const char* kRelayModes[] = {"Apriporta", "Apriporta Ingresso", "Apriporta Uscita", "Attivazione Sirena"};
constexpr const char* kDisplayModes[] = {"Solo su eventi", "Sempre", "Lu-Ve 06-19", "Lu-Do 06-19"};

struct Procedure {
    const char* name;
    unsigned generalEnableBit;
};
constexpr Procedure kProcedures[] = {{"ACCESSI  ", 2}, {"PRESENZE ", 1}, {"MENSA    ", 4}, {"COMMESSE ", 8}};

struct DoorActivation {
    unsigned bit;
    const char* text;
};
constexpr DoorActivation kDoorActivations[] = {{8, "ACCESSI  "}, {4, "PRESENZE "}, {1, "- INGRESSO "}, {2, "- USCITA "}};

const char* yesNo(unsigned value) { return value ? "SI" : "NO"; }

// The name of a code; a code the terminal should not hold shows as its number.
template <std::size_t N>
std::string named(const char* const (&names)[N], unsigned code) {
    return code < N ? std::string(names[code]) : std::to_string(code);
}

// A fixed text field, which the terminal may fill without a terminator.
std::string field(const unsigned char* p, int width) {
    const char* text = reinterpret_cast<const char*>(p);
    return std::string(text, strnlen(text, static_cast<std::size_t>(width)));
}

}  // namespace

void reportLongParameters(InfoOutput& out, const char* label, const unsigned char (&b)[Long::kSize]) {
    out.line("==== %s - Parametri operativi ===", label);
    out.line("       Password: %s", field(b + Long::kPassword, Long::kPasswordSize).c_str());
    out.line("           Tipo: VORN%x", b[Long::kModel]);
    out.line("       Nr. Nodo: %d", b[Long::kNode]);
    out.line("   Nr. Terminal: %d", b[Long::kTerminalNumber]);
    out.line("   Nr. di serie: %d", static_cast<int>(getLe32(b + Long::kSerialNumber)));
    out.line("  Cod. Impianto: %d", getLe16(b + Long::kPlantCode));
    out.line("     Comm. port: %s", named(kLinkKinds, b[Long::kLinkKind]).c_str());
    out.line(" Velocita comm.: %s=%s, %s=%s, %s=%s", kLinkKinds[0], named(kLineSpeeds, b[Long::kRs232Speed]).c_str(),
             kLinkKinds[1], named(kLineSpeeds, b[Long::kRs485Speed]).c_str(), kLinkKinds[2],
             named(kModemSpeeds, b[Long::kModemSpeed]).c_str());
    out.line("      Time out : %s=%d, %s=%d, %s=%d", kLinkKinds[0], b[Long::kTimeouts], kLinkKinds[1],
             b[Long::kTimeouts + 1], kLinkKinds[2], b[Long::kTimeouts + 2]);
    out.line("     Modem init: %s", field(b + Long::kModemInit, Long::kModemInitSize).c_str());
    out.line("   Num. squilli: %d", b[Long::kRings]);

    std::string labels;
    for (int i = 0; i < Long::kLabelCount; ++i) {
        if (i > 0) labels += ',';
        labels += field(b + Long::kLabels + i * Long::kLabelSize, Long::kLabelSize);
    }
    out.line("    Info Labels: %s", labels.c_str());

    out.line(" Display Timeouts: timbratura %d", b[Long::kPunchDisplay]);
    out.line("                  doppia timb %d", b[Long::kDoublePunch]);
    out.line("                timb. di coda %d", b[Long::kQueuedPunch]);
    out.line("                     MenuInfo %d", b[Long::kInfoMenu]);

    out.line("  ------------  Abilitazione Procedure ------------");
    out.line("               Pri. Conf. Abi. generale ");
    for (int i = 0; i < 4; ++i) {
        const unsigned char* p = b + Long::kProcedures + 3 * i;
        out.line(" %s  %s   %d    %s     %s", kProcedures[i].name, yesNo(p[0]), p[1], yesNo(p[2]),
                 yesNo(b[Long::kGeneralEnable] & kProcedures[i].generalEnableBit));
    }

    std::string door;
    for (const auto& d : kDoorActivations)
        if (b[Long::kDoorActivation] & d.bit) door += d.text;
    out.line(" Attivaz. Apriporta: %s", b[Long::kDoorActivation] == 0 ? "NO" : door.c_str());
    out.line("    Tempo Apriporta: %d sec.", getLe16(b + Long::kDoorTime));

    out.line("     Giustificativi: %s", yesNo(b[Long::kCauses]));
    out.line("    Vis. timbrature: %s", yesNo(b[Long::kShowPunches]));
    out.line("       Informazioni: %s", yesNo(b[Long::kInformation]));
    out.line("           Messaggi: %s", yesNo(b[Long::kMessages]));
}

void reportShortParameters(InfoOutput& out, const char* label, unsigned char (&b)[Short::kSize]) {
    if (b[Short::kPunchMode] > 1) b[Short::kPunchMode] = 0;
    if (b[Short::kRelayMode] > 3) b[Short::kRelayMode] = 0;
    if (b[Short::kDisplay] > 3) b[Short::kDisplay] = 2;

    out.line("==== %s - Parametri operativi ===", label);
    out.line("      Numero Nodo: %d", b[Short::kNode]);
    out.line("   Velocita comm.: %s", named(kLineSpeeds, b[Short::kSpeed]).c_str());
    out.line("  Mod. timbratura: %s", kPunchModes[b[Short::kPunchMode]]);
    out.line("   Conferma timb.: %s", yesNo(b[Short::kConfirm]));
    out.line("   Giustificativi: %s", yesNo(b[Short::kCauses]));
    out.line("        Mod. rele: %s", kRelayModes[b[Short::kRelayMode]]);
    out.line("     Rele timeout: %d", b[Short::kRelayTime]);
    out.line("   Display Acceso: %s", kDisplayModes[b[Short::kDisplay]]);
}

void reportAlarm(InfoOutput& out, const AlarmRecord& alarm, int number) {
    CalendarRecord start = TerminalTime(alarm.startTime).toCalendar();
    CalendarRecord last = TerminalTime(alarm.lastActivation).toCalendar();
    auto day = [&](int bit) { return yesNo(alarm.days & (1u << bit)); };
    out.line("\t%2d->Alle Ore: %02d:%02d giorni=%s,%s,%s,%s,%s,%s,%s, durata %d, ultima act.:%02d:%02d", number, start.hour,
             start.minute, day(0), day(1), day(2), day(3), day(4), day(5), day(6), alarm.duration, last.hour,
             last.minute);
}
