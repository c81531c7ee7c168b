#pragma once
// A run whose terminals on different links work at the same time
// ([Global] PARALLEL_LINKS=1), with the same result as one terminal after
// another. A link is one port: a serial device (or every port on its
// interrupt line), one TCP endpoint, one modem, or the concentrator. The
// terminals of one link keep their order on one thread; at most
// MAX_PARALLEL_LINKS links run at once.
//
// Nothing of a terminal's outcome reaches the run before the outcomes of
// every terminal before it in the plan: the calling thread takes them in
// plan order, appends the terminal's spooled records to the output files
// (OutputSpool), shows its information lines, and hands the outcome on. So
// the output files, the result file and the report come out as a
// sequential run leaves them.
//
// What each link's thread has of its own: the run state (error code,
// count), the record writer's files (spools), the information lines (held
// until the terminal's turn), the interrupt dialog (a LinkDialog). What the
// threads share and is thread-safe: the log (one whole line at a time), the
// parameter file's keys and run settings (only read while the threads
// run), the terminal manager (only looked up; each terminal and link is
// used by its link's thread alone). The result accumulator, the report and
// the front end's dialogs stay with the calling thread.
#include "CommandTable.h"
#include "RunPlan.h"
#include "RunReport.h"

#include <exception>
#include <functional>
#include <span>

class RunContext;

class ParallelRun {
public:
    // One terminal command as its link's thread left it.
    struct Finished {
        CMDARG_C job;  // count, records left, result line; its run is gone
        RunError code = RunError::None;
        ReportClock::time_point started{};
        ReportClock::time_point ended{};
    };
    using RunHere = std::function<void(const BatchJob& step)>;
    using Note = std::function<void(const BatchJob& step, const Finished& finished)>;

    // Whether the plan runs so: PARALLEL_LINKS set, at least two links, and
    // every command one whose only traces on the PC are the record files,
    // the log, information lines and the result. Says why not in the log
    // when PARALLEL_LINKS is set.
    static bool suits(const RunPlan& plan, RunContext& run);

    ParallelRun(RunContext& run, std::span<const DISPATCHER_C> commands);

    // Runs the plan. The steps that are no terminal's (and the commands for
    // an unknown terminal) go to `runHere` at their turn; each terminal
    // command's outcome goes to `note` in plan order; both on this thread.
    // A command whose thread ended in an exception raises it at its turn.
    void run(const RunPlan& plan, const RunHere& runHere, const Note& note);

private:
    RunContext& run_;
    std::span<const DISPATCHER_C> commands_;
};
