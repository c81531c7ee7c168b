#include "LayoutLines.h"

#include <cstring>

namespace {

enum class FieldType { Company, Employee, Terminal, Cause, Job, Work, Date, Time, Event, Mode, Dummy, JobData,
                       JobStatus, WorkStatus, Constant };

FieldType fieldTypeOf(const char* name) {
    static constexpr struct {
        const char* word;
        FieldType type;
    } kTypes[] = {
        {"COMPANY", FieldType::Company}, {"MATRICOLA", FieldType::Employee}, {"TERMINAL", FieldType::Terminal},
        {"CAUSE", FieldType::Cause},     {"JOB", FieldType::Job},            {"WORK", FieldType::Work},
        {"DATE", FieldType::Date},       {"TIME", FieldType::Time},          {"EVENT", FieldType::Event},
        {"MODE", FieldType::Mode},       {"DUMMY", FieldType::Dummy},        {"JDATA", FieldType::JobData},
        {"JSTATUS", FieldType::JobStatus}, {"WSTATUS", FieldType::WorkStatus},
    };
    for (const auto& t : kTypes)
        if (std::strcmp(name, t.word) == 0) return t.type;
    return FieldType::Constant;
}

constexpr int kMaxDigits = 24;

int digitsOf(const FLD_FMT_t& f) {
    if (f.length == 0) return 2;
    return f.length > kMaxDigits ? kMaxDigits : f.length;
}

void appendNumber(const FLD_FMT_t& f, std::uint64_t value, LineBuffer& line) { line.appendDigits(value, digitsOf(f)); }

// JOB and WORK may be shown in hexadecimal; hexadecimal keeps every digit.
void appendCode(const FLD_FMT_t& f, std::uint32_t value, LineBuffer& line) {
    if (std::strcmp(f.format, "HEX") == 0) {
        int digits = digitsOf(f);
        line.appendFormat("%*.*X", digits, digits, value);
    } else {
        appendNumber(f, value, line);
    }
}

// Fills the run of characters [start, start + count) with value's decimal
// digits from the right, zero-padded.
void fillRun(char* start, int count, int value) {
    for (int i = count - 1; i >= 0; --i) {
        start[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

void fillFirstRun(char* text, char letter, int value) {
    char* start = std::strchr(text, letter);
    if (!start) return;
    int count = 0;
    while (start[count] == letter) ++count;
    fillRun(start, count, value);
}

void appendDate(const FLD_FMT_t& f, const CalendarRecord& c, LineBuffer& line) {
    if (!f.format[0]) {
        line.appendFormat("%02d/%02d/%02d", c.fullYear() % 100, c.month, c.day);
        return;
    }
    char text[FLD_FMT_t::kTextSize];
    std::memcpy(text, f.format, sizeof text);
    if (char* last = std::strrchr(text, 'Y')) {
        char* start = last;
        while (start > text && start[-1] == 'Y') --start;
        fillRun(start, static_cast<int>(last - start) + 1, c.fullYear());
    }
    fillFirstRun(text, 'M', c.month);
    fillFirstRun(text, 'D', c.day);
    line.append(text);
}

void appendTime(const FLD_FMT_t& f, const CalendarRecord& c, LineBuffer& line) {
    if (!f.format[0]) {
        line.appendFormat("%02d:%02d:", c.hour, c.minute);
        return;
    }
    char text[FLD_FMT_t::kTextSize];
    std::memcpy(text, f.format, sizeof text);
    fillFirstRun(text, 'H', c.hour);
    fillFirstRun(text, 'M', c.minute);
    fillFirstRun(text, 'S', c.second);
    line.append(text);
}

// A replacement text when the layout sets one, else the standard text.
void appendValueOr(const FLD_FMT_t& f, int index, const char* standard, LineBuffer& line) {
    line.append(f.values[index][0] ? f.values[index] : standard);
}

void appendEvent(const FLD_FMT_t& f, bool in, LineBuffer& line) { appendValueOr(f, in ? 0 : 1, in ? "I" : "U", line); }

void appendMode(const FLD_FMT_t& f, std::uint8_t flags, LineBuffer& line) {
    TransactionKind kind = kindOfFlags(flags);
    if (kind == TransactionKind::Undefined) {
        line.append('?');
        return;
    }
    char letter[2] = {kindLetter(kind), '\0'};
    appendValueOr(f, static_cast<int>(kind), letter, line);
}

void appendDummy(const FLD_FMT_t& f, LineBuffer& line) {
    if (f.defaultText[0])
        line.append(f.defaultText);
    else
        line.appendBlanks(f.length);
}

void appendConstant(const FLD_FMT_t& f, const PRIVATE_FORMAT_C& own, LineBuffer& line) {
    if (const FLD_FMT_t* mine = own.find(f.name)) {
        appendDummy(*mine, line);
        return;
    }
    if (f.defaultText[0] || f.length)
        appendDummy(f, line);
    else
        line.append("??");
}

// The job data in columns, or its sub-fields each followed by a blank.
void appendJobData(const FLD_FMT_t& f, const JobRecord& r, LineBuffer& line) {
    int stored = static_cast<int>(strnlen(r.jobData, JobRecord::kJobDataLength));
    if (f.format[0] == '0') {
        int columns = f.length ? f.length : JobRecord::kJobDataLength;
        line.appendFormat("%-*.*s", columns, stored < columns ? stored : columns, r.jobData);
        return;
    }
    for (int i = 0; i < JobRecord::kSubFields; ++i) {
        if (r.subLength[i] == 0) continue;
        // Offsets come from the terminal: keep them inside the job data.
        int start = r.subStart[i] < stored ? r.subStart[i] : stored;
        int end = start + r.subLength[i] < stored ? start + r.subLength[i] : stored;
        line.append(std::string_view(r.jobData + start, static_cast<std::size_t>(end - start)));
        line.append(' ');
    }
}

// A status letter, replaced by the first character of the replacement text
// at index when the layout sets one.
void appendStatusLetter(const FLD_FMT_t& f, char letter, const char* order, LineBuffer& line) {
    const char* at = std::strchr(order, letter);
    if (letter != '\0' && at && f.values[at - order][0]) letter = f.values[at - order][0];
    line.append(letter);
}

struct RecordView {
    std::uint8_t company;
    std::uint32_t employee;
    std::uint8_t terminal;
    CalendarRecord time;
    std::uint8_t flags;  // for a job record its status code
};

// Fields every record shows the same way; false for a field it does not know.
bool appendCommonField(const FLD_FMT_t& f, FieldType type, const RecordView& r, LineBuffer& line) {
    switch (type) {
        case FieldType::Company: appendNumber(f, r.company, line); return true;
        case FieldType::Employee: appendNumber(f, r.employee, line); return true;
        case FieldType::Terminal: appendNumber(f, r.terminal, line); return true;
        case FieldType::Date: appendDate(f, r.time, line); return true;
        case FieldType::Time: appendTime(f, r.time, line); return true;
        case FieldType::Event: appendEvent(f, (r.flags & 0x04) != 0, line); return true;
        case FieldType::Mode: appendMode(f, r.flags, line); return true;
        case FieldType::Dummy: appendDummy(f, line); return true;
        default: return false;
    }
}

template <typename AppendOwnField>
void composeFields(const LINE_FORMAT& layout, const RecordView& view, const PRIVATE_FORMAT_C& own, LineBuffer& line,
                   AppendOwnField appendOwnField) {
    line.clear();
    for (int i = 0; i < layout.count && i < LINE_FORMAT::kMaxFields; ++i) {
        const FLD_FMT_t& f = layout.fields[i];
        FieldType type = fieldTypeOf(f.name);
        if (!appendCommonField(f, type, view, line) && !appendOwnField(f, type))
            appendConstant(f, own, line);
        if (layout.separator) line.append(layout.separator);
    }
    line.append('\n');
}

}  // namespace

void composeLayoutLine(const LINE_FORMAT& layout, const TransactionRecord& r, const PRIVATE_FORMAT_C& own,
                       LineBuffer& line) {
    RecordView view{r.company, r.employee, r.terminal, r.time.toCalendar(), r.flags};
    composeFields(layout, view, own, line, [&](const FLD_FMT_t& f, FieldType type) {
        switch (type) {
            case FieldType::Cause: appendNumber(f, r.cause, line); return true;
            case FieldType::Job: appendCode(f, r.job, line); return true;
            case FieldType::Work: appendCode(f, r.workCode(), line); return true;
            default: return false;
        }
    });
}

void composeLayoutLine(const LINE_FORMAT& layout, const JobRecord& r, const PRIVATE_FORMAT_C& own,
                       LineBuffer& line) {
    RecordView view{r.company, r.employee, r.terminal, r.time.toCalendar(), r.status};
    composeFields(layout, view, own, line, [&](const FLD_FMT_t& f, FieldType type) {
        switch (type) {
            case FieldType::JobData: appendJobData(f, r, line); return true;
            case FieldType::JobStatus: appendStatusLetter(f, r.statusLetter(), "IFRS", line); return true;
            case FieldType::WorkStatus: appendStatusLetter(f, r.beginEndLetter(), "IF", line); return true;
            default: return false;
        }
    });
}
