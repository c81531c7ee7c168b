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

using enum OptionForm;
using F = FileOverride;
using H = HelpGroup;

// Handlers arrive with the operations that implement them. The order is the
// help's; the commands the help leaves out come last.
constexpr DISPATCHER_C kTable[] = {
    // id, name, telegram, handler, window only, option, form, file, help group, help, menu
    {CommandId::CountPunches, "RE,NR", nullptr, countPunchesCommand, false, "-yr", Pair, F::None, H::Downloads, "Riceve numero timbrature", "&Numero timb. \t"},
    {CommandId::DownloadAndClear, "RE,GE", nullptr, downloadAndClearCommand, false, "-r", Letter, F::Punches, H::Downloads, "Riceve e azzera timbrature sul rilevatore", "Ric&ezione+Cancellazione \t"},
    {CommandId::DownloadAndKeep, "RE,GE", nullptr, downloadAndKeepCommand, false, "-x", Letter, F::Punches, H::Downloads, "Riceve timbrature senza rimuoverle dal rilevatore", "&Ricezione \t"},
    {CommandId::DownloadJobs, "JR,GE", nullptr, downloadJobsCommand, false, "-j", Letter, F::Punches, H::Downloads, "Riceve e azzera timbrature COMMESSE (da VORNC)", "Ric. Tmb &Commesse \t"},
    {CommandId::LatestTransactions, "EM,GL", nullptr, latestTransactionsCommand, false, "-gl", Pair, F::None, H::Downloads, "Riceve 10 transazioni piu' recenti", "Get &List    \t"},
    {CommandId::CountRecoverable, "RA,NR", nullptr, countRecoverableCommand, false, "-yz", Pair, F::None, H::Recovery, "Riceve numero timb. recuperabili (VORN-L)", "Numero Timb. Recuperabi&le \t"},
    {CommandId::RecoverPunches, "RECOVER_REGS", nullptr, recoverPunchesCommand, false, "-z", Letter, F::Punches, H::Recovery, "Recupero timbrature (VORN-L)", "&Recupero Timbrature \t"},
    {CommandId::DeleteRecoverable, "RA,DE", "RA,DE", deviceCommand, false, "-@z", Letter, F::None, H::Recovery, "Cancellazione permanente timbrature (VORN-L)", "&Cancellazione Permanente Timb. \t"},
    {CommandId::CountEmployees, "EM,CO", nullptr, countEmployeesCommand, false, "-yt", Pair, F::None, H::Employees, "Riceve numero anagrafici", "&Numero anagrafiche \t"},
    {CommandId::UploadAssociatedEmployees, "EM,SE", nullptr, uploadAssociatedEmployeesCommand, false, "-t", Letter, F::Employees, H::Employees, "Trasmette anagrafiche ai rilevatori associati", "&Trasmissione \t"},
    {CommandId::UploadAllEmployees, "EM,SE", nullptr, uploadAllEmployeesCommand, false, "-es", Pair, F::Employees, H::Employees, "Trasmette anagrafiche ai rilevatori specificati", nullptr},
    {CommandId::ReceiveEmployees, "EM,GE,", nullptr, receiveEmployeesCommand, false, "-ea", Pair, F::Employees, H::Employees, "Riceve anagrafiche", "&Ricezione   \t"},
    {CommandId::UploadPersonalData, "EM,SD", nullptr, uploadPersonalDataCommand, false, "-ed", Pair, F::Employees, H::Employees, "Trasmette dati personali", "Trasm. &Dati Personali \t"},
    {CommandId::EmployeeInformation, "EI,GE,", nullptr, employeeInformationCommand, false, "-ei", Pair, F::None, H::Employees, "Riceve informazioni dipendente", "Get &Info    \t"},
    {CommandId::DeleteEmployees, "EM,DE,*,*", nullptr, deleteEmployeesCommand, false, "-k", Letter, F::None, H::Employees, "Cancella anagrafiche", "&Azzeramento  \t"},
    {CommandId::SendCardFormat, "FO,SE", nullptr, sendCardFormatCommand, false, "-fs", Pair, F::None, H::CardFormat, "Trasmette formato badge", "&Trasmette   \t"},
    {CommandId::ReceiveCardFormat, "FO,GE", nullptr, readCardFormatCommand, false, "-fg", Pair, F::None, H::CardFormat, "Riceve formato badge", "&Riceve   \t"},
    {CommandId::TestCardRead, "FO,LR", nullptr, testReadBadgeCommand, false, "-fr", Pair, F::None, H::CardFormat, "Test lettura badge", "Test &Lettura \t"},
    {CommandId::SetClock, "TI,SE", nullptr, setClockCommand, false, "-d", Letter, F::None, H::Clock, "Trasmette data & ora", "Ora &Send \t"},
    {CommandId::ReadClock, "TI,GE", nullptr, readClockCommand, false, "-yd", Pair, F::None, H::Clock, "Riceve data & ora", "&Ora Get "},
    {CommandId::SendDaylight, "TL,SE", nullptr, sendDaylightCommand, false, "-ls", Pair, F::None, H::Clock, "Trasmette ora Legale/Solare", "Ora Le&gale Send \t"},
    {CommandId::ReadDaylight, "TL,GE", nullptr, readDaylightCommand, false, "-lg", Pair, F::None, H::Clock, "Riceve ora Legale/Solare", "Ora &Legale Get\t"},
    {CommandId::Version, "VE", nullptr, versionCommand, false, "-v", Letter, F::None, H::Terminal, "Riceve versione", "&Versione  \t"},
    {CommandId::SendParameters, "PA,SE", nullptr, sendParametersCommand, false, "-ps", Pair, F::None, H::Terminal, "Trasmette parametri", "&Send \t"},
    {CommandId::ReceiveParameters, "PA,GE", nullptr, readParametersCommand, false, "-pg", Pair, F::None, H::Terminal, "Riceve parametri", "&Get \t"},
    {CommandId::WriteEeprom, "EE,SE", nullptr, eepromCommand, false, "-i", Exact, F::None, H::Terminal, "Set parametri EEPROM (VORN1/2)", nullptr},
    {CommandId::Reset, "@@", "@@", deviceCommand, false, "-@", Exact, F::None, H::Terminal, "Reset VORN", "&Reset Vorn  \t"},
    {CommandId::FactoryReset, "@B", "@B", deviceCommand, false, "-@F", Letter, F::None, H::Terminal, "Reset VORN-L azzerando tutti i dati (conf. di fabbrica)", "Reset+Conf &Fabrica \t"},
    {CommandId::SwitchOff, "GL,OF", "GL,OF", deviceCommand, false, "-ot", Pair, F::None, H::Terminal, "Spegne VORN-L", "&Spegnimento \t "},
    {CommandId::ChargeBatteries, "GL,BT", "GL,BT", deviceCommand, false, "-br", Pair, F::None, H::Terminal, "Forzatura carica batterie VORN-L", "Ricarica &Batteria \t"},
    {CommandId::UpgradeFirmware, "GL,UP", "GL,UP", upgradeFirmwareCommand, false, "-uf", Pair, F::None, H::Terminal, "Aggiorna Firmware VORN-L", "&Aggiornamento Firmware \t"},
    {CommandId::SendCauses, "CA,SE,", nullptr, sendCausesCommand, false, "-gs", Pair, F::Causes, H::Causes, "Trasmette giustificativi", "&Send   \t"},
    {CommandId::ReceiveCauses, "CA,GE,", nullptr, readCausesCommand, false, "-gg", Pair, F::None, H::Causes, "Riceve giustificativi", "&Get    \t"},
    {CommandId::DeleteCauses, "CA,DE", nullptr, deleteCausesCommand, false, "-gd", Pair, F::None, H::Causes, "Cancella giustificativi", "&Delete \t"},
    {CommandId::SendAlarms, "AL,SE,", nullptr, sendAlarmsCommand, false, "-as", Pair, F::Alarms, H::Alarms, "Trasmette allarmi", "&Send   \t"},
    {CommandId::ReceiveAlarms, "AL,GE,", nullptr, readAlarmsCommand, false, "-ag", Pair, F::None, H::Alarms, "Riceve allarmi", "&Get    \t"},
    {CommandId::DeleteAlarms, "AL,DE,*", nullptr, deleteAlarmsCommand, false, "-ad", Pair, F::None, H::Alarms, "Cancella allarmi", "&Delete \t"},
    {CommandId::PcClockFromTerminal, "Sync From Vorn", nullptr, pcClockFromTerminalCommand, false, "-syncg", Word, F::None, H::PcClock, "aggiorna la data e ora del PC acquisendo l'ora dal terminale indicato", nullptr},
    {CommandId::PcClockFromTimeService, "Sync CTD IEN", nullptr, pcClockFromTimeServiceCommand, false, "-sync", Word, F::None, H::PcClock, "aggiorna la data e ora del PC acquisendo l'ora dal IEN Torino", nullptr},
    {CommandId::ReadEeprom, "EE,GE", nullptr, eepromCommand, false, nullptr, None, F::None, H::None, nullptr, "Parametri &EEPROM "},
    {CommandId::CountFingerprints, "FP,NR", nullptr, countFingerprintsCommand, true, "-in", Letter, F::None, H::None, nullptr, "&Numero fingerprint \t"},
    {CommandId::SendFingerprints, "FP,ST", nullptr, uploadFingerprintsCommand, true, "-is", Letter, F::Fingerprints, H::None, nullptr, "&Trasmette   \t"},
    {CommandId::ReceiveFingerprints, "FP,GI", nullptr, downloadFingerprintsCommand, true, "-ir", Letter, F::Fingerprints, H::None, nullptr, "&Riceve   \t"},
    {CommandId::DeleteFingerprints, "FP,DE,*,*", nullptr, deleteFingerprintsCommand, true, "-id", Letter, F::None, H::None, nullptr, "&Azzeramento  \t"},
};
static_assert(std::size(kTable) == 44);

