#include "AlarmRecord.h"

#include "LittleEndian.h"
#include "TerminalTime.h"
#include "crc16.h"

std::uint32_t AlarmRecord::lastActivationAt(std::uint32_t startTime, std::uint32_t now) {
    return now % TerminalTime::kSecondsPerDay > startTime ? now / TerminalTime::kSecondsPerDay : 0;
}

AlarmRecord AlarmRecord::decode(const std::uint8_t (&b)[kSize]) {
    AlarmRecord a;
    a.startTime = getLe32(b + 0);
    a.days = b[4];
    a.duration = getLe16(b + 5);
    a.crc = getLe16(b + 7);
    a.lastActivation = getLe32(b + 9);
    return a;
}

void AlarmRecord::encode(std::uint8_t (&b)[kSize]) const {
    putLe32(b + 0, startTime);
    b[4] = days;
    putLe16(b + 5, duration);
    putLe16(b + 7, fnd::crc16(b, kCheckedBytes));
    putLe32(b + 9, lastActivation);
}
