#include "CommandTable.h"

#include "AlarmCommands.h"
#include "CardFormatCommands.h"
#include "CauseCommands.h"
#include "ClockCommands.h"
#include "EmployeeCommands.h"
#include "FingerprintCommands.h"
#include "ParameterCommands.h"
#include "TransactionCommands.h"
#include "VersionCommand.h"
#include "Vorn.h"

#include <array>

namespace {

// Handlers arrive with the operations that implement them.
constexpr DISPATCHER_C kTable[] = {
    {3, "VE", versionCommand},
    {5, "EM,SE", uploadAssociatedEmployeesCommand},
    {6, "EM,SE", uploadAllEmployeesCommand},
    {7, "EM,SD", uploadPersonalDataCommand},
    {8, "EM,DE,*,*", deleteEmployeesCommand},
    {4, "EM,GE,", receiveEmployeesCommand},
    {9, "EI,GE,", employeeInformationCommand},
    {10, "EM,GL", latestTransactionsCommand},
    {39, "EM,CO", countEmployeesCommand},
    {11, "RE,NR", countPunchesCommand},
    {12, "RE,GE", downloadAndClearCommand},
    {13, "RE,GE", downloadAndKeepCommand},
    {28, "JR,GE", downloadJobsCommand},
    {35, "RECOVER_REGS", recoverPunchesCommand},
    {14, "CA,GE,", readCausesCommand},
    {15, "CA,SE,", sendCausesCommand},
    {16, "CA,DE", deleteCausesCommand},
    {27, "@@", nullptr},
    {17, "FO,GE", readCardFormatCommand},
    {18, "FO,SE", sendCardFormatCommand},
    {19, "FO,LR", testReadBadgeCommand},
    {20, "PA,GE", readParametersCommand},
    {21, "PA,SE", sendParametersCommand},
    {22, "TI,GE", readClockCommand},
    {23, "TI,SE", setClockCommand},
    {24, "AL,GE,", readAlarmsCommand},
    {25, "AL,SE,", sendAlarmsCommand},
    {26, "AL,DE,*", deleteAlarmsCommand},
    {29, "EE,GE", eepromCommand},
    {30, "EE,SE", eepromCommand},
    {31, "TL,GE", readDaylightCommand},
    {32, "TL,SE", sendDaylightCommand},
    {33, "GL,BT", nullptr},
    {34, "GL,OF", nullptr},
    {36, "@B", nullptr},
    {38, "RA,DE", deleteRecoverableCommand},
    {37, "RA,NR", countRecoverableCommand},
    {40, "GL,UP", nullptr},
    {41, "Sync CTD IEN", pcClockFromTimeServiceCommand},
    {42, "Sync From Vorn", pcClockFromTerminalCommand},
    {44, "FP,NR", nullptr},
    {45, "FP,ST", nullptr},
    {46, "FP,GI", nullptr},
    {47, "FP,DE,*,*", nullptr},
};
static_assert(std::size(kTable) == 44);

// The window offers the fingerprint commands the console build lacks.
constexpr std::array<DISPATCHER_C, std::size(kTable)> withFingerprints() {
    std::array<DISPATCHER_C, std::size(kTable)> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = kTable[i];
        switch (table[i].id) {
            case 44: table[i].handler = countFingerprintsCommand; break;
            case 45: table[i].handler = uploadFingerprintsCommand; break;
            case 46: table[i].handler = downloadFingerprintsCommand; break;
            case 47: table[i].handler = deleteFingerprintsCommand; break;
            default: break;
        }
    }
    return table;
}
constexpr auto kWindowTable = withFingerprints();

}  // namespace

std::span<const DISPATCHER_C> commandTable() { return kTable; }

std::span<const DISPATCHER_C> windowCommandTable() { return kWindowTable; }

const DISPATCHER_C* findCommand(int id, std::span<const DISPATCHER_C> table) {
    for (const auto& entry : table)
        if (entry.id == id) return &entry;
    return nullptr;
}

const char* commandName(int id, zLogger& log) {
    if (const DISPATCHER_C* entry = findCommand(id)) return entry->name;
    log.log("Fatal Error! Func. %d not defined", id);
    return nullptr;
}

bool dispatch(RunContext& run, Vorn* terminal, int id, std::span<const DISPATCHER_C> table) {
    RunState& state = run.state();
    if (!terminal) {
        run.reportError(102, nullptr);
        return false;
    }

    CMDARG_C arg;
    arg.terminal = terminal;
    arg.id = id;
    arg.run = &run;

    const DISPATCHER_C* entry = findCommand(id, table);
    const char* name = entry ? entry->name : "";
    run.log().log("%s Invio Cmd. %s", terminal->label().c_str(), name);

    if (entry && entry->handler)
        entry->handler(arg);
    else
        run.log().log("Fatal Error! Func. %d not defined", id);

    state.errorCode = arg.result != 0 ? arg.result : terminal->statusCode();
    state.count += arg.count;

    if (state.errorCode != 0) return false;
    run.log().log("%s Comando %s eseguito.", terminal->label().c_str(), name);
    return true;
}