// The console build offers no fingerprint command: its rows keep their
// options and names but have no handler.
constexpr std::array<DISPATCHER_C, std::size(kTable)> withoutWindowOnly() {
    std::array<DISPATCHER_C, std::size(kTable)> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = kTable[i];
        if (table[i].windowOnly) table[i].handler = nullptr;
    }
    return table;
}
constexpr auto kConsoleTable = withoutWindowOnly();

constexpr const char* kHelpHeadings[] = {
    nullptr,
    "Scarico Timbrature:",
    "Scarico Timbrature Cancellate (Recupero timbrature):",
    "Anagrafiche:",
    "Formato Badge:",
    "Setup Orologio VORN:",
    "Setup Rilevatore:",
    "Giustificativi:",
    "Attivazione sirena (Allarmi)",
    "Sincronizzazione Data/Ora PC",
};
static_assert(std::size(kHelpHeadings) == static_cast<std::size_t>(HelpGroup::PcClock) + 1);

}  // namespace

std::span<const DISPATCHER_C> commandTable() { return kConsoleTable; }

std::span<const DISPATCHER_C> windowCommandTable() { return kTable; }

const char* helpGroupHeading(HelpGroup group) { return kHelpHeadings[static_cast<int>(group)]; }

zString menuText(const DISPATCHER_C& command) {
    zString text = command.menu ? command.menu : "";
    if (command.option && text.find('\t') >= 0) text += zString::format("(%s)", command.option);
    return text;
}

const DISPATCHER_C* findCommand(CommandId id, std::span<const DISPATCHER_C> table) {
    for (const auto& entry : table)
        if (entry.id == id) return &entry;
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
    arg.telegram = entry ? entry->telegram : nullptr;
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
