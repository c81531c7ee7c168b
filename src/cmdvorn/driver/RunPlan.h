#pragma once
// A command line made into the steps of one run, built once and run by
// either front end: the console loops over the steps, the window takes one
// step per posted message. Where the front ends differ, the difference is a
// named rule of the plan, chosen by the front end.
#include "CommandId.h"
#include "zString.h"

#include <vector>

class Vorn;

// What each front end does its own way.
struct RunRules {
    // The time-service synchronisation runs once: before the terminal
    // commands, or queued after them.
    enum class TimeService { BeforeTerminalCommands, AfterTerminalCommands };
    // The command whose kind decides the result file's form at the end (a
    // version line stays only when it is -v).
    enum class ResultDecider { FirstTerminalCommand, LastCommandRun };

    TimeService timeService;
    ResultDecider resultDecider;
    // A run of special commands only (-h, -sync) still leaves a result file.
    bool resultWithoutTerminalCommands;
    // "Fine sessione: ..." closes a run of terminal commands.
    bool closingLine;
    // A result file that could not be written ends the process with its own code.
    bool exitCodeTellsResultFailure;
};

inline constexpr RunRules kConsoleRules{RunRules::TimeService::BeforeTerminalCommands,
                                        RunRules::ResultDecider::FirstTerminalCommand, false, true, true};
inline constexpr RunRules kWindowRules{RunRules::TimeService::AfterTerminalCommands,
                                       RunRules::ResultDecider::LastCommandRun, true, false, false};

enum class StepKind : int {
    SessionStart,     // "Inizio sessione: ..."
    TerminalCommand,  // one command on one terminal
    TimeServiceSync,  // -sync on the time-service terminal
};

struct BatchJob {
    int message = 0;    // the window message that carries the job
    CommandId commandId = CommandId::None;
    Vorn* terminal = nullptr;  // not owned; nullptr when the number is unknown
    zString option;            // the command's option as typed, for the report
    int terminalNumber = 0;    // the number asked for, kept when no terminal has it
    StepKind step = StepKind::TerminalCommand;
};

struct RunPlan {
    RunRules rules = kConsoleRules;
    zString commandLine{};
    bool anyCommand = false;  // false: nothing recognised, a fatal stop follows
    bool help = false;        // -h: the help is shown before the first step
    std::vector<BatchJob> steps{};
    CommandId firstTerminalCommand = CommandId::None;

    bool hasTerminalCommands() const { return firstTerminalCommand != CommandId::None; }
};

struct ParsedCommandLine;
class VornMgr;

// The plan of a parsed command line: help and the time-service
// synchronisation taken out, each terminal given (or every configured
// terminal, in file order) with every command in command-line order.
RunPlan makeRunPlan(const zString& commandLine, const ParsedCommandLine& parsed, VornMgr& manager,
                    const RunRules& rules);
