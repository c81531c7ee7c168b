#pragma once
// The reports of what a terminal holds in its parameter tables: the
// 240-byte operating-parameter block of most models, the 10-byte block of
// the VORN-L and the 13-byte alarm record. Operators compare these lines
// with the terminal's own display, so their texts are fixed.
#include "InfoOutput.h"

#include <cstdint>

// Byte offsets of the 240-byte block ("PA,GE", "PA,SE").
struct LongParameterBlock {
    static constexpr int kSize = 240;
    static constexpr int kPassword = 0, kPasswordSize = 8;
    static constexpr int kModel = 8, kTerminalNumber = 9, kNode = 10;
    static constexpr int kLinkKind = 11;  // 0 RS232, 1 RS485, 2 MODEM
    static constexpr int kRs232Speed = 12, kRs485Speed = 13, kModemSpeed = 14;
    static constexpr int kTimeouts = 15;  // RS232, RS485, modem
    static constexpr int kInfoMenu = 18, kPunchDisplay = 19, kDoublePunch = 20, kQueuedPunch = 21;
    static constexpr int kRings = 22;
    static constexpr int kModemInit = 23, kModemInitSize = 21;
    static constexpr int kDoorActivation = 44, kGeneralEnable = 45;
    static constexpr int kCauses = 46, kShowPunches = 47, kInformation = 48, kMessages = 49;
    static constexpr int kLabels = 50, kLabelSize = 21, kLabelCount = 8;
    static constexpr int kProcedures = 218;  // access, attendance, canteen, job: priority, confirmation, enable
    static constexpr int kPlantCode = 230, kDoorTime = 232, kSerialNumber = 234, kCrc = 238;
};

// Byte offsets of the VORN-L's 10-byte block ("GL,PG", "GL,PS").
struct ShortParameterBlock {
    static constexpr int kSize = 10;
    static constexpr int kNode = 0, kSpeed = 1, kPunchMode = 2, kConfirm = 3, kCauses = 4;
    static constexpr int kRelayMode = 5, kRelayTime = 6, kDisplay = 7, kCrc = 8;
};

// A siren schedule entry ("AL,GE", "AL,SE"), little-endian on the wire.
struct AlarmRecord {
    static constexpr int kSize = 13;

    std::uint32_t startTime = 0;       // seconds after midnight
    std::uint8_t days = 0;             // bits 0-6
    std::uint16_t duration = 0;
    std::uint16_t crc = 0;             // of bytes 0-6
    std::uint32_t lastActivation = 0;  // a terminal time

    static AlarmRecord decode(const unsigned char (&bytes)[kSize]);
};

void reportLongParameters(InfoOutput& out, const char* label, const unsigned char (&block)[LongParameterBlock::kSize]);
// Modes the report cannot name are first put back in range in the block
// itself (punch and relay mode to 0, display to 2), as the terminal will
// get them when the block is sent back.
void reportShortParameters(InfoOutput& out, const char* label, unsigned char (&block)[ShortParameterBlock::kSize]);
void reportAlarm(InfoOutput& out, const AlarmRecord& alarm, int number);
