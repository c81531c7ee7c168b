#pragma once
// The host's command string: "WORD[,PARAMETER[,THIRD]]". Splitting replaces
// each comma of the host's buffer by a zero byte, as hosts know it does.
#include <optional>
#include <string>

namespace qzcom {

struct CommandString {
    std::string word;       // upper case
    std::string parameter;  // case kept
};

// Nothing when the text has three commas or more.
std::optional<CommandString> splitCommand(char* text);

}  // namespace qzcom
