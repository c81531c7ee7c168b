#include "ParameterExchange.h"

#include "RecordExchange.h"

RunError readLongBlock(Vorn& terminal, LongBlock& block) {
    return fetchRecord(terminal, "PA,GE", block, LongParameterBlock::kSize);
}

RunError sendLongBlock(Vorn& terminal, const LongBlock& block) {
    return storeRecord(terminal, "PA,SE", block, LongParameterBlock::kSize);
}

RunError readShortBlock(Vorn& terminal, ShortBlock& block) {
    return fetchRecord(terminal, "GL,PG", block, ShortParameterBlock::kSize);
}

RunError sendShortBlock(Vorn& terminal, const ShortBlock& block) {
    return storeRecord(terminal, "GL,PS", block, ShortParameterBlock::kSize);
}

RunError readEeprom(Vorn& terminal, EepromRecord& record) {
    std::uint8_t bytes[EepromRecord::kSize] = {};
    RunError code = fetchRecord(terminal, "EE,GE", bytes, EepromRecord::kSize);
    if (code == RunError::None) record = EepromRecord::decode(bytes);
    return code;
}

RunError sendEeprom(Vorn& terminal, const EepromRecord& record) {
    std::uint8_t bytes[EepromRecord::kSize];
    record.encode(bytes);
    return storeRecord(terminal, "EE,SE", bytes, EepromRecord::kSize);
}
