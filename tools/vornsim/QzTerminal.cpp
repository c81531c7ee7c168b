#include "QzTerminal.h"

#include <cstdio>

namespace vornsim::qz {

enum QzReplyCode : int { kAccepted = 0 };

std::string QzTerminal::status(int code) const {
    char text[32];
    std::snprintf(text, sizeof text, "T%02dRx%04d", address % 100, code);
    return text;
}

std::optional<std::string> QzTerminal::answer(const QzRequest& request) {
    received.push_back(request.code + " " + request.data);
    if (request.code == "01") clockText = request.data;
    return status(kAccepted);
}

}  // namespace vornsim::qz
