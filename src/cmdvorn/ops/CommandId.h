#pragma once
// The command ids: each names one command of the command table. The numbers
// are the ones the log ("Fatal Error! Func. %d not defined") and the
// window's menu identifiers are built from.

enum class CommandId : int {
    Unknown = -1,  // not an option the tool knows
    None = 0,      // the terminal selection letter, not a command
    Version = 3,
    ReceiveEmployees = 4,
    UploadAssociatedEmployees = 5,
    UploadAllEmployees = 6,
    UploadPersonalData = 7,
    DeleteEmployees = 8,
    EmployeeInformation = 9,
    LatestTransactions = 10,
    CountPunches = 11,
    DownloadAndClear = 12,
    DownloadAndKeep = 13,
    ReceiveCauses = 14,
    SendCauses = 15,
    DeleteCauses = 16,
    ReceiveCardFormat = 17,
    SendCardFormat = 18,
    TestCardRead = 19,
    ReceiveParameters = 20,
    SendParameters = 21,
    ReadClock = 22,
    SetClock = 23,
    ReceiveAlarms = 24,
    SendAlarms = 25,
    DeleteAlarms = 26,
    Reset = 27,
    DownloadJobs = 28,
    ReadEeprom = 29,
    WriteEeprom = 30,
    ReadDaylight = 31,
    SendDaylight = 32,
    ChargeBatteries = 33,
    SwitchOff = 34,
    RecoverPunches = 35,
    FactoryReset = 36,
    CountRecoverable = 37,
    DeleteRecoverable = 38,
    CountEmployees = 39,
    UpgradeFirmware = 40,
    PcClockFromTimeService = 41,
    PcClockFromTerminal = 42,
    Help = 43,
    CountFingerprints = 44,
    SendFingerprints = 45,
    ReceiveFingerprints = 46,
    DeleteFingerprints = 47,
};

constexpr int code(CommandId id) { return static_cast<int>(id); }
