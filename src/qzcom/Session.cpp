#include "Session.h"

#include "Codes.h"
#include "Frame.h"

#include <optional>

namespace qzcom {

Session& session() {
    static Session instance;
    return instance;
}

void Session::status(int position, const std::string& text) {
    ProgressFields fields{position, text, params.workDir, subStatus, params.tagged, settings.found};
    if (ui.update(fields) || stopAsked.exchange(false)) stopFlag = true;
}

bool Session::stopRequested() {
    if (!ui.stopPressed() && !stopAsked.exchange(false)) return false;
    stopFlag = true;
    return true;
}

void Session::message(const std::string& first, const std::string& second) {
    ui.message(first, second);
}

void Session::refuse(const std::string& why, const std::string& what) {
    ui.report(why, what);
}

bool Session::confirmOverwrite(const std::string& file) {
    return ui.askYesNo(file, "Existing file! overwrite? ");
}

StopCheck Session::stopCheck() {
    return [this] { return stopRequested(); };
}

Notify Session::notifier() {
    return [this](const std::string& first, const std::string& second) { message(first, second); };
}

int Session::reopen() { return link.open(params, settings, stopCheck(), notifier()); }

int Session::exchange(std::string_view code, std::string_view data) {
    std::string ignored;
    return exchange(code, data, ignored);
}

int Session::exchange(std::string_view code, std::string_view data, std::string& reply) {
    reply.clear();
    if (!linkWanted) return kNotOpen;
    std::optional<int> tag;
    if (params.tagged) tag = std::uniform_int_distribution<int>(0, kTagLimit - 1)(random_);
    const std::string frame = requestFrame(params.address, tag, code, data);
    if (frame.size() > kMaxLine) return kRequestTooLong;

    int result = kTimeout;
    for (int attempt = 0; attempt < settings.attempts(); ++attempt) {
        if (!link.isOpen() && reopen() != kDone) {
            result = kLinkFailed;
            continue;
        }
        // Whatever waits now answers an earlier request: taking it would
        // shift every later reply by one.
        link.discardWaiting();
        std::string line;
        result = link.send(frame) ? link.receiveLine(line, settings, stopCheck()) : kConnectionReset;
        if (result == kConnectionReset) {
            link.close();  // opened again before the next attempt
            continue;
        }
        if (result == kStopped) return kStopped;
        if (result != kDone) continue;
        std::optional<int> replyTag;
        std::string text = replyText(line, params.tagged, &replyTag);
        if (tag && replyTag != tag) {
            result = kTimeout;  // an answer to another request is no answer to this one
            continue;
        }
        reply = std::move(text);
        return replyCode(reply);
    }
    if (result == kConnectionReset) reopen();
    return result;
}

}  // namespace qzcom
