#pragma once
// One run of the command tool: log, parameter file, run-wide settings and
// terminal manager, the command line made into a run plan, each step run,
// and the result file for the calling application. The console runs the
// steps in a loop; the window runs one per message, through the same calls.
#include "CommandLine.h"
#include "CommandTable.h"
#include "ResultFile.h"
#include "RunContext.h"
#include "RunPlan.h"
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

    // The command line's steps, in the order the front end's rules give.
    RunPlan plan(const zString& commandLine, const RunRules& rules);
    // One step; a successful -v leaves its line in the result file at once.
    void runStep(const BatchJob& step);
    // Every step of the plan: one after another, or with the links side by
    // side when the run asks for it and the plan allows it.
    void runSteps(const RunPlan& plan);
    // The end of a run: the result file and the report (command-line mode
    // only) and the closing line, as the plan's rules say. Returns the exit
    // code to end with: exitCode, kStrictFailedExit for a successful run
    // with a failed terminal under strict exit, or, where the rules ask, the
    // code of a result file that could not be written.
    int finish(const RunPlan& plan, int exitCode);
    // A command-line run starts by removing the result file and the report
    // of an earlier run; false (reported) when one stays.
    bool beginRun(const zString& commandLine);
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
    // The end-of-run form of the result file (count or error); nothing is
    // added when the deciding command is -v, whose line is written as it
    // succeeds. When any write of the run failed, no result file is left
    // and the failure is shown.
    void writeResultFile(CommandId decidingCommand);
    // The report beside the result file (command-line mode only); a report
    // that cannot be written takes the result file with it.
    int writeRunReport(int exitCode);
    void runTimeServiceSync(const zString& option);
    void reportResultFileFailure(const zString& directory, const char* fileName = kResultFileName);
    // Runs one command and notes it in the report.
    CMDARG_C dispatchReported(Vorn* terminal, int terminalNumber, CommandId id, const zString& option);
    // Notes a finished command in the report, with the run's error code.
    void noteReport(Vorn* terminal, int terminalNumber, CommandId id, const zString& option, const CMDARG_C& finished,
                    ReportClock::time_point started, ReportClock::time_point ended);
    // The version line is the result while nothing after it decides otherwise.
    void keepResultLine(const CMDARG_C& finished);
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
    zString commandLine_;  // of the last plan, for its session lines
};

