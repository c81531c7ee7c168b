#include "CommandString.h"

#include <algorithm>
#include <cctype>

namespace qzcom {

constexpr int kMostCommas = 2;

std::optional<CommandString> splitCommand(char* text) {
    std::string fields[kMostCommas + 1];
    int commas = 0;
    for (char* p = text; *p; ++p) {
        if (*p != ',') {
            if (commas <= kMostCommas) fields[commas] += *p;
            continue;
        }
        *p = '\0';
        ++commas;
    }
    if (commas > kMostCommas) return std::nullopt;
    CommandString command{fields[0], fields[1]};
    std::transform(command.word.begin(), command.word.end(), command.word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return command;
}

}  // namespace qzcom
