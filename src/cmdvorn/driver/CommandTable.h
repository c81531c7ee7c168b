#pragma once
// The command table: each command id bound to its name (written in the log
// and, for many commands, the telegram text) and to the handler that runs it.
#include "RunContext.h"

#include <span>

// A handler hands everything back in its job: error, count, records left,
// the result line of -v.
using CommandHandler = void (*)(CMDARG_C&);

struct DISPATCHER_C {
    CommandId id;
    const char* name;
    CommandHandler handler;  // nullptr: not available in this build
};

// The 44 entries in their fixed order; search is linear, first match wins.
// The console's table has no fingerprint handlers; the window's has them.
std::span<const DISPATCHER_C> commandTable();
std::span<const DISPATCHER_C> windowCommandTable();

// The first entry with the id, or nullptr.
const DISPATCHER_C* findCommand(CommandId id, std::span<const DISPATCHER_C> table = commandTable());

// The command's name; logs "Fatal Error! Func. %d not defined" and returns
// nullptr when there is none.
const char* commandName(CommandId id, zLogger& log);

// Runs one command on one terminal and folds its outcome into the run state.
// finished, when given, receives the job as the command left it.
bool dispatch(RunContext& run, Vorn* terminal, CommandId id, std::span<const DISPATCHER_C> table = commandTable(),
              CMDARG_C* finished = nullptr);
