#include "TransactionRecords.h"

#include "LittleEndian.h"
#include "crc16.h"

#include <cstring>

namespace {

bool crcMatches(const std::uint8_t* bytes, std::size_t dataSize) {
    return fnd::crc16(bytes, dataSize) == getLe16(bytes + dataSize);
}

}  // namespace

TransactionKind kindOfFlags(std::uint8_t flags) {
    switch (flags >> 5) {
        case 0: return TransactionKind::Normal;
        case 1: return TransactionKind::Access;
        case 2: return TransactionKind::Attendance;
        case 3: return TransactionKind::Canteen;
        case 4: return TransactionKind::Job;
        default: return TransactionKind::Undefined;
    }
}

char kindLetter(TransactionKind kind) {
    switch (kind) {
        case TransactionKind::Access: return 'A';
        case TransactionKind::Attendance: return 'P';
        case TransactionKind::Canteen: return 'M';
        case TransactionKind::Job: return 'C';
        default: return 'N';
    }
}

TransactionRecord TransactionRecord::decode(const std::uint8_t* b) {
    TransactionRecord r;
    r.company = b[0];
    r.terminal = b[1];
    r.employee = getLe32(b + 2);
    r.time = TerminalTime(getLe32(b + 6));
    r.flags = b[10];
    r.cause = b[11];
    r.job = getLe32(b + 12);
    r.workHigh = b[16];
    r.check = getLe16(b + 17);
    return r;
}

bool TransactionRecord::checkMatches(const std::uint8_t* bytes) { return crcMatches(bytes, kDataSize); }

void TransactionRecord::encodeWithCheck(std::uint8_t* b) {
    b[0] = company;
    b[1] = terminal;
    putLe32(b + 2, employee);
    putLe32(b + 6, time.seconds());
    b[10] = flags;
    b[11] = cause;
    putLe32(b + 12, job);
    b[16] = workHigh;
    check = fnd::crc16(b, kDataSize);
    putLe16(b + kDataSize, check);
}

JobRecord JobRecord::decode(const std::uint8_t* b) {
    JobRecord r;
    r.company = b[0];
    r.terminal = b[1];
    r.employee = getLe32(b + 2);
    r.time = TerminalTime(getLe32(b + 6));
    r.status = b[10];
    std::memcpy(r.jobData, b + 11, kJobDataLength);
    std::memcpy(r.subStart, b + 43, kSubFields);
    std::memcpy(r.subLength, b + 51, kSubFields);
    r.check = getLe16(b + 59);
    return r;
}

bool JobRecord::checkMatches(const std::uint8_t* bytes) { return crcMatches(bytes, kDataSize); }

namespace {

struct JobStatus {
    std::uint8_t code;
    char status;
    char beginEnd;
};

constexpr JobStatus kJobStatuses[] = {
    {3, 'I', 'I'},  {6, 'R', 'I'},  {134, 'R', 'I'}, {33, 'I', 'F'}, {36, 'R', 'F'},  {164, 'R', 'F'},
    {48, 'F', 'F'}, {66, 'S', 'I'}, {194, 'S', 'I'}, {96, 'S', 'F'}, {224, 'S', 'F'},
};

const JobStatus* jobStatusOf(std::uint8_t code) {
    for (const JobStatus& s : kJobStatuses)
        if (s.code == code) return &s;
    return nullptr;
}

}  // namespace

char JobRecord::statusLetter() const {
    const JobStatus* s = jobStatusOf(status);
    return s ? s->status : '?';
}

char JobRecord::beginEndLetter() const {
    const JobStatus* s = jobStatusOf(status);
    return s ? s->beginEnd : '?';
}

ExtendedRecord ExtendedRecord::decode(const std::uint8_t* b) {
    ExtendedRecord r;
    r.terminal = b[1];
    r.employee = getLe32(b + 2);
    r.word6 = getLe16(b + 6);
    r.time = TerminalTime(getLe32(b + 8));
    r.byte12 = b[12];
    r.code = b[13];
    std::memcpy(r.text, b + 18, kTextLength);
    r.signed26 = static_cast<std::int16_t>(getLe16(b + 26));
    r.word28 = getLe16(b + 28);
    r.time30 = TerminalTime(getLe32(b + 30));
    r.signed34 = static_cast<std::int16_t>(getLe16(b + 34));
    r.long36 = static_cast<std::int32_t>(getLe32(b + 36));
    r.hundredths40 = static_cast<std::int32_t>(getLe32(b + 40));
    r.signed44 = static_cast<std::int16_t>(getLe16(b + 44));
    return r;
}

EmployeeStatusRecord EmployeeStatusRecord::decode(const std::uint8_t* b) {
    EmployeeStatusRecord r;
    std::memcpy(r.name, b, kNameLength);
    r.name[kNameLength - 1] = '\0';
    r.employee = getLe32(b + 21);
    r.company = b[25];
    r.flags = getLe16(b + 26);
    r.lastPassage = TerminalTime(getLe32(b + 28));
    return r;
}
