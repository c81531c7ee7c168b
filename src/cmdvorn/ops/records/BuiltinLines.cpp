#include "BuiltinLines.h"

#include <cstring>

namespace {

char directionLetter(bool in) { return in ? 'I' : 'U'; }

// Company, employee, date and time: the common start of the built-in lines.
void appendHead(int company, std::uint32_t employee, const CalendarRecord& c, LineBuffer& line) {
    line.appendFormat("%02d %06lu %02d/%02d/%02d %02d:%02d ", company, static_cast<unsigned long>(employee), c.day,
                      c.month, c.fullYear() % 100, c.hour, c.minute);
}

// "%02d/%02d/%04d%02d%02d": day, month, year, hour, minute.
void appendExtendedDate(TerminalTime time, LineBuffer& line) {
    CalendarRecord c = time.toCalendar();
    line.appendFormat("%02d/%02d/%04d%02d%02d", c.day, c.month, c.fullYear(), c.hour, c.minute);
}

const char* extendedCode(std::uint8_t code) {
    switch (code) {
        case 1: return "PP";
        case 3: return "PM";
        case 4: return "PC";
        case 16: return "RI";
        default: return "  ";
    }
}

}  // namespace

void composePunchLine(const TransactionRecord& r, LineBuffer& line) {
    line.clear();
    appendHead(r.company, r.employee, r.time.toCalendar(), line);
    line.appendFormat("%c %04d %02d %c\n", directionLetter(r.isIn()), r.terminal, r.cause, kindLetter(r.kind()));
}

void composeJobPunchLine(const TransactionRecord& r, LineBuffer& line) {
    line.clear();
    appendHead(r.company, r.employee, r.time.toCalendar(), line);
    line.appendFormat("%04d %08lu %04u %c %c\n", r.terminal, static_cast<unsigned long>(r.job), r.workCode(),
                      directionLetter(r.isIn()), kindLetter(r.kind()));
}

void composeJobRecordLine(const JobRecord& r, LineBuffer& line) {
    line.clear();
    appendHead(r.company, r.employee, r.time.toCalendar(), line);
    int shown = static_cast<int>(strnlen(r.jobData, JobRecord::kJobDataLength));
    line.appendFormat("%04d %-*.*s %c %c\n", r.terminal, JobRecord::kJobDataLength, shown, r.jobData,
                      r.statusLetter(), r.beginEndLetter());
}

void composeExtendedLine(const ExtendedRecord& r, LineBuffer& line) {
    line.clear();
    line.appendDigits(r.word6, 4);
    line.appendDigits(r.terminal, 2);
    line.appendDigits(r.employee, 9);
    appendExtendedDate(r.time, line);
    line.appendDigits(r.byte12, 4);
    line.append(extendedCode(r.code));
    line.append(std::string_view(r.text, strnlen(r.text, ExtendedRecord::kTextLength)));
    line.appendSigned(r.signed26, 8);
    line.append(r.code == 3 ? "PM" : "  ");
    line.appendDigits(r.word28, 4);
    appendExtendedDate(r.time30, line);
    line.appendSigned(r.signed34, 8);
    line.appendSigned(r.signed44, 8);
    line.appendSigned(r.long36, 8);
    // Hundredths: the sign belongs to the whole amount, so -5 is "-0000,05".
    std::int64_t amount = r.hundredths40;
    std::uint64_t magnitude = static_cast<std::uint64_t>(amount < 0 ? -amount : amount);
    line.appendMagnitude(magnitude / 100, amount < 0, 5);
    line.append(',');
    line.appendDigits(static_cast<std::uint64_t>(magnitude % 100), 2);
    line.append('\n');
}
