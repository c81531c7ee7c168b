#include "ParameterBlocks.h"

#include "LittleEndian.h"
#include "Vorn.h"
#include "VornModem.h"
#include "crc16.h"
#include "zLogger.h"

#include <cstring>
#include <string_view>

namespace {

using Long = LongParameterBlock;
using Short = ShortParameterBlock;

constexpr const char* kLabelsSection = "[Labels]";
constexpr int kLabelLength = Long::kLabelSize - 1;
constexpr int kPasswordLength = Long::kPasswordSize - 1;
// Procedures access, attendance, canteen, job: priority, confirmation,
// enable of the first two, as every terminal gets them.
constexpr std::uint8_t kProcedureDefaults[] = {0, 0, 0, 1, 4, 0};
constexpr std::uint8_t kDefaultRelayTime = 10;

struct KeyWord {
    const char* text;
    std::uint8_t code;
};

constexpr KeyWord kPunchModes[] = {{"AUTO", 1}};
constexpr KeyWord kOn[] = {{"ON", 1}};
constexpr KeyWord kRelayModes[] = {{"DOOR_INOUT", 0}, {"DOOR_IN", 1}, {"DOOR_OUT", 2}, {"ALARM", 3}};
constexpr KeyWord kDisplayModes[] = {{"LCD_ONOFF", 0}, {"LCD_ON5DAY", 2}, {"LCD_ON7DAY", 3}};

// A GL_ key of the terminal's section: its byte, the upper-cased values it
// knows and the code of any other value.
struct ShortKey {
    const char* key;
    int offset;
    const KeyWord* words;
    std::size_t wordCount;
    std::uint8_t otherwise;
};

template <std::size_t N>
constexpr ShortKey keyOf(const char* key, int offset, const KeyWord (&words)[N], std::uint8_t otherwise) {
    return {key, offset, words, N, otherwise};
}

constexpr ShortKey kShortKeys[] = {
    keyOf("GL_TIMB", Short::kPunchMode, kPunchModes, 0), keyOf("GL_CONFIRM", Short::kConfirm, kOn, 0),
    keyOf("GL_CAUSE", Short::kCauses, kOn, 0),           keyOf("GL_RELE", Short::kRelayMode, kRelayModes, 1),
    keyOf("GL_LCD", Short::kDisplay, kDisplayModes, 1),
};

void putText(std::uint8_t* field, int width, std::string_view text) {
    std::memset(field, 0, static_cast<std::size_t>(width));
    std::memcpy(field, text.data(), std::min(text.size(), static_cast<std::size_t>(width)));
}

std::uint8_t ringsOf(const Vorn& terminal) {
    const auto* modem = dynamic_cast<const VornModem*>(&terminal);
    return modem && isModemKind(terminal.connectionKind()) ? modem->dialSettings().rings : 0;
}

}  // namespace

void EepromRecord::setName(const char* text) {
    std::memset(name, 0, sizeof name);
    std::strncpy(name, text, kNameSize);
}

void EepromRecord::encode(std::uint8_t (&b)[kSize]) const {
    std::memset(b, 0, kSize);
    putText(b + kName, kNameSize, std::string_view(name, strnlen(name, kNameSize)));
    b[kNode] = node;
    putLe16(b + kPlantCode, plantCode);
    putLe32(b + kSerialNumber, serialNumber);
    putLe16(b + kCrc, fnd::crc16(b, kCrc));
}

EepromRecord EepromRecord::decode(const std::uint8_t (&b)[kSize]) {
    EepromRecord r;
    std::memcpy(r.name, b + kName, kNameSize);
    r.node = b[kNode];
    r.plantCode = getLe16(b + kPlantCode);
    r.serialNumber = getLe32(b + kSerialNumber);
    return r;
}

std::uint8_t lineSpeedCode(long baud) {
    switch (baud) {
        case 4800: return 0;
        case 9600: return 1;
        case 19200: return 2;
        default: return 3;
    }
}

void configureShortBlock(ShortBlock& block, const Vorn& terminal, const ParameterLookup& config) {
    block[Short::kNode] = terminal.nodeNumber();
    block[Short::kSpeed] = lineSpeedCode(terminal.lineSpeed());
    zString section = sectionHeader(terminal.name());
    zString value;
    for (const auto& k : kShortKeys) {
        if (!config.getValue(section, k.key, value)) continue;
        value.toUpper();
        std::uint8_t code = k.otherwise;
        for (std::size_t i = 0; i < k.wordCount; ++i)
            if (value == k.words[i].text) code = k.words[i].code;
        block[k.offset] = code;
    }
    if (config.getValue(section, "GL_R_TIME", value)) {
        auto seconds = static_cast<std::uint8_t>(value.toLong() & 0xFF);
        block[Short::kRelayTime] = seconds == 0 ? kDefaultRelayTime : seconds;
    }
}

void prepareLongBlock(LongBlock& block, const Vorn& terminal, const ParameterLookup& config, zLogger& log) {
    const zString& password = terminal.password();
    if (password.length() > kPasswordLength)
        log.log(zLogger::Warning, "%s PASSWORD di %d caratteri: inviati i primi %d", terminal.label().c_str(),
                password.length(), kPasswordLength);
    int kept = std::min(password.length(), kPasswordLength);
    std::memcpy(block + Long::kPassword, password.c_str(), static_cast<std::size_t>(kept));
    block[Long::kPassword + kept] = 0;

    block[Long::kTerminalNumber] = static_cast<std::uint8_t>(terminal.terminalNumber());
    block[Long::kRings] = ringsOf(terminal);
    std::memcpy(block + Long::kProcedures, kProcedureDefaults, sizeof kProcedureDefaults);

    for (int i = 0; i < Long::kLabelCount; ++i) {
        zString key = zString::format("LABEL_%d", i + 1);
        zString label;
        if (config.getValue(kLabelsSection, key, label) && label.length() > kLabelLength)
            log.log(zLogger::Warning, "%s %s di %d caratteri: inviati i primi %d", terminal.label().c_str(),
                    key.c_str(), label.length(), kLabelLength);
        putText(block + Long::kLabels + i * Long::kLabelSize, Long::kLabelSize, std::string_view(label).substr(0, kLabelLength));
    }
}

void sealShortBlock(ShortBlock& block) { putLe16(block + Short::kCrc, fnd::crc16(block, Short::kCrc)); }

void sealLongBlock(LongBlock& block) { putLe16(block + Long::kCrc, fnd::crc16(block, Long::kCrc)); }
