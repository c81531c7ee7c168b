#pragma once
// The small configuration tables a terminal keeps: causes, the siren
// schedule (alarms), the operating-parameter block (240 bytes, or the
// VORN-L's 10 bytes) and the EEPROM identity of the VORN1/2 (51 bytes).
// In the state file the blocks are objects of named fields over the
// terminal's defaults; "check" stores a deliberately wrong CRC and "raw"
// (hexadecimal) a block of any size, as a faulty terminal would hold it.
#include "Telegram.h"

#include <nlohmann/json.hpp>

#include <map>
#include <string>

namespace vornsim {

struct Terminal;

struct ConfigTables {
    std::map<int, std::string> causes;  // code -> description
    std::map<int, Bytes> alarms;        // number -> 13-byte record as received
    // Empty until loaded or sent: the terminal then answers its defaults.
    Bytes parameters;
    Bytes lineParameters;
    Bytes eeprom;
};

constexpr std::size_t kCauseRecordSize = 21;
constexpr std::size_t kAlarmRecordSize = 13;
constexpr std::size_t kParameterBlockSize = 240;
constexpr std::size_t kLineParameterBlockSize = 10;
constexpr std::size_t kEepromRecordSize = 51;

// The blocks a terminal holds before any was sent to it.
Bytes defaultParameters(const Terminal& t);
Bytes defaultLineParameters(const Terminal& t);
Bytes defaultEeprom(const Terminal& t);

// True when the last two bytes are the CRC-16 of the others.
bool sealed(const Bytes& block);

// Adds the tables to a terminal's JSON object, leaving out what is empty.
void configToJson(const ConfigTables& c, nlohmann::ordered_json& terminal);
// Reads them from a terminal's JSON object; its identity must be read already.
void configFromJson(const nlohmann::ordered_json& terminal, Terminal& t);

}  // namespace vornsim
