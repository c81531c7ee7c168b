#include "CommandLine.h"

#include <cctype>
#include <cstdlib>

namespace {

zList<zString> splitTokens(const zString& text) {
    zList<zString> tokens;
    zString token;
    for (int i = 0; i < text.length(); ++i) {
        char c = text[i];
        if (c == ' ' || c == '\t') {
            if (!token.isEmpty()) tokens.append(token);
            token = zString();
        } else {
            token += c;
        }
    }
    if (!token.isEmpty()) tokens.append(token);
    return tokens;
}

bool isOptionStart(char c) { return c == '-' || c == '/'; }

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

struct PairOption {
    const char* pair;
    int id;
};

constexpr PairOption kPairs[] = {
    {"ea", 4},  {"ad", 26}, {"ed", 7},  {"gd", 16}, {"yd", 22}, {"uf", 40}, {"ag", 24},
    {"fg", 17}, {"yr", 11}, {"gg", 14}, {"lg", 31}, {"pg", 20}, {"ei", 9},  {"gl", 10},
    {"gs", 15}, {"as", 25}, {"br", 33}, {"ls", 32}, {"ps", 21}, {"ot", 34}, {"yt", 39},
    {"yz", 37}, {"fs", 18}, {"fr", 19}, {"es", 6},
};

}  // namespace

bool CommandLineParser::parse(const zString& commandLine, ParsedCommandLine& out) {
    zList<zString> tokens = splitTokens(commandLine);
    int first = 0;
    if (tokens.count() > 0 && tokens[0] == "$CMD") first = 1;

    for (int i = first; i < tokens.count(); ++i) {
        const zString& token = tokens[i];
        if (!isOptionStart(token[0])) continue;
        // The terminal selection is taken here, so parseOption never sees it.
        if (token.length() >= 2 && (token[1] == 'n' || token[1] == 'N')) {
            zString number = token.mid(2);
            if (!number.isEmpty() && std::atol(number.c_str()) > 0) out.terminals.append(number);
            continue;
        }
        int id = parseOption(token);
        if (id < 0) {
            state_.errorCode = 87;
            log_.log("Comando Sconosciutto -%s", token.c_str());
            continue;
        }
        out.commands.append(id);
    }
    return out.commands.count() > 0;
}

int CommandLineParser::parseOption(const zString& token) {
    if (!isOptionStart(token[0])) {
        log_.log("Invalid Command line parameter %s", token.c_str());
        state_.errorCode = 87;
        return -1;
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

int CommandLineParser::oneLetterOption(const zString& token, char letter) {
    char next = lower(token[2]);  // '\0' when nothing follows the letter
    switch (letter) {
        case '?':
        case 'h':
            return 43;
        case '@':
            if (token.length() == 2) return 27;
            if (next == 'f') return 36;
            if (next == 'z') return 38;
            return -1;
        case 'c':
        case 'm':
            return -1;
        case 'd':
            return 23;
        case 'i':
            if (token.length() == 2) return 30;
            switch (next) {
                case 'n': return 44;
                case 's': overrideFile(settings_.fingerprints, token, 3); return 45;
                case 'r': overrideFile(settings_.fingerprints, token, 3); return 46;
                case 'd': return 47;
                default: return -1;
            }
        case 'j':
            overrideFile(settings_.punches, token, 2);
            return 28;
        case 'k':
            return 8;
        case 'n':
            return 0;
        case 'r':
            overrideFile(settings_.punches, token, 2);
            return 12;
        case 's': {
            zString word = token.mid(1);
            if (word.equalsNoCase("sync")) return 41;
            if (word.equalsNoCase("syncg")) return 42;
            return -1;
        }
        case 't':
            overrideFile(settings_.employees, token, 2);
            return 5;
        case 'v':
            return 3;
        case 'x':
            overrideFile(settings_.punches, token, 2);
            return 13;
        case 'z':
            overrideFile(settings_.punches, token, 2);
            return 35;
        default:
            return -1;
    }
}

int CommandLineParser::twoLetterOption(const zString& token) {
    if (token.length() < 3) return -1;
    char a = token[1], b = token[2];
    bool bothLower = std::islower(static_cast<unsigned char>(a)) && std::islower(static_cast<unsigned char>(b));
    bool bothUpper = std::isupper(static_cast<unsigned char>(a)) && std::isupper(static_cast<unsigned char>(b));
    if (!bothLower && !bothUpper) return -1;
    char pair[3] = {lower(a), lower(b), '\0'};
    for (const auto& option : kPairs) {
        if (pair[0] != option.pair[0] || pair[1] != option.pair[1]) continue;
        switch (option.id) {
            case 4: case 6: case 7: overrideFile(settings_.employees, token, 3); break;
            case 15: overrideFile(settings_.causes, token, 3); break;
            case 25: overrideFile(settings_.alarms, token, 3); break;
            default: break;
        }
        return option.id;
    }
    return -1;
}

void CommandLineParser::overrideFile(FileSetting& setting, const zString& token, int nameStart) {
    zString name = token.mid(nameStart);
    if (!name.isEmpty()) setting.fileName = name;
}
