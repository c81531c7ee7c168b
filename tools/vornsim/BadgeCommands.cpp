#include "BadgeCommands.h"

#include <algorithm>

namespace vornsim {
namespace {

Answer refuse(Answer::Kind kind, std::string why) { return {kind, std::nullopt, std::move(why)}; }

Answer storeFormat(BadgeStore& store, const Request& r) {
    if (!r.data) return refuse(Answer::Error, "no record");
    std::string why;
    auto format = decodeCardFormat(*r.data, why);
    if (!format) return refuse(Answer::Error, why);
    store.format = *format;
    return {};
}

Answer storeTemplate(Terminal& t, const Request& r) {
    if (!r.data) return refuse(Answer::Error, "no record");
    std::string why;
    auto enrolled = decodeTemplate(*r.data, why);
    if (!enrolled) return refuse(Answer::Error, why);
    auto& templates = t.badge.templates;
    auto same = std::find_if(templates.begin(), templates.end(), [&](const FingerTemplate& x) {
        return x.employee == enrolled->employee && x.company == enrolled->company;
    });
    if (same != templates.end())
        *same = *enrolled;
    else if (templates.size() >= t.version.numOfEmp)
        return refuse(Answer::Error, "fingerprint memory full");
    else
        templates.push_back(*enrolled);
    return {};
}

}  // namespace

Answer answerBadgeRequest(Terminal& t, const Request& r,
                          const std::optional<std::optional<std::size_t>>& templateIndex) {
    BadgeStore& store = t.badge;
    const std::string& text = r.text;
    if (text == "FO,SE") return storeFormat(store, r);
    if (text == "FO,GE") return {Answer::Ok, encodeCardFormat(store.format), {}};
    if (text == "FO,LR") return {Answer::Ok, encodeBadgeRead(store.lastRead), {}};
    if (text == "FP,NR") {
        auto n = static_cast<std::uint16_t>(std::min<std::size_t>(store.templates.size(), 32767));
        return {Answer::Ok, Bytes{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8)}, {}};
    }
    if (text == "FP,ST") return storeTemplate(t, r);
    if (text == "FP,DE,*,*") {
        store.templates.clear();
        return {};
    }
    if (templateIndex) {
        if (!*templateIndex) return refuse(Answer::Error, "index is not lowercase hexadecimal without leading zeros");
        if (**templateIndex >= store.templates.size())
            return refuse(Answer::Warning, "no fingerprint " + std::to_string(**templateIndex));
        return {Answer::Ok, encodeTemplate(store.templates[**templateIndex]), {}};
    }
    return refuse(Answer::Warning, "unknown command");
}

}  // namespace vornsim
