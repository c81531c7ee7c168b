#include "HelpText.h"

#include "CommandTable.h"
#include "Platform.h"

#include <cstring>
#include <iterator>

namespace {

// The lines before the commands, which the table does not hold.
constexpr const char* kPreamble[] = {
    " (W)cmdvorn [-nN] -Comando",
    " \t-nN\tN indica il numero del terminale. Parametro opzionale:",
    " \t\tse omesso o 0 esegue il comando per tutti i rilevatori",
    " \t\tdefiniti nel file di configurazione CMDVORN.PRM",
    " Elenco comandi per categoria:",
    " Help:",
    " \t-h\tVisualizza la versione e help.",
};

std::vector<std::string> buildHelp() {
    std::vector<std::string> lines(std::begin(kPreamble), std::end(kPreamble));
    HelpGroup group = HelpGroup::None;
    for (const DISPATCHER_C& row : commandTable()) {
        if (row.helpGroup == HelpGroup::None) continue;
        if (row.helpGroup != group) {
            group = row.helpGroup;
            lines.push_back(std::string(" ") + helpGroupHeading(group));
        }
        lines.push_back(std::string(" \t") + row.option + "\t" + row.help);
    }
    return lines;
}

}  // namespace

const std::vector<std::string>& helpLines() {
    static const std::vector<std::string> lines = buildHelp();
    return lines;
}

void printHelp(std::FILE* out, const RunState& state) {
    std::fprintf(out, "%s\n%s\n%s\n", state.programName.c_str(), state.version.c_str(), state.platform.c_str());
    for (const std::string& line : helpLines()) std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
}

bool answerStandardWord(const char* programName, int argc, char** argv) {
    if (argc != 2) return false;
    if (std::strcmp(argv[1], "--help") == 0) {
        RunState state;
        state.programName = programName;
        state.version = programVersion();
        state.platform = platformDescription();
        printHelp(stdout, state);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", programName, programVersion().c_str());
        std::fflush(stdout);
        return true;
    }
    return false;
}
