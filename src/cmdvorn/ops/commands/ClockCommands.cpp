#include "ClockCommands.h"

#include "DaylightSaving.h"
#include "JobOutcome.h"
#include "LittleEndian.h"
#include "TimeCodeReader.h"
#include "Vorn.h"
#include "zClock.h"

#include <cstring>

namespace {

constexpr const char* kSystem = "System:";
constexpr const char* kSynchronisation = "Sincronizzazione Orologio";

bool readTerminalClock(CMDARG_C& job, CalendarRecord& clock) {
    std::uint8_t reply[4] = {};
    TelegramCommand command("TI,GE", TelegramCommand::ReceiveData, reply, sizeof reply);
    if (!job.terminal->sendCommand(command)) return failWithStatus(job);
    ++job.count;
    clock = TerminalTime(getLe32(reply)).toCalendar();
    return true;
}

// A missing or wrong daylight-saving key ends the command before anything is sent.
bool missingKey(CMDARG_C& job, const char* text, const char* value = nullptr) {
    if (value)
        job.run->log().log(text, value);
    else
        job.run->log().log("%s", text);
    job.result = RunError::InvalidParameter;
    return false;
}

}  // namespace

void readClockCommand(CMDARG_C& job) {
    CalendarRecord c;
    if (!readTerminalClock(job, c)) return;
    logAndShow(job, "%s GetTime: %2.2d/%2.2d/%2.2d %2.2d:%2.2d:%2.2d", labelOf(job), c.day, c.month, c.fullYear() % 100,
               c.hour, c.minute, c.second);
}

void setClockCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    if (!terminal.isConnected() && !terminal.connect()) {
        failWithStatus(job);
        return;
    }
    std::uint8_t data[4];
    putLe32(data, TerminalTime::pcNow().seconds());
    TelegramCommand command("TI,SE", TelegramCommand::SendData, data, sizeof data);
    if (!terminal.sendCommand(command)) {
        failWithStatus(job);
        return;
    }
    ++job.count;
}

void readDaylightCommand(CMDARG_C& job) {
    std::uint8_t reply[DaylightRecord::kSize] = {};
    TelegramCommand command("TL,GE", TelegramCommand::ReceiveData, reply, sizeof reply);
    if (!job.terminal->sendCommand(command)) {
        failWithStatus(job);
        return;
    }
    ++job.count;
    DaylightRecord record = DaylightRecord::decode(reply);
    if (!record.active) {
        logAndShow(job, "%s Ora Legale Disattivata!", labelOf(job));
        return;
    }
    CalendarRecord start = record.start.toCalendar();
    CalendarRecord end = record.end.toCalendar();
    logAndShow(job, "%s Ora Legale: %2.2d/%2.2d %2.2d:%2.2d", labelOf(job), start.day, start.month, start.hour,
               start.minute);
    logAndShow(job, "%s Ora Solare: %2.2d/%2.2d %2.2d:%2.2d", labelOf(job), end.day, end.month, end.hour, end.minute);
}

void sendDaylightCommand(CMDARG_C& job) {
    auto global = [&](const char* key, zString& value) {
        return job.run->parameters().getValue(kGlobalSection, key, value);
    };
    int year = fnd::localNow().year;

    zString daylight, summer, winter;
    if (!global("GL_DAYLIGHT", daylight)) {
        missingKey(job, "Errore: Manca parametro GL_DAYLIGHT");
        return;
    }
    if (!global("GL_LEGALE", summer)) {
        missingKey(job, "Errore: Manca parametro GL_LEGALE");
        return;
    }
    SwitchMoment start, end;
    if (!parseSummerStart(summer, year, start)) {
        missingKey(job, "Errore parametro GL_LEGALE: %s", summer.c_str());
        return;
    }
    if (!global("GL_SOLARE", winter)) {
        missingKey(job, "Errore: Manca parametro GL_SOLARE");
        return;
    }
    if (!parseSummerEnd(winter, year, end)) {
        missingKey(job, "Errore parametro GL_SOLARE: %s", winter.c_str());
        return;
    }

    DaylightRecord record;
    record.active = daylightSwitchOn(daylight);
    record.start = terminalTimeOf(start, year);
    record.end = terminalTimeOf(end, year);
    std::uint8_t data[DaylightRecord::kSize];
    record.encode(data);
    TelegramCommand command("TL,SE", TelegramCommand::SendData, data, sizeof data);
    if (!job.terminal->sendCommand(command)) {
        failWithStatus(job);
        return;
    }
    ++job.count;
}

void pcClockFromTerminalCommand(CMDARG_C& job) {
    CalendarRecord c;
    if (!readTerminalClock(job, c)) return;
    fnd::LocalTime pc = fnd::localNow();
    pc.year = c.fullYear();
    pc.month = c.month;
    pc.day = c.day;
    pc.hour = c.hour;
    pc.minute = c.minute;
    pc.second = c.second;
    pc.millisecond = 0;
    if (int error = fnd::setLocalClock(pc); error != 0)
        job.run->log().log("%s SetLocalTimeError ! %s", labelOf(job), std::strerror(error));
    else
        job.run->log().log("%s PC-Time: sincronizzato a %2.2d/%2.2d/%2.2d %2.2d:%2.2d:%2.2d", labelOf(job), c.day,
                           c.month, c.fullYear() % 100, c.hour, c.minute, c.second);
}

void pcClockFromTimeServiceCommand(CMDARG_C& job) {
    zLogger& log = job.run->log();
    job.result = RunError::InvalidParameter;
    log.log("%s Inizio %s", kSystem, kSynchronisation);

    Vorn* service = job.terminal;
    zCommDev* link = service ? service->getLink() : nullptr;
    if (!link) {
        log.log("%s Errore %s. Non so che modem usare !", kSystem, kSynchronisation);
        return;
    }
    if (!service->connect()) return;
    TimeCodeReader::Outcome outcome = TimeCodeReader(*link, log).read();
    service->disconnect();

    if (outcome.timeCodes == 0) {
        job.result = RunError::Modem;
        log.log("%s Errore %s - nessun CTD msg. ricevuto !", kSystem, kSynchronisation);
        return;
    }
    job.result = RunError::None;
    if (outcome.difference == 0)
        log.log("%s %s Completata - nessuna differenza", kSystem, kSynchronisation);
    else
        log.log("%s %s Completata (%lld sec)", kSystem, kSynchronisation, outcome.difference);
}
