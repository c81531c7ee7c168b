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
    if (ui.update(fields)) stopFlag = true;
}

bool Session::stopRequested() {
    if (!ui.stopPressed()) return false;
    stopFlag = true;
    return true;
}

void Session::message(const std::string& first, const std::string& second) {
    ui.message(first, second);
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
    std::optional<std::string> unmatched;  // the last reply whose tag was not ours
    for (int attempt = 0; attempt < settings.attempts(); ++attempt) {
        if (!link.isOpen() && reopen() != kDone) {
            result = kLinkFailed;
            continue;
        }
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
            unmatched = std::move(text);
            continue;
        }
        reply = std::move(text);
        return replyCode(reply);
    }
    if (result == kConnectionReset) reopen();
    if (result == kDone && unmatched) {
        reply = std::move(*unmatched);
        return replyCode(reply);
    }
    return result;
}

}  // namespace qzcom
