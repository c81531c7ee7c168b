#include "AlarmCommands.h"

#include "JobOutcome.h"
#include "ParameterReports.h"
#include "TableFiles.h"
#include "TableTransfer.h"
#include "TerminalTime.h"
#include "Vorn.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kMinAlarms = 24;
constexpr const char* kAlarmSection = "[Allarmi]";
constexpr const char* kObject = "AL";
constexpr const char* kItem = "Allarme";

}  // namespace

int alarmCapacity(const CMDARG_C& job) {
    zString value;
    if (!job.run->parameters().getValue(kAlarmSection, "MAX_ALLARM", value)) return kMinAlarms;
    return static_cast<int>(std::clamp(value.toLong(), static_cast<long>(kMinAlarms), 0xFFFFL));
}

void sendAlarmsCommand(CMDARG_C& job) {
    const zString& path = job.run->settings().alarms.fileName;
    const int capacity = alarmCapacity(job);
    zString caption = zString::format("%s Invio Allarmi", labelOf(job));
    job.run->log().log("%s, file=%s", caption.c_str(), path.c_str());

    TableTransfer transfer(job, caption, capacity, kObject, kItem);
    bool opened = transfer.forEachLine(path, [&](std::string_view line) {
        AlarmEntry alarm;
        LineFault fault;
        TableLine verdict = parseAlarmLine(line, alarm, fault);
        if (verdict == TableLine::Nothing) return true;
        if (verdict == TableLine::Bad) {
            transfer.rejectLine(fault.field, fault.value.c_str(), line);
            return true;
        }
        if (alarm.number > capacity) {
            transfer.rejectLine("Num. alarm", zString::format("%d", alarm.number).c_str(), line);
            return true;
        }
        alarm.record.lastActivation = AlarmRecord::lastActivationAt(alarm.record.startTime, TerminalTime::pcNow().seconds());
        std::uint8_t record[AlarmRecord::kSize];
        alarm.record.encode(record);
        return transfer.store(alarm.number, record, sizeof record);
    });
    if (!opened) return;
    transfer.finish("Allarmi inviati");
}

void readAlarmsCommand(CMDARG_C& job) {
    const int capacity = alarmCapacity(job);
    zString caption = zString::format("%s Ricezione Allarmi", labelOf(job));
    job.run->log().log("%s", caption.c_str());
    TableTransfer transfer(job, caption, capacity, kObject, kItem);
    transfer.begin();
    for (int number = 0; number < capacity; ++number) {
        std::uint8_t record[AlarmRecord::kSize] = {};
        if (!transfer.fetch(number, record, sizeof record)) break;
        reportAlarm(job.run->info(), AlarmRecord::decode(record), number);
        if (!transfer.advance(number + 1)) break;
    }
    transfer.finish("Allarmi ricevuti");
}

void deleteAlarmsCommand(CMDARG_C& job) {
    sendWithoutData(job, "AL,DE,*");
}
