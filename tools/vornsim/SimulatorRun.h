#pragma once
// What a run of either family does once its command line is read: tell a
// failure on standard error, open the wire log, and serve until stopped.
#include "ChannelLoop.h"
#include "WireLog.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace vornsim {

// Prints "vornsim: <message>" on standard error; returns `exitCode`.
int runFailure(int exitCode, const std::string& message);
// Reads the command line with `parse`. Nothing when the run goes on; else
// its exit code, once the refusal or the usage (--help) is printed.
template <class Options, class Parse>
std::optional<int> readCommandLine(const std::vector<std::string>& args, Options& options, Parse parse,
                                   const char* usage) {
    std::string error;
    if (!parse(args, options, error)) return runFailure(2, error);
    if (!options.help) return std::nullopt;
    std::fputs(usage, stdout);
    return 0;
}
// Opens the wire log at `path`, if one is given.
bool openWireLog(WireLog& log, const std::string& path);
// Starts the server, prints its endpoint lines and serves until a stop
// signal: 0, or 1 when an endpoint cannot be opened.
int serveUntilStopped(ChannelLoop& server);

}  // namespace vornsim
