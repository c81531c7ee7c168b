#include "ParameterExchange.h"

#include "RecordExchange.h"

int readLongBlock(Vorn& terminal, LongBlock& block) {
    return fetchRecord(terminal, "PA,GE", block, LongParameterBlock::kSize);
}

int sendLongBlock(Vorn& terminal, const LongBlock& block) {
    return storeRecord(terminal, "PA,SE", block, LongParameterBlock::kSize);
}

int readShortBlock(Vorn& terminal, ShortBlock& block) {
    return fetchRecord(terminal, "GL,PG", block, ShortParameterBlock::kSize);
}

int sendShortBlock(Vorn& terminal, const ShortBlock& block) {
    return storeRecord(terminal, "GL,PS", block, ShortParameterBlock::kSize);
}

int readEeprom(Vorn& terminal, EepromRecord& record) {
    std::uint8_t bytes[EepromRecord::kSize] = {};
    int code = fetchRecord(terminal, "EE,GE", bytes, EepromRecord::kSize);
    if (code == 0) record = EepromRecord::decode(bytes);
    return code;
}

int sendEeprom(Vorn& terminal, const EepromRecord& record) {
    std::uint8_t bytes[EepromRecord::kSize];
    record.encode(bytes);
    return storeRecord(terminal, "EE,SE", bytes, EepromRecord::kSize);
}
