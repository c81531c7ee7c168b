#include "Session.h"

#include "CommandTable.h"
#include "FndException.h"
#include "ParallelRun.h"
#include "Platform.h"
#include "PrmCfg.h"
#include "ResultFile.h"
#include "TimeServiceTerminal.h"
#include "Vorn.h"
#include "VornMgr.h"

#include <cstdlib>
#include <cstring>

Session::Session(zString programName, FrontEnd& frontEnd) : frontEnd_(frontEnd) {
    state_.programName = std::move(programName);
}

Session::~Session() { release(); }

void Session::release() {
    context_.reset();
    info_.reset();
    timeService_.reset();
    manager_.reset();
    config_.reset();
    log_.reset();
    parameterFile_.reset();
}

bool Session::initialise() {
    if (manager_ && log_) release();
    ++initialisations_;

    state_.dataDirectory = currentDirectory();
    if (!log_)
        log_ = std::make_unique<zLogger>(zString::format("%s/%s", state_.dataDirectory.c_str(), kLogFileName));
    log_->setListSink(frontEnd_.logSink());
    manager_ = std::make_unique<VornMgr>(*log_);
    manager_->setNoticeHandler([this](const char* caption, const char* text) { frontEnd_.showMessage(caption, text); });
    state_.version = programVersion();
    state_.platform = platformDescription();

    state_.parameterDirectory = executableDirectory();
    if (state_.parameterDirectory.isEmpty()) {
        const zString& data = state_.dataDirectory;
        int slash = data.findLast('/');
        state_.parameterDirectory = slash > 0 ? data.left(slash) : data;
    }

    zString parameterPath = zString::format("%s/%s", state_.parameterDirectory.c_str(), kParameterFileName);
    if (std::FILE* probe = std::fopen(parameterPath.c_str(), "r")) {
        std::fclose(probe);
    } else {
        return initialisationFailed(zString::format("%s not found !!", kParameterFileName));
    }

    parameterFile_ = std::make_unique<zFile>(parameterPath);
    config_ = std::make_unique<PrmCfg>(*parameterFile_, *log_);
    bool loaded = false;
    try {
        loaded = config_->load(*manager_, settings_);
    } catch (const FndException& e) {
        // A configuration the run cannot go on with (a missing router).
        frontEnd_.showMessage("Exception", e.message().c_str());
    }
    if (!loaded) {
        parameterFile_->close();
        return initialisationFailed(zString::format("Errore lettura parametri %s", state_.parameterDirectory.c_str()));
    }

    manager_->setBreakDialog(&frontEnd_.breakDialog());
    info_ = std::make_unique<InfoOutput>(*log_);
    info_->setSink(frontEnd_.infoSink());
    info_->setDataOut(settings_.dataOut);
    context_ = std::make_unique<RunContext>(*log_, *manager_, *config_, settings_, frontEnd_.breakDialog(), *info_, state_);
    context_->setOperatorDialogs(&frontEnd_);
    log_->log(zLogger::Header, "%s, ver. %s. Running on: %s", state_.programName.c_str(), state_.version.c_str(),
              state_.platform.c_str());
    log_->log(zLogger::Header, "Direttorio parametri: %s", state_.parameterDirectory.c_str());
    log_->log(zLogger::Header, "Direttorio dati: %s", state_.dataDirectory.c_str());
    if (initialisations_ > 1) log_->log("Configurazione reinizializzata!");
    return true;
}

bool Session::initialisationFailed(const zString& message) {
    log_->log("%s", message.c_str());
    frontEnd_.showMessage(state_.programName.c_str(), message.c_str());
    return false;
}

RunPlan Session::plan(const zString& commandLine, const RunRules& rules) {
    commandLine_ = commandLine;
    ParsedCommandLine parsed;
    CommandLineParser parser(*log_, state_, settings_);
    parser.parse(commandLine, parsed);
    return makeRunPlan(commandLine, parsed, *manager_, rules);
}

void Session::runStep(const BatchJob& step) {
    switch (step.step) {
    case StepKind::SessionStart:
        log_->log(zLogger::Header, "Inizio sessione: \"%s\"", commandLine_.c_str());
        return;
    case StepKind::TimeServiceSync:
        state_.lastCommandId = step.commandId;
        runTimeServiceSync(step.option);
        return;
    case StepKind::TerminalCommand: {
        state_.lastCommandId = step.commandId;
        keepResultLine(dispatchReported(step.terminal, step.terminalNumber, step.commandId, step.option));
        return;
    }
    }
}

void Session::keepResultLine(const CMDARG_C& finished) {
    if (state_.commandLineMode && !finished.resultLine.isEmpty()) writeRunResult(state_, finished.resultLine);
}

void Session::runSteps(const RunPlan& plan) {
    if (!ParallelRun::suits(plan, *context_)) {
        for (const BatchJob& step : plan.steps) runStep(step);
        return;
    }
    // Each command's outcome comes here in plan order, as a sequential run folds it in.
    auto note = [this](const BatchJob& step, const ParallelRun::Finished& finished) {
        state_.lastCommandId = step.commandId;
        state_.errorCode = finished.code;
        state_.count += finished.job.count;
        noteReport(step.terminal, step.terminalNumber, step.commandId, step.option, finished.job, finished.started,
                   finished.ended);
        keepResultLine(finished.job);
    };
    ParallelRun(*context_, frontEnd_.commands()).run(plan, [this](const BatchJob& step) { runStep(step); }, note);
}

