#pragma once
// "RIDUVA.json": the run's report beside the result file. The result file
// tells only the last command's outcome; the report keeps every command on
// every terminal, so a terminal that failed early in a night still shows
// when the last one succeeded.
#include "CommandId.h"
#include "RunError.h"
#include "zString.h"

#include <chrono>
#include <string>
#include <vector>

struct RunState;

using ReportClock = std::chrono::system_clock;

struct CommandReport {
    zString option;  // as typed on the command line
    zString name;    // the command table's name
    RunError code = RunError::None;
    int count = 0;
    bool download = false;   // only downloads report what they left behind
    int leftOnTerminal = 0;  // records that could not be saved and stayed on the terminal
    ReportClock::time_point started;
    ReportClock::time_point finished;
};

struct TerminalReport {
    int number = 0;  // TERM_NR, or the number asked for when no terminal has it
    zString description;
    zString link;    // the port as the parameter file gives it
    std::vector<CommandReport> commands;

    bool failed() const;
};

// The run's facts the report shows besides its commands.
struct RunSummary {
    zString result;  // the result file's line without its line end
    int exitCode = 0;
    ReportClock::time_point finished;
};

class RunReport {
public:
    // A new run: the commands of an earlier one are forgotten.
    void begin(const zString& commandLine, ReportClock::time_point started = ReportClock::now());

    // The entry the terminal's next command goes to: the last one while the
    // same terminal goes on, a new one when the run moves to another.
    // terminal identifies it (nullptr for an unknown number).
    TerminalReport& terminalEntry(const void* terminal, int number, const zString& description, const zString& link);

    const std::vector<TerminalReport>& terminals() const { return terminals_; }
    // How many terminals had at least one failed command.
    int failedTerminals() const;

    std::string json(const RunState& state, const RunSummary& summary) const;

private:
    zString commandLine_;
    ReportClock::time_point started_ = ReportClock::now();
    std::vector<TerminalReport> terminals_;
    const void* lastTerminal_ = nullptr;
    int lastNumber_ = 0;
};

// Whether the command downloads records from the terminal.
bool isDownloadCommand(CommandId id);

// ISO 8601 local time with milliseconds and the offset from UTC,
// "2026-03-01T02:30:00.125+01:00".
std::string isoTime(ReportClock::time_point t);

// The error text a report shows for a code: its message without trailing
// blanks, "Errore %d" for a code without one, empty for success.
zString reportMessage(RunError code);
