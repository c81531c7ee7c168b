#include "LineTerminal.h"

#include "TerminalTime.h"

#include <cstdio>
#include <map>

namespace vornsim {
namespace {

constexpr int kVorntTwo = 6;
constexpr int kCauseModel = 7;  // VORNT3
const std::map<int, std::string> kDefaultParameters = {{7, "4"}, {8, "11"}, {23, "0"}, {31, "1"}};
const std::string kEnd(1, '\x04');

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

int parameterValue(const Terminal& t, int number) {
    try {
        return std::stoi(lineParameter(t, number));
    } catch (const std::exception&) {
        return 0;
    }
}

std::string badgeCode(const Transaction& p) {
    char code[32];
    std::snprintf(code, sizeof code, "0000%02u000%06u", p.company % 100u, p.employee % 1000000u);
    return code;
}

}  // namespace

bool isLineModel(int model) { return model == kVorntTwo || model == kCauseModel; }

std::string lineParameter(const Terminal& t, int number) {
    if (auto it = t.lineParameters.find(number); it != t.lineParameters.end()) return it->second;
    if (auto it = kDefaultParameters.find(number); it != kDefaultParameters.end()) return it->second;
    return "0";
}

std::string lineFileName(const Transaction& punch) {
    CalendarTime c = fromTerminalTime(punch.time);
    char name[16];
    std::snprintf(name, sizeof name, "%02d%02d.PRE", c.month % 100, c.day % 100);
    return name;
}

std::string punchLine(const Terminal& t, const Transaction& p) {
    CalendarTime c = fromTerminalTime(p.time);
    char head[8];
    std::snprintf(head, sizeof head, "%02d%02d", c.hour % 100, c.minute % 100);
    std::string line = head;
    const char direction = (p.flags & 0x04) ? '1' : '0';
    const int causeMode = t.model == kCauseModel ? parameterValue(t, 23) : 0;
    if (causeMode == 1) {
        line += static_cast<char>('0' + p.cause % 10);
    } else {
        line += direction;
        if (causeMode == 2) line += static_cast<char>('0' + p.cause % 10);
        if (causeMode >= 3) {
            char cause[4];
            std::snprintf(cause, sizeof cause, "%02u", p.cause % 100u);
            line += cause;
        }
    }
    std::string badge = badgeCode(p);
    std::size_t start = static_cast<std::size_t>(std::max(0, parameterValue(t, 7)));
    std::size_t length = static_cast<std::size_t>(std::max(0, parameterValue(t, 8)));
    if (start < badge.size()) line += badge.substr(start, length);
    return line;
}

std::vector<std::string> answerLineCommand(Terminal& t, const std::string& text) {
    if (text == "@DIR") {
        std::map<std::string, int> files;
        std::vector<std::string> order;
        for (const auto& p : t.punches) {
            std::string name = lineFileName(p);
            if (files[name]++ == 0) order.push_back(name);
        }
        std::vector<std::string> lines = {"DIR"};
        for (const auto& name : order) lines.push_back(name + " " + std::to_string(files[name]));
        lines.push_back(kEnd);
        return lines;
    }
    if (startsWith(text, "@TYPE ")) {
        std::string name = text.substr(6);
        std::vector<std::string> lines = {text};
        for (const auto& p : t.punches)
            if (lineFileName(p) == name) lines.push_back(punchLine(t, p));
        lines.push_back(kEnd);
        return lines;
    }
    if (text == "%%3") {
        t.punches.clear();
        return {};
    }
    if (startsWith(text, "@CFG ")) {
        try {
            return {text + " " + lineParameter(t, std::stoi(text.substr(5)))};
        } catch (const std::exception&) {
            return {};
        }
    }
    if (text == "%XI") return {t.lineVersion.empty() ? std::string(modelName(t.model)) + " SIM 1.0" : t.lineVersion};
    return {};
}

}  // namespace vornsim
