#include "DeviceCommands.h"

namespace vornsim {

namespace {
constexpr int kVornL = 4;
}

std::optional<Answer> answerDeviceCommand(Terminal& t, const Request& r) {
    const std::string& text = r.text;
    if (text == "@@") return Answer{};
    if (text != "@B" && text != "GL,BT" && text != "GL,OF" && text != "GL,UP") return std::nullopt;
    if (t.model != kVornL) return Answer{Answer::Warning, std::nullopt, "unknown command"};
    if (text == "@B") {
        t.punches.clear();
        t.recoverable.clear();
        t.jobs.clear();
        t.extended.clear();
        t.employees.clear();
        t.employeeCursor = t.infoCursor = 0;
    }
    return Answer{};
}

}  // namespace vornsim
