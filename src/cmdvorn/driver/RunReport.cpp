#include "RunReport.h"

#include "RunContext.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

bool isUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int follow = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (follow < 0 || i + static_cast<std::size_t>(follow) >= text.size()) return false;
        for (int k = 1; k <= follow; ++k)
            if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) >> 6) != 0x2) return false;
        i += static_cast<std::size_t>(follow) + 1;
    }
    return true;
}

// Parameter files and terminals speak 8-bit text; JSON is UTF-8. Text that
// is not already UTF-8 is taken as Latin-1.
std::string utf8(const zString& value) {
    std::string text(value.c_str());
    if (isUtf8(text)) return text;
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

nlohmann::ordered_json commandJson(const CommandReport& command) {
    nlohmann::ordered_json entry = {
        {"option", utf8(command.option)},
        {"name", utf8(command.name)},
        {"code", code(command.code)},
        {"message", utf8(reportMessage(command.code))},
        {"count", command.count},
        {"started", isoTime(command.started)},
        {"finished", isoTime(command.finished)},
    };
    if (command.download) entry["left_on_terminal"] = command.leftOnTerminal;
    return entry;
}

}  // namespace

bool TerminalReport::failed() const {
    for (const CommandReport& command : commands)
        if (command.code != RunError::None) return true;
    return false;
}

void RunReport::begin(const zString& commandLine, ReportClock::time_point started) {
    commandLine_ = commandLine;
    started_ = started;
    terminals_.clear();
    lastTerminal_ = nullptr;
    lastNumber_ = 0;
}

TerminalReport& RunReport::terminalEntry(const void* terminal, int number, const zString& description,
                                         const zString& link) {
    if (terminals_.empty() || terminal != lastTerminal_ || number != lastNumber_) {
        terminals_.push_back({number, description, link, {}});
        lastTerminal_ = terminal;
        lastNumber_ = number;
    }
    return terminals_.back();
}

int RunReport::failedTerminals() const {
    int failed = 0;
    for (const TerminalReport& terminal : terminals_)
        if (terminal.failed()) ++failed;
    return failed;
}

std::string RunReport::json(const RunState& state, const RunSummary& summary) const {
    zString commandLine = commandLine_;
    commandLine.trim();
    nlohmann::ordered_json terminals = nlohmann::ordered_json::array();
    for (const TerminalReport& terminal : terminals_) {
        nlohmann::ordered_json commands = nlohmann::ordered_json::array();
        for (const CommandReport& command : terminal.commands) commands.push_back(commandJson(command));
        terminals.push_back({
            {"number", terminal.number},
            {"description", utf8(terminal.description)},
            {"link", utf8(terminal.link)},
            {"commands", std::move(commands)},
        });
    }
    nlohmann::ordered_json report = {
        {"program", utf8(state.programName)},
        {"version", utf8(state.version)},
        {"command_line", utf8(commandLine)},
        {"started", isoTime(started_)},
        {"finished", isoTime(summary.finished)},
        {"result", utf8(summary.result)},
        {"exit_code", summary.exitCode},
        {"terminals", std::move(terminals)},
        {"failed", failedTerminals()},
    };
    return report.dump(2) + "\n";
}

bool isDownloadCommand(CommandId id) {
    switch (id) {
    case CommandId::DownloadAndClear:
    case CommandId::DownloadAndKeep:
    case CommandId::DownloadJobs:
    case CommandId::RecoverPunches:
        return true;
    default:
        return false;
    }
}

std::string isoTime(ReportClock::time_point t) {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(t.time_since_epoch());
    const std::time_t seconds = static_cast<std::time_t>(floor<std::chrono::seconds>(sinceEpoch).count());
    const int millis = static_cast<int>(sinceEpoch.count() - static_cast<long long>(seconds) * 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    const long offset = local.tm_gmtoff / 60;
    const long hours = std::labs(offset) / 60;
    const long minutes = std::labs(offset) % 60;
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, millis,
                  offset < 0 ? '-' : '+', hours, minutes);
    return text;
}

zString reportMessage(RunError error) {
    if (error == RunError::None) return {};
    const char* text = runErrorMessage(error);
    if (!text) return zString::format("Errore %d", code(error));
    zString message(text);
    message.trimRight();
    return message;
}
