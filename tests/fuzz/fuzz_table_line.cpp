// Feeds arbitrary lines of the cause and alarm files to their readers and
// checks that every line taken is one the terminal can hold.
#include "TableFiles.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    LineFault fault;

    CauseEntry cause;
    if (parseCauseLine(line, cause, fault) == TableLine::Entry) {
        if (cause.code < 0 || cause.code > 99 || strnlen(cause.description, sizeof cause.description) > 20)
            __builtin_trap();
        std::uint8_t record[CauseEntry::kRecordSize];
        cause.encode(record);
        if (record[CauseEntry::kRecordSize - 1] != 0) __builtin_trap();
    }

    AlarmEntry alarm;
    if (parseAlarmLine(line, alarm, fault) == TableLine::Entry) {
        if (alarm.number < 0 || alarm.record.startTime >= 86400 || alarm.record.days > 0x7F) __builtin_trap();
        std::uint8_t record[AlarmRecord::kSize];
        alarm.record.encode(record);
        AlarmRecord back = AlarmRecord::decode(record);
        if (back.startTime != alarm.record.startTime || back.duration != alarm.record.duration) __builtin_trap();
    }
    return 0;
}
