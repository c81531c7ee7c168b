#pragma once
// The command table: one row per command, carrying everything about it: the
// name the log shows, the telegram a plain device command sends, the
// handler, the option and how the command line spells it, the configured
// file a glued name replaces, its help line and its menu item. The parser,
// the help text and the window's menu are built from it.
#include "RunContext.h"

#include <span>

// A handler hands everything back in its job: error, count, records left,
// the result line of -v.
using CommandHandler = void (*)(CMDARG_C&);

// How the command line spells an option, after its '-' or '/'.
enum class OptionForm : int {
    None,    // no option: reached from the window only
    Letter,  // the option's letters, any case, then anything (a glued file name or nothing)
    Pair,    // two letters both lower or both upper case, then anything
    Exact,   // the option's letters, any case, and nothing after them
    Word,    // the whole word, any case
};

// The configured file a name glued to the option replaces for the run.
enum class FileOverride : int { None, Punches, Employees, Causes, Alarms, Fingerprints };

// The help text's groups, in the order it shows them.
enum class HelpGroup : int {
    None,  // not in the help
    Downloads,
    Recovery,
    Employees,
    CardFormat,
    Clock,
    Terminal,
    Causes,
    Alarms,
    PcClock,
};

struct DISPATCHER_C {
    CommandId id;
    const char* name;        // "Invio Cmd. %s" and the run report
    const char* telegram;    // what a plain device command sends; nullptr: the handler builds its own
    CommandHandler handler;  // nullptr: not available in this build
    bool windowOnly;         // the console build lacks the handler
    const char* option;      // "-pg" as help and menu spell it; nullptr: none
    OptionForm form;
    FileOverride file;
    HelpGroup helpGroup;
    const char* help;        // the help line's description
    // The menu item's text; a tab in it is followed by the option in
    // brackets. nullptr: not in the menu.
    const char* menu;
};

// The 44 rows in the help's order; search is linear, first match wins.
// The console's table has no fingerprint handlers; the window's has them.
std::span<const DISPATCHER_C> commandTable();
std::span<const DISPATCHER_C> windowCommandTable();

// The first entry with the id, or nullptr.
const DISPATCHER_C* findCommand(CommandId id, std::span<const DISPATCHER_C> table = commandTable());

// The heading of a help group ("Scarico Timbrature:").
const char* helpGroupHeading(HelpGroup group);
// The menu item's text: its label, and after a tab the option in brackets.
zString menuText(const DISPATCHER_C& command);

// Runs one command on one terminal and folds its outcome into the run state.
// finished, when given, receives the job as the command left it.
bool dispatch(RunContext& run, Vorn* terminal, CommandId id, std::span<const DISPATCHER_C> table = commandTable(),
              CMDARG_C* finished = nullptr);
