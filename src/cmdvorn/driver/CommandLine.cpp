#include "CommandLine.h"

#include <cctype>
#include <cstdlib>

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

struct PairOption {
    const char* pair;
    CommandId id;
};

constexpr PairOption kPairs[] = {
    {"ea", CommandId::ReceiveEmployees},  {"ad", CommandId::DeleteAlarms}, {"ed", CommandId::UploadPersonalData},  {"gd", CommandId::DeleteCauses}, {"yd", CommandId::ReadClock}, {"uf", CommandId::UpgradeFirmware}, {"ag", CommandId::ReceiveAlarms},
    {"fg", CommandId::ReceiveCardFormat}, {"yr", CommandId::CountPunches}, {"gg", CommandId::ReceiveCauses}, {"lg", CommandId::ReadDaylight}, {"pg", CommandId::ReceiveParameters}, {"ei", CommandId::EmployeeInformation},  {"gl", CommandId::LatestTransactions},
    {"gs", CommandId::SendCauses}, {"as", CommandId::SendAlarms}, {"br", CommandId::ChargeBatteries}, {"ls", CommandId::SendDaylight}, {"ps", CommandId::SendParameters}, {"ot", CommandId::SwitchOff}, {"yt", CommandId::CountEmployees},
    {"yz", CommandId::CountRecoverable}, {"fs", CommandId::SendCardFormat}, {"fr", CommandId::TestCardRead}, {"es", CommandId::UploadAllEmployees},
};

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
    char letter = token[1];
    switch (letter) {
        case '?': case 'H': case 'h': case '@': case 'C': case 'c': case 'M': case 'm':
        case 'D': case 'd': case 'I': case 'i': case 'J': case 'j': case 'K': case 'k':
        case 'N': case 'n': case 'R': case 'r': case 'S': case 's': case 'T': case 't':
        case 'V': case 'v': case 'X': case 'x': case 'Z': case 'z':
            return oneLetterOption(token, lower(letter));
        default:
            return twoLetterOption(token);
    }
}

CommandId CommandLineParser::oneLetterOption(const zString& token, char letter) {
    char next = lower(token[2]);  // '\0' when nothing follows the letter
    switch (letter) {
        case '?':
        case 'h':
            return CommandId::Help;
        case '@':
            if (token.length() == 2) return CommandId::Reset;
            if (next == 'f') return CommandId::FactoryReset;
            if (next == 'z') return CommandId::DeleteRecoverable;
            return CommandId::Unknown;
        case 'c':
        case 'm':
            return CommandId::Unknown;
        case 'd':
            return CommandId::SetClock;
        case 'i':
            if (token.length() == 2) return CommandId::WriteEeprom;
            switch (next) {
                case 'n': return CommandId::CountFingerprints;
                case 's': overrideFile(settings_.fingerprints, token, 3); return CommandId::SendFingerprints;
                case 'r': overrideFile(settings_.fingerprints, token, 3); return CommandId::ReceiveFingerprints;
                case 'd': return CommandId::DeleteFingerprints;
                default: return CommandId::Unknown;
            }
        case 'j':
            overrideFile(settings_.punches, token, 2);
            return CommandId::DownloadJobs;
        case 'k':
            return CommandId::DeleteEmployees;
        case 'n':
            return CommandId::None;
        case 'r':
            overrideFile(settings_.punches, token, 2);
            return CommandId::DownloadAndClear;
        case 's': {
            zString word = token.mid(1);
            if (word.equalsNoCase("sync")) return CommandId::PcClockFromTimeService;
            if (word.equalsNoCase("syncg")) return CommandId::PcClockFromTerminal;
            return CommandId::Unknown;
        }
        case 't':
            overrideFile(settings_.employees, token, 2);
            return CommandId::UploadAssociatedEmployees;
        case 'v':
            return CommandId::Version;
        case 'x':
            overrideFile(settings_.punches, token, 2);
            return CommandId::DownloadAndKeep;
        case 'z':
            overrideFile(settings_.punches, token, 2);
            return CommandId::RecoverPunches;
        default:
            return CommandId::Unknown;
    }
}

CommandId CommandLineParser::twoLetterOption(const zString& token) {
    if (token.length() < 3) return CommandId::Unknown;
    char a = token[1], b = token[2];
    bool bothLower = std::islower(static_cast<unsigned char>(a)) && std::islower(static_cast<unsigned char>(b));
    bool bothUpper = std::isupper(static_cast<unsigned char>(a)) && std::isupper(static_cast<unsigned char>(b));
    if (!bothLower && !bothUpper) return CommandId::Unknown;
    char pair[3] = {lower(a), lower(b), '\0'};
    for (const auto& option : kPairs) {
        if (pair[0] != option.pair[0] || pair[1] != option.pair[1]) continue;
        switch (option.id) {
            case CommandId::ReceiveEmployees:
            case CommandId::UploadAllEmployees:
            case CommandId::UploadPersonalData: overrideFile(settings_.employees, token, 3); break;
            case CommandId::SendCauses: overrideFile(settings_.causes, token, 3); break;
            case CommandId::SendAlarms: overrideFile(settings_.alarms, token, 3); break;
            default: break;
        }
        return option.id;
    }
    return CommandId::Unknown;
}

void CommandLineParser::overrideFile(FileSetting& setting, const zString& token, int nameStart) {
    zString name = token.mid(nameStart);
    if (!name.isEmpty()) setting.fileName = name;
}
