#pragma once
// Lines of the cause file ("Giustificativi") and of the alarm file
// ("Allarmi"): text lines of at most 131 characters; blank lines and lines
// starting with "#" carry nothing.
//
// Cause line: characters 1-2 the cause code (decimal), from character 3 the
// description (at most 20 characters are kept).
// Alarm line: at most 10 comma-separated parts: alarm number, start time
// "hh:mm", duration, then one part per weekday, "SI" in a part switching
// the alarm on for that day (bits 0-6 in this order); missing days are off.
#include "AlarmRecord.h"
#include "zString.h"

#include <string_view>

enum class TableLine { Entry, Nothing, Bad };

// Why a line is refused: the field and the text found there.
struct LineFault {
    const char* field = "";
    zString value;
};

struct CauseEntry {
    static constexpr int kRecordSize = 21;
    static constexpr int kDescriptionLength = kRecordSize - 1;

    int code = 0;
    char description[kRecordSize] = {};

    // The description NUL-terminated and zero-filled ("CA,SE").
    void encode(std::uint8_t (&record)[kRecordSize]) const;
};

struct AlarmEntry {
    int number = 0;
    AlarmRecord record;  // start time, days and duration; nothing else is set
};

constexpr int kMaxTableLineLength = 131;

// `line` as read, its line end included or not.
TableLine parseCauseLine(std::string_view line, CauseEntry& entry, LineFault& fault);
TableLine parseAlarmLine(std::string_view line, AlarmEntry& entry, LineFault& fault);
