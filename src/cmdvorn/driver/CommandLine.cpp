#include "CommandLine.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

std::vector<zString> splitTokens(const zString& text) {
    std::vector<zString> tokens;
    zString token;
    for (int i = 0; i < text.length(); ++i) {
        char c = text[i];
        if (c == ' ' || c == '\t') {
            if (!token.isEmpty()) tokens.push_back(token);
            token = zString();
        } else {
            token += c;
        }
    }
    if (!token.isEmpty()) tokens.push_back(token);
    return tokens;
}

bool isOptionStart(char c) { return c == '-' || c == '/'; }

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// The letters after the option start that equal `letters`, any case.
bool startsWith(const zString& token, const char* letters) {
    for (int i = 0; letters[i]; ++i)
        if (lower(token[i + 1]) != lower(letters[i])) return false;
    return true;
}

bool sameCase(char a, char b) {
    auto isLower = [](char c) { return std::islower(static_cast<unsigned char>(c)) != 0; };
    auto isUpper = [](char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; };
    return (isLower(a) && isLower(b)) || (isUpper(a) && isUpper(b));
}

// Whether a token of this row's family spells its option. `letters` is the
// option without its '-'.
bool spells(const DISPATCHER_C& row, const zString& token) {
    const char* letters = row.option + 1;
    const int length = static_cast<int>(std::strlen(letters));
    switch (row.form) {
    case OptionForm::Letter: return startsWith(token, letters);
    case OptionForm::Pair: return token.length() >= 3 && sameCase(token[1], token[2]) && startsWith(token, letters);
    case OptionForm::Exact: return token.length() == length + 1 && startsWith(token, letters);
    case OptionForm::Word: return token.mid(1).equalsNoCase(letters);
    case OptionForm::None: return false;
    }
    return false;
}

// Letters that begin options of their own (every form but the pairs) take
// their tokens from the pairs: "-d..." is the clock, never a pair.
bool opensOwnFamily(char letter) {
    char c = lower(letter);
    if (c == 'h' || c == '?' || c == 'c' || c == 'm' || c == 'n') return true;
    for (const DISPATCHER_C& row : commandTable())
        if (row.option && row.form != OptionForm::Pair && row.form != OptionForm::None && lower(row.option[1]) == c)
            return true;
    return false;
}

}  // namespace

bool CommandLineParser::parse(const zString& commandLine, ParsedCommandLine& out) {
    std::vector<zString> tokens = splitTokens(commandLine);
    std::size_t first = 0;
    if (!tokens.empty() && tokens[0] == "$CMD") first = 1;

    for (std::size_t i = first; i < tokens.size(); ++i) {
        const zString& token = tokens[i];
        if (!isOptionStart(token[0])) continue;
        // The terminal selection is taken here, so parseOption never sees it.
        if (token.length() >= 2 && (token[1] == 'n' || token[1] == 'N')) {
            zString number = token.mid(2);
            if (!number.isEmpty() && std::atol(number.c_str()) > 0) out.terminals.push_back(number);
            continue;
        }
        CommandId id = parseOption(token);
        if (id == CommandId::Unknown) {
            state_.errorCode = RunError::InvalidParameter;
            log_.log("Comando Sconosciutto -%s", token.c_str());
            continue;
        }
        out.commands.push_back(id);
        out.options.push_back(token);
    }
    return !out.commands.empty();
}

CommandId CommandLineParser::parseOption(const zString& token) {
    if (!isOptionStart(token[0])) {
        log_.log("Invalid Command line parameter %s", token.c_str());
        state_.errorCode = RunError::InvalidParameter;
        return CommandId::Unknown;
    }
    const char letter = lower(token[1]);
    if (letter == 'h' || letter == '?') return CommandId::Help;
    if (letter == 'n') return CommandId::None;
    const bool family = opensOwnFamily(letter);
    for (const DISPATCHER_C& row : commandTable()) {
        if (!row.option || (row.form == OptionForm::Pair) == family || !spells(row, token)) continue;
        overrideFile(row.file, token, static_cast<int>(std::strlen(row.option)));
        return row.id;
    }
    return CommandId::Unknown;
}

void CommandLineParser::overrideFile(FileOverride file, const zString& token, int nameStart) {
    FileSetting* setting = nullptr;
    switch (file) {
    case FileOverride::None: return;
    case FileOverride::Punches: setting = &settings_.punches; break;
    case FileOverride::Employees: setting = &settings_.employees; break;
    case FileOverride::Causes: setting = &settings_.causes; break;
    case FileOverride::Alarms: setting = &settings_.alarms; break;
    case FileOverride::Fingerprints: setting = &settings_.fingerprints; break;
    }
    zString name = token.mid(nameStart);
    if (!name.isEmpty()) setting->fileName = name;
}
