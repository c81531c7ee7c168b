#pragma once
// The command line: an optional list of terminal numbers (-nN) and a list of
// options, each naming one command, as the command table spells them. File
// names glued to some options replace the configured files for the run.
#include "CommandTable.h"
#include "RunContext.h"
#include "RunSettings.h"

#include <vector>

struct ParsedCommandLine {
    std::vector<zString> terminals;  // the texts after -n, in command-line order
    std::vector<CommandId> commands; // command ids, in command-line order, duplicates kept
    std::vector<zString> options;    // each command's option as typed, beside its id
};

class CommandLineParser {
public:
    CommandLineParser(zLogger& log, RunState& state, RunSettings& settings)
        : log_(log), state_(state), settings_(settings) {}

    // Fills `out`; true when at least one command was recognised. Unknown
    // options are logged, skipped, and leave InvalidParameter as the run's code.
    bool parse(const zString& commandLine, ParsedCommandLine& out);

    // The command id of one option token, or Unknown (after logging and
    // recording InvalidParameter when the token does not start with '-' or '/').
    CommandId parseOption(const zString& token);

private:
    // A name glued after the option's letters replaces the configured file.
    void overrideFile(FileOverride file, const zString& token, int nameStart);

    zLogger& log_;
    RunState& state_;
    RunSettings& settings_;
};