void Session::runTimeServiceSync(const zString& option) {
    if (!timeService_) timeService_ = createTimeServiceTerminal(*manager_, *config_, settings_);
    dispatchReported(timeService_.get(), timeService_->terminalNumber(), CommandId::PcClockFromTimeService, option);
}

CMDARG_C Session::dispatchReported(Vorn* terminal, int terminalNumber, CommandId id, const zString& option) {
    const ReportClock::time_point started = ReportClock::now();
    CMDARG_C finished;
    dispatch(*context_, terminal, id, frontEnd_.commands(), &finished);
    noteReport(terminal, terminalNumber, id, option, finished, started, ReportClock::now());
    return finished;
}

void Session::noteReport(Vorn* terminal, int terminalNumber, CommandId id, const zString& option,
                         const CMDARG_C& finished, ReportClock::time_point started, ReportClock::time_point ended) {
    TerminalReport& entry = report_.terminalEntry(terminal, terminalNumber,
                                                  terminal ? terminal->description() : zString(),
                                                  configuredLink(terminal));
    const DISPATCHER_C* command = findCommand(id, frontEnd_.commands());
    CommandReport reported;
    reported.option = option;
    reported.name = command ? command->name : "";
    reported.download = isDownloadCommand(id);
    reported.started = started;
    reported.finished = ended;
    reported.code = state_.errorCode;
    reported.count = finished.count;
    reported.leftOnTerminal = finished.leftOnTerminal;
    entry.commands.push_back(std::move(reported));
}

zString Session::configuredLink(const Vorn* terminal) const {
    if (!terminal) return {};
    zString section = sectionHeader(terminal->name());
    zString value;
    if (config_ && config_->getValue(section.c_str(), "PORT", value)) return value;
    // A routed terminal has no port of its own: its router is its link.
    for (const char* key : {"ROUTER_NODE", "ROUTER"})
        if (config_ && config_->getValue(section.c_str(), key, value)) return zString::format("%s=%s", key, value.c_str());
    return terminal->getLink() ? terminal->getLink()->name() : zString();
}

void Session::writeResultFile(CommandId decidingCommand) {
    if (!state_.commandLineMode) return;
    if (state_.errorCode != RunError::None || decidingCommand != CommandId::Version)
        writeRunResult(state_, resultLine(state_.errorCode, state_.count));
    if (!state_.resultFileFailed) return;
    // A version line of an earlier terminal would read as this run's
    // result: the caller gets none.
    removeResultFile(state_.dataDirectory);
    reportResultFileFailure(state_.dataDirectory);
}

bool Session::beginRun(const zString& commandLine) {
    report_.begin(commandLine);
    const zString directory = currentDirectory();
    if (!removeResultFile(directory)) {
        reportResultFileFailure(directory);
        return false;
    }
    if (!removeReportFile(directory)) {
        reportResultFileFailure(directory, kReportFileName);
        return false;
    }
    return true;
}

int Session::writeRunReport(int exitCode) {
    if (!state_.commandLineMode || state_.resultFileFailed) return exitCode;
    const char* strict = std::getenv(kStrictExitVariable);
    if (exitCode == 0 && strict && std::strcmp(strict, "1") == 0 && report_.failedTerminals() > 0)
        exitCode = kStrictFailedExit;
    RunSummary summary{readResultLine(state_.dataDirectory), exitCode, ReportClock::now()};
    if (writeReportFile(state_.dataDirectory, report_.json(state_, summary))) return exitCode;
    // The caller must not take the result file alone for the whole run.
    state_.resultFileFailed = true;
    removeResultFile(state_.dataDirectory);
    reportResultFileFailure(state_.dataDirectory, kReportFileName);
    return exitCode;
}


void Session::reportResultFileFailure(const zString& directory, const char* fileName) {
    frontEnd_.showMessage(state_.programName.c_str(),
                          zString::format("%s: %s/%s", runErrorMessage(RunError::FileWrite), directory.c_str(),
                                          fileName).c_str());
}

void Session::logFatal(RunError error) {
    if (error == RunError::InvalidParameter || error == RunError::BadTerminalNumber) log_->log("Errore fatale - Impossibile continuare!");
}

int Session::finish(const RunPlan& plan, int exitCode) {
    const RunRules& rules = plan.rules;
    // A command line without any command is a fatal stop, which still
    // leaves its result.
    if (!plan.anyCommand || plan.hasTerminalCommands() || rules.resultWithoutTerminalCommands) {
        const bool byFirst = rules.resultDecider == RunRules::ResultDecider::FirstTerminalCommand;
        writeResultFile(byFirst ? plan.firstTerminalCommand : state_.lastCommandId);
        exitCode = writeRunReport(exitCode);
    }
    if (rules.closingLine && plan.hasTerminalCommands())
        log_->log(zLogger::Header, "Fine sessione: \"%s\"", plan.commandLine.c_str());
    if (rules.exitCodeTellsResultFailure && state_.resultFileFailed) return kResultFileFailedExit;
    return exitCode;
}

int Session::runInConsole(const zString& commandLine) {
    RunPlan plan = this->plan(commandLine, kConsoleRules);
    int exitCode = 0;
    if (!plan.anyCommand) {
        logFatal(RunError::InvalidParameter);
        exitCode = code(RunError::InvalidParameter);
    }
    if (plan.help) frontEnd_.showHelp(state_);
    runSteps(plan);
    exitCode = finish(plan, exitCode);
    release();
    return exitCode;
}
