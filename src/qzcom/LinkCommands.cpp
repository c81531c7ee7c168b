// Opening and closing the link, and the commands that need no terminal.
#include "Codes.h"
#include "Operations.h"

#include <unistd.h>

namespace qzcom {

constexpr const char* kVersionText = "Ver 4.12";

int openCom(Session& s, const std::string& parameter, std::string&) {
    s.overwriteQuestionSuppressed = false;
    s.settings = loadSettings(s.savedDir);
    s.link.close();
    s.linkWanted = false;
    std::optional<LinkParams> params = parseConnectionString(parameter);
    int result = kLinkFailed;
    if (params && !params->workDir.empty() && ::chdir(params->workDir.c_str()) != 0) {
        // Every later command would write into whatever directory the host is in.
        s.refuse("Cannot enter the working directory", params->workDir);
        result = kNoWorkDir;
    } else if (params) {
        s.params = *params;
        result = s.reopen();
        s.linkWanted = result == kDone;
    }
    if (s.settings.debugEnable & kShowDiagnostic) s.message(s.diagnostic);
    return result;
}

int comClose(Session& s, const std::string&, std::string&) {
    s.link.close();
    s.linkWanted = false;
    return kDone;
}

int testCommand(Session&, const std::string&, std::string&) { return kDone; }

int version(Session&, const std::string&, std::string& reply) {
    reply = kVersionText;
    return kDone;
}

int rawTelegram(Session& s, const std::string& code, const std::string& data, std::string* reply) {
    std::string text;
    int result = s.exchange(code, data, text);
    if (reply) *reply = text;
    return result;
}

}  // namespace qzcom
