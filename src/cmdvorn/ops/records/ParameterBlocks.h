#pragma once
// The operating-parameter records a terminal exchanges: the 240-byte block
// of most models ("PA,GE", "PA,SE"), the VORN-L's 10-byte block ("GL,PG",
// "GL,PS") and the 51-byte EEPROM identity of the VORN1/2 ("EE,GE",
// "EE,SE"), with what the tool writes into them from a terminal's
// definition. Each record ends with the CRC-16 of the bytes before it.
#include "ParameterLookup.h"

#include <cstdint>

class Vorn;
class zLogger;

// Byte offsets of the 240-byte block.
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
using LongBlock = std::uint8_t[LongParameterBlock::kSize];

// Byte offsets of the VORN-L's 10-byte block.
struct ShortParameterBlock {
    static constexpr int kSize = 10;
    static constexpr int kNode = 0, kSpeed = 1, kPunchMode = 2, kConfirm = 3, kCauses = 4;
    static constexpr int kRelayMode = 5, kRelayTime = 6, kDisplay = 7, kCrc = 8;
};
using ShortBlock = std::uint8_t[ShortParameterBlock::kSize];

// The EEPROM identity of the older terminals; the bytes not named are zero.
struct EepromRecord {
    static constexpr int kSize = 51;
    static constexpr int kName = 0, kNameSize = 20, kNode = 41, kPlantCode = 43, kSerialNumber = 45, kCrc = 49;

    char name[kNameSize + 1] = {};
    std::uint8_t node = 0;
    std::uint16_t plantCode = 0;
    std::uint32_t serialNumber = 0;

    // The name keeps its first 20 characters.
    void setName(const char* text);
    void encode(std::uint8_t (&bytes)[kSize]) const;  // with its CRC
    static EepromRecord decode(const std::uint8_t (&bytes)[kSize]);
};

// The VORN-L's speed code: 4800 0, 9600 1, 19200 2, any other speed 3 (38400).
std::uint8_t lineSpeedCode(long baud);

// The terminal's NODE_NR and line speed, then the GL_ keys of its section;
// a key that is absent leaves its byte as it is. The CRC is not touched.
void configureShortBlock(ShortBlock& block, const Vorn& terminal, const ParameterLookup& config);

// What "PA,SE" carries over the terminal's own block: PASSWORD with its NUL
// (cut to 7 characters, with a warning in the log, so that it never reaches
// the model byte), TERM_NR, the rings, the fixed procedure bytes and the
// eight [Labels]. The CRC is not touched.
void prepareLongBlock(LongBlock& block, const Vorn& terminal, const ParameterLookup& config, zLogger& log);

// The CRC-16 of everything before the last two bytes, written into them.
void sealShortBlock(ShortBlock& block);
void sealLongBlock(LongBlock& block);
