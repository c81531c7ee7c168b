#pragma once
// Binary records a terminal keeps and exchanges, with their byte layouts.
// All integers are little-endian; checks are CRC-16/ARC with initial value 0.
#include "Telegram.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vornsim {

// 17 bytes and their check (19 bytes).
struct Transaction {
    std::uint8_t company = 0;
    std::uint8_t terminal = 0;
    std::uint32_t employee = 0;
    std::uint32_t time = 0;
    std::uint8_t flags = 0;  // bit 2 direction (set = in), bits 5-7 kind
    std::uint8_t cause = 0;
    std::uint32_t job = 0;
    std::uint8_t workHigh = 0;
    std::optional<std::uint16_t> check;  // a deliberately wrong stored check, else computed
};
Bytes encodeTransaction(const Transaction& t);

// Job-costing record of the VORN2C, 61 bytes.
struct JobRecord {
    std::uint8_t company = 0;
    std::uint8_t terminal = 0;
    std::uint32_t employee = 0;
    std::uint32_t time = 0;
    std::uint8_t status = 0;
    std::string data;  // 32 characters at most
    std::array<std::uint8_t, 7> offsets{};
    std::array<std::uint8_t, 7> lengths{};
    std::optional<std::uint16_t> check;
};
Bytes encodeJob(const JobRecord& j);

// Extended record of the VORN2B, 46 bytes, no check bytes.
struct ExtendedRecord {
    std::uint8_t terminal = 0;
    std::uint32_t employee = 0;     // bytes 2-5
    std::uint16_t counter = 0;      // bytes 6-7
    std::uint32_t time = 0;         // bytes 8-11
    std::uint8_t unit = 0;          // byte 12
    std::uint8_t code = 0;          // byte 13
    std::string text;               // bytes 18-25
    std::int16_t value26 = 0;
    std::uint16_t value28 = 0;
    std::uint32_t time2 = 0;        // bytes 30-33
    std::int16_t value34 = 0;
    std::int32_t value36 = 0;
    std::int32_t hundredths = 0;    // bytes 40-43
    std::int16_t value44 = 0;
};
Bytes encodeExtended(const ExtendedRecord& e);

enum class EmployeeFormat { US, UM, EM };
const char* formatName(EmployeeFormat f);
std::optional<EmployeeFormat> formatFromName(const std::string& name);
std::size_t employeeRecordSize(EmployeeFormat f);

struct Employee {
    std::uint8_t company = 0;
    std::uint32_t number = 0;
    std::string name;
    std::array<std::string, 8> texts;
    std::uint8_t flags = 0;
    std::uint16_t item = 0;
    std::uint8_t level = 0;
    bool disabled = false;
    std::uint32_t jo = 0;
    std::uint32_t jc = 0;
};
Bytes encodeEmployee(EmployeeFormat f, const Employee& e);
// Refuses a record of the wrong size or with a wrong check; `why` says which.
std::optional<Employee> decodeEmployee(EmployeeFormat f, const Bytes& b, std::string& why);

// Data of "EM,SD", 175 bytes: number, company, two zero bytes, eight texts.
struct PersonalData {
    std::uint32_t number = 0;
    std::uint8_t company = 0;
    std::array<std::string, 8> texts;
};
std::optional<PersonalData> decodePersonalData(const Bytes& b);

// Employee status, 34 bytes: name, number, company, flags, last passage.
Bytes encodeStatusRecord(const std::string& name, std::uint32_t number, std::uint8_t company, std::uint16_t flags,
                         std::uint32_t time);

struct DaylightSaving {
    std::uint16_t active = 0;
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
};
Bytes encodeDaylight(const DaylightSaving& d);
std::optional<DaylightSaving> decodeDaylight(const Bytes& b, std::string& why);

struct VersionInfo {
    std::string programmer = "VORNSIM";
    std::string date = "07/12/2026";
    std::string time = "12:00:00";
    std::string version = "SIM 1.0";
    std::uint16_t rec = 8000;
    std::uint16_t numOfEmp = 2000;
    std::uint16_t numOfMes = 50;
    std::uint16_t mes = 0;
};
// 70 bytes; the punch and employee counts are the terminal's live ones.
Bytes encodeVersion(const VersionInfo& v, std::uint16_t punches, std::uint16_t employees);

// "MP,GE" of the VORN2, 30 bytes: employee count and the employee format code.
Bytes encodeMemoryParameters(std::uint16_t employees, EmployeeFormat f);

}  // namespace vornsim
