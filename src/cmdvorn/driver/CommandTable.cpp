#include "CommandTable.h"

#include "AlarmCommands.h"
#include "CardFormatCommands.h"
#include "CauseCommands.h"
#include "ClockCommands.h"
#include "EmployeeCommands.h"
#include "FingerprintCommands.h"
#include "JobOutcome.h"
#include "MaintenanceCommands.h"
#include "ParameterCommands.h"
#include "TransactionCommands.h"
#include "VersionCommand.h"
#include "Vorn.h"

#include <array>

namespace {

// Handlers arrive with the operations that implement them.
constexpr DISPATCHER_C kTable[] = {
    {CommandId::Version, "VE", versionCommand},
    {CommandId::UploadAssociatedEmployees, "EM,SE", uploadAssociatedEmployeesCommand},
    {CommandId::UploadAllEmployees, "EM,SE", uploadAllEmployeesCommand},
    {CommandId::UploadPersonalData, "EM,SD", uploadPersonalDataCommand},
    {CommandId::DeleteEmployees, "EM,DE,*,*", deleteEmployeesCommand},
    {CommandId::ReceiveEmployees, "EM,GE,", receiveEmployeesCommand},
    {CommandId::EmployeeInformation, "EI,GE,", employeeInformationCommand},
    {CommandId::LatestTransactions, "EM,GL", latestTransactionsCommand},
    {CommandId::CountEmployees, "EM,CO", countEmployeesCommand},
    {CommandId::CountPunches, "RE,NR", countPunchesCommand},
    {CommandId::DownloadAndClear, "RE,GE", downloadAndClearCommand},
    {CommandId::DownloadAndKeep, "RE,GE", downloadAndKeepCommand},
    {CommandId::DownloadJobs, "JR,GE", downloadJobsCommand},
    {CommandId::RecoverPunches, "RECOVER_REGS", recoverPunchesCommand},
    {CommandId::ReceiveCauses, "CA,GE,", readCausesCommand},
    {CommandId::SendCauses, "CA,SE,", sendCausesCommand},
    {CommandId::DeleteCauses, "CA,DE", deleteCausesCommand},
    {CommandId::Reset, "@@", deviceCommand},
    {CommandId::ReceiveCardFormat, "FO,GE", readCardFormatCommand},
    {CommandId::SendCardFormat, "FO,SE", sendCardFormatCommand},
    {CommandId::TestCardRead, "FO,LR", testReadBadgeCommand},
    {CommandId::ReceiveParameters, "PA,GE", readParametersCommand},
    {CommandId::SendParameters, "PA,SE", sendParametersCommand},
    {CommandId::ReadClock, "TI,GE", readClockCommand},
    {CommandId::SetClock, "TI,SE", setClockCommand},
    {CommandId::ReceiveAlarms, "AL,GE,", readAlarmsCommand},
    {CommandId::SendAlarms, "AL,SE,", sendAlarmsCommand},
    {CommandId::DeleteAlarms, "AL,DE,*", deleteAlarmsCommand},
    {CommandId::ReadEeprom, "EE,GE", eepromCommand},
    {CommandId::WriteEeprom, "EE,SE", eepromCommand},
    {CommandId::ReadDaylight, "TL,GE", readDaylightCommand},
    {CommandId::SendDaylight, "TL,SE", sendDaylightCommand},
    {CommandId::ChargeBatteries, "GL,BT", deviceCommand},
    {CommandId::SwitchOff, "GL,OF", deviceCommand},
    {CommandId::FactoryReset, "@B", deviceCommand},
    {CommandId::DeleteRecoverable, "RA,DE", deviceCommand},
    {CommandId::CountRecoverable, "RA,NR", countRecoverableCommand},
    {CommandId::UpgradeFirmware, "GL,UP", upgradeFirmwareCommand},
    {CommandId::PcClockFromTimeService, "Sync CTD IEN", pcClockFromTimeServiceCommand},
    {CommandId::PcClockFromTerminal, "Sync From Vorn", pcClockFromTerminalCommand},
    {CommandId::CountFingerprints, "FP,NR", nullptr},
    {CommandId::SendFingerprints, "FP,ST", nullptr},
    {CommandId::ReceiveFingerprints, "FP,GI", nullptr},
    {CommandId::DeleteFingerprints, "FP,DE,*,*", nullptr},
};
static_assert(std::size(kTable) == 44);

// The window offers the fingerprint commands the console build lacks.
constexpr std::array<DISPATCHER_C, std::size(kTable)> withFingerprints() {
    std::array<DISPATCHER_C, std::size(kTable)> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = kTable[i];
        switch (table[i].id) {
            case CommandId::CountFingerprints: table[i].handler = countFingerprintsCommand; break;
            case CommandId::SendFingerprints: table[i].handler = uploadFingerprintsCommand; break;
            case CommandId::ReceiveFingerprints: table[i].handler = downloadFingerprintsCommand; break;
            case CommandId::DeleteFingerprints: table[i].handler = deleteFingerprintsCommand; break;
            default: break;
        }
    }
    return table;
}
constexpr auto kWindowTable = withFingerprints();

}  // namespace

std::span<const DISPATCHER_C> commandTable() { return kTable; }

std::span<const DISPATCHER_C> windowCommandTable() { return kWindowTable; }

const DISPATCHER_C* findCommand(CommandId id, std::span<const DISPATCHER_C> table) {
    for (const auto& entry : table)
        if (entry.id == id) return &entry;
    return nullptr;
}

const char* commandName(CommandId id, zLogger& log) {
    if (const DISPATCHER_C* entry = findCommand(id)) return entry->name;
    log.log("Fatal Error! Func. %d not defined", code(id));
    return nullptr;
}

bool dispatch(RunContext& run, Vorn* terminal, CommandId id, std::span<const DISPATCHER_C> table, CMDARG_C* finished) {
    RunState& state = run.state();
    if (!terminal) {
        run.reportError(RunError::BadTerminalNumber, nullptr);
        return false;
    }

    CMDARG_C arg;
    arg.terminal = terminal;
    arg.id = id;
    arg.run = &run;

    const DISPATCHER_C* entry = findCommand(id, table);
    const char* name = entry ? entry->name : "";
    arg.name = name;
    run.log().log("%s Invio Cmd. %s", terminal->label().c_str(), name);

    if (entry && entry->handler)
        entry->handler(arg);
    else
        run.log().log("Fatal Error! Func. %d not defined", code(id));

    state.errorCode = outcomeOf(arg);
    state.count += arg.count;
    if (finished) *finished = arg;

    if (state.errorCode != RunError::None) return false;
    run.log().log("%s Comando %s eseguito.", terminal->label().c_str(), name);
    return true;
}
