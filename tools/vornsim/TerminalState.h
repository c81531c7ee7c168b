#pragma once
// What one simulated terminal holds: stored records, employees, clock,
// daylight-saving and version records, and any tables later features add.
// Loaded from and saved to a readable JSON state file, or generated.
#include "BadgeStore.h"
#include "ConfigTables.h"
#include "Records.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vornsim {

// Telegram models, and the line-protocol models VORNT2 (6) and VORNT3 (7).
std::optional<int> modelFromText(const std::string& text);
const char* modelName(int model);
EmployeeFormat defaultEmployeeFormat(int model);

struct Terminal {
    int node = 1;
    std::string line;  // terminals on different lines (ports, bridges) may share a node number
    int model = 1;
    int termNr = 1;
    std::string password;
    EmployeeFormat employeeFormat = EmployeeFormat::EM;
    std::int64_t clockOffset = 0;  // terminal clock minus host clock, seconds

    std::vector<Transaction> punches;      // "RE": punches, access, canteen, job kinds
    std::vector<Transaction> recoverable;  // "RA" of the VORN-L: deleted, still recoverable
    std::vector<JobRecord> jobs;           // "JO" of the VORN2C
    std::vector<ExtendedRecord> extended;  // "RE" of the VORN2B
    std::vector<Employee> employees;
    DaylightSaving daylight;
    VersionInfo version;
    std::map<int, std::string> lineParameters;  // "@CFG n" of the line models; defaults elsewhere
    std::string lineVersion;                    // "%XI" of the line models
    BadgeStore badge;
    ConfigTables config;  // causes, alarms, parameter blocks, EEPROM
    nlohmann::ordered_json tables = nlohmann::ordered_json::object();  // kept as found

    // Position of the "first/next" employee and employee-information walks.
    std::size_t employeeCursor = 0;
    std::size_t infoCursor = 0;

    std::uint32_t clockNow() const;
    void setClock(std::uint32_t terminalTime);
    std::size_t storedCount() const { return model == 8 ? extended.size() : punches.size(); }
};

struct GenerateOptions {
    int records = 0;
    int employees = 0;
    int jobs = 0;
    int recoverable = 0;
    std::uint32_t seed = 1;
};

// Appends reproducible records and employees: the same seed and node give the same data.
void generate(Terminal& t, const GenerateOptions& g);
// Appends `count` new punches (or extended records) of that terminal, as if badges were read now.
void addFreshRecords(Terminal& t, int count, std::uint32_t seed);

nlohmann::ordered_json toJson(const std::vector<Terminal>& terminals);
// Throws std::runtime_error naming the offending item.
std::vector<Terminal> fromJson(const nlohmann::ordered_json& state);

std::vector<Terminal> loadState(const std::string& path);
void saveState(const std::string& path, const std::vector<Terminal>& terminals);

}  // namespace vornsim
