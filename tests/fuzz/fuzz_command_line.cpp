// Feeds arbitrary command lines to the parser.
#include "CommandLine.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static zLogger log("/dev/null");
    RunState state;
    RunSettings settings;
    CommandLineParser parser(log, state, settings);
    ParsedCommandLine parsed;
    parser.parse(zString(reinterpret_cast<const char*>(data), static_cast<int>(size)), parsed);
    for (std::size_t i = 0; i < parsed.commands.size(); ++i)
        if (parsed.commands[i] == CommandId::Unknown) __builtin_trap();
    return 0;
}
