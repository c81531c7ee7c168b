#pragma once
// What one run of the command tool shares with every command: the log, the
// terminal manager, the parameter file's keys and the run-wide file
// settings, the interrupt dialog and the run state (error code, count,
// directories). CMDARG_C is what a command handler receives.
#include "BreakDialog.h"
#include "CommandId.h"
#include "InfoOutput.h"
#include "OperatorDialogs.h"
#include "ParameterLookup.h"
#include "RunError.h"
#include "RunSettings.h"
#include "zLogger.h"
#include "zString.h"

#include <memory>

class Vorn;
struct RecordWriterRun;
class VornMgr;

struct RunState {
    zString programName;         // "Cmdv32" or "Wcmdv32"
    zString version;             // "%d.%d.%d.%d"
    zString platform;            // "Linux Version ..."
    zString dataDirectory;       // current directory: log, result file, data files
    zString parameterDirectory;  // directory of the executable: "cmdvorn.prm"
    RunError errorCode = RunError::None;  // the outcome of the last dispatch
    int count = 0;               // items moved or counted by all dispatches
    bool commandLineMode = true;
    CommandId lastCommandId = CommandId::None;
    bool resultFileFailed = false;  // the run then ends with no result file and 111
};

class RunContext {
public:
    RunContext(zLogger& log, VornMgr& manager, const ParameterLookup& parameters, RunSettings& settings,
               BREAKDLG_C& dialog, InfoOutput& info, RunState& state);
    ~RunContext();

    zLogger& log() { return log_; }
    VornMgr& manager() { return manager_; }
    const ParameterLookup& parameters() const { return parameters_; }
    RunSettings& settings() { return settings_; }
    BREAKDLG_C& dialog() { return dialog_; }
    InfoOutput& info() { return info_; }
    // The writer's layouts and output files, kept for the whole run.
    RecordWriterRun& writerRun() { return *writerRun_; }

    // Questions to the operator; until a front end hands its own, nobody
    // answers and every question gets the safe answer.
    OperatorDialogs& operatorDialogs() { return *operatorDialogs_; }
    void setOperatorDialogs(OperatorDialogs* dialogs);
    RunState& state() { return state_; }

    // Records error as the run's error code and logs its message with the
    // terminal label (when there is a terminal) and the two texts.
    void reportError(RunError error, const Vorn* terminal, const char* text1 = nullptr, const char* text2 = nullptr);

private:
    zLogger& log_;
    VornMgr& manager_;
    const ParameterLookup& parameters_;
    RunSettings& settings_;
    BREAKDLG_C& dialog_;
    InfoOutput& info_;
    RunState& state_;
    std::unique_ptr<RecordWriterRun> writerRun_;
    OperatorDialogs* operatorDialogs_;
};

// A command's job: what the handler works on and all it hands back. The
// handler returns nothing else; dispatch reads the outcome from here.
struct CMDARG_C {
    Vorn* terminal = nullptr;  // not owned
    CommandId id = CommandId::None;
    int count = 0;   // items moved or counted; raised after each successful exchange
    RunError result = RunError::None;  // the command's error code
    int leftOnTerminal = 0;  // records a download could not save and left on the terminal
    zString resultLine;      // -v: the result file's line, should the run end on it
    RunContext* run = nullptr;
    const char* telegram = nullptr;  // what a plain device command sends, from its table row
};
