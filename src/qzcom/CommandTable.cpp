#include "CommandTable.h"

#include "Operations.h"

#include <array>
#include <utility>

namespace qzcom {
namespace {

constexpr std::pair<std::string_view, Operation> kCommands[] = {
    {"OPENCOM", openCom},
    {"COMCLOSE", comClose},
    {"INITMODEM", initModem},
    {"STOPMODEM", stopModem},
    {"GETMODEMSTATUS", modemStatus},
    {"TEST", testCommand},
    {"VER", version},
};

}  // namespace

Operation findOperation(std::string_view word) {
    for (const auto& [name, operation] : kCommands)
        if (name == word) return operation;
    return nullptr;
}

}  // namespace qzcom
