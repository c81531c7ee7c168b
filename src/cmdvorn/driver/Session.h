#pragma once
// One run of the command tool: log, parameter file, run-wide settings and
// terminal manager,
// the command line taken apart into jobs, each job dispatched, and the
// result file for the calling application. The console runs the jobs in a
// loop; the window queues them and runs one per message, through the same
// calls.
#include "CommandLine.h"
#include "CommandTable.h"
#include "ResultFile.h"
#include "RunContext.h"
#include "RunReport.h"

#include <memory>
#include <vector>

class PrmCfg;
class VornMgr;
class VornModem;

// What differs between the console and the window; both also answer the
// operations' questions.
class FrontEnd : public OperatorDialogs {
public:
    virtual ~FrontEnd() = default;
    virtual void showHelp(const RunState& state) = 0;
    virtual BREAKDLG_C& breakDialog() = 0;
    // Where information lines are shown (the console prints them).
    virtual InfoSink* infoSink() = 0;
    // Where log lines are shown besides the file (the window's list).
    virtual zLogSink* logSink() { return nullptr; }
    // The build's command table.
    virtual std::span<const DISPATCHER_C> commands() const { return commandTable(); }
};

struct BatchJob {
    int message = 0;    // the window message that carries the job
    CommandId commandId = CommandId::None;
    Vorn* terminal = nullptr;  // not owned; nullptr when the number is unknown
    zString option;            // the command's option as typed, for the report
    int terminalNumber = 0;    // the number asked for, kept when no terminal has it
};

// The command line after the parser: the special commands taken out and
// the terminal jobs in run order.
struct CommandPlan {
    bool anyCommand = false;  // false: nothing recognised, a fatal stop follows
    bool help = false;
    bool timeServiceSync = false;
    zString timeServiceOption;  // as typed
    std::vector<BatchJob> jobs;
    CommandId firstCommandId = CommandId::None;  // of the terminal commands
};

class Session {
public:
    static constexpr const char* kParameterFileName = "cmdvorn.prm";
    static constexpr const char* kLogFileName = "cmdvorn.log";
    // The exit code of a run that could not leave its result file (the
    // code of "File write error ").
    static constexpr int kResultFileFailedExit = code(RunError::FileWrite);
    // The exit code of a run in which a terminal failed, when the caller
    // asked for it (CMDVORN_STRICT_EXIT=1); by default such a run exits 0.
    static constexpr int kStrictFailedExit = 2;
    static constexpr const char* kStrictExitVariable = "CMDVORN_STRICT_EXIT";

    Session(zString programName, FrontEnd& frontEnd);
    ~Session();

    // Prepares the run: log, terminal manager, parameter file. Again from
    // the window's "Reset Configurazione".
    bool initialise();
    void release();

    CommandPlan plan(const zString& commandLine);
    bool runJob(const BatchJob& job);
    // The time-service synchronisation runs once, not per terminal.
    bool runTimeServiceSync(const zString& option = "-sync");

    void logSessionStart(const zString& commandLine);
    void logSessionEnd(const zString& commandLine);
    // The end-of-run form of the result file (count or error); nothing is
    // added after a successful version command, which wrote its own line.
    // When any write of the run failed, no result file is left and the
    // failure is shown.
    void writeResultFile(CommandId lastCommandId);
    // A command-line run starts by removing the result file and the report
    // of an earlier run; false (reported) when one stays.
    bool beginRun(const zString& commandLine);
    // Writes the report beside the result file once the result file is
    // written (command-line mode only). Returns the exit code to end with:
    // exitCode, or kStrictFailedExit for a successful run with a failed
    // terminal under strict exit. A report that cannot be written takes
    // the result file with it, as a failed result file does.
    int writeRunReport(int exitCode);
    // "Errore fatale - Impossibile continuare!" for InvalidParameter and
    // BadTerminalNumber.
    void logFatal(RunError error);

    // The console's run of a whole command line, release included; returns
    // the process exit code (0, or the code of a fatal stop).
    int runInConsole(const zString& commandLine);

    RunState& state() { return state_; }
    RunSettings& settings() { return settings_; }
    zLogger* log() { return log_.get(); }
    VornMgr* manager() { return manager_.get(); }
    RunContext* context() { return context_.get(); }
    const RunReport& report() const { return report_; }

private:
    // Logs why the run cannot start and tells the operator; false.
    bool initialisationFailed(const zString& message);
    // exitCode, or 111 when the result file could not be written.
    int exitCodeAfterResult(int exitCode) const;
    void reportResultFileFailure(const zString& directory, const char* fileName = kResultFileName);
    // Runs one command and notes it in the report.
    bool dispatchReported(Vorn* terminal, int terminalNumber, CommandId id, const zString& option);
    // The terminal's PORT (or its router) as the parameter file gives it.
    zString configuredLink(const Vorn* terminal) const;

    FrontEnd& frontEnd_;
    RunState state_;
    std::unique_ptr<zLogger> log_;
    std::unique_ptr<VornMgr> manager_;
    std::unique_ptr<zFile> parameterFile_;
    std::unique_ptr<PrmCfg> config_;
    RunSettings settings_;
    std::unique_ptr<InfoOutput> info_;
    std::unique_ptr<RunContext> context_;
    // The time service's modem line, built at the first -sync of the run;
    // it borrows its port from the manager.
    std::unique_ptr<VornModem> timeService_;
    int initialisations_ = 0;
    RunReport report_;
};

