// Reading the badge list and the configuration into local files, and
// sending the configuration back and storing it.
#include "Codes.h"
#include "Operations.h"
#include "TableLines.h"
#include "TableText.h"
#include "TextFile.h"
#include "zDeadline.h"

#include <cstdlib>
#include <vector>

namespace qzcom {
namespace {

constexpr const char* kBadgeFile = "qzcom.bdg";
constexpr const char* kConfigFile = "qzcom.cfg";
constexpr std::size_t kShortestReply = 10;

// Asks before an existing file is replaced; false when the answer is No.
bool mayOverwrite(Session& s, const char* file) { return !fileExists(file) || s.confirmOverwrite(file); }

}  // namespace

int rxBadge(Session& s, const std::string&, std::string&) {
    constexpr int kMostBadges = 999;
    if (!mayOverwrite(s, kBadgeFile)) return kDone;
    OutputFile out(kBadgeFile, "w");
    if (!out.isOpen()) {
        s.message("error on writing", kBadgeFile);
        return kLocalFileFailed;
    }
    int result = kDone;
    for (int index = 1; index <= kMostBadges && !s.stopFlag; ++index) {
        s.status(index / 10, format("RxBadge record %02d", index));
        std::string reply;
        result = s.exchange("48", format("%04d", index), reply);
        if (result != kDone || reply == "EMPTY" || reply.size() < kShortestReply) break;
        out.write(reply + "\n");
    }
    if (!out.write("end;\n\n") || !out.close()) {
        s.message("error on writing", kBadgeFile);
        return kLocalFileFailed;
    }
    return result;
}

int rxConfig(Session& s, const std::string&, std::string&) {
    constexpr int kParameters = 124;
    if (!mayOverwrite(s, kConfigFile)) return kDone;
    OutputFile out(kConfigFile, "w");
    if (!out.isOpen()) {
        s.message("error on writing", kConfigFile);
        return kLocalFileFailed;
    }
    int result = kDone;
    std::string previous;
    for (int number = 1; number <= kParameters && !s.stopFlag; ++number) {
        s.status(number, format("RxConfig record %02d", number));
        std::string reply;
        result = s.exchange("95", format("%04d", number), reply);
        if (result != kDone || reply == previous || reply.size() < kShortestReply) break;
        out.write(format("%04d %s\n", number, reply.c_str()));
        previous = reply;
    }
    if (!out.close()) {
        s.message("error on writing", kConfigFile);
        return kLocalFileFailed;
    }
    return result;
}

int txConfig(Session& s, const std::string&, std::string&) {
    constexpr std::size_t kLineLimit = 59, kShortestLine = 20;
    constexpr int kMostLines = 99;
    LineReader in(kConfigFile);
    if (!in.isOpen()) {
        s.message("File mancante", kConfigFile);
        return kFileMissing;
    }
    std::vector<std::string> lines;
    while (static_cast<int>(lines.size()) < kMostLines) {
        auto line = in.next(kLineLimit);
        if (!line) break;
        std::string text = withoutLineEnd(*line);
        if (text.size() < kShortestLine) break;
        // Trailing blanks and control characters are no part of the value.
        while (!text.empty() && static_cast<unsigned char>(text.back()) < '!') text.pop_back();
        lines.push_back(text);
    }
    // The value column is where the first line's last word begins.
    const std::size_t column = lines.empty() ? 0 : configColumn(lines.front());

    int result = kDone, number = 0;
    for (std::size_t i = 0; i < lines.size() && !s.stopFlag; ++i) {
        s.status(static_cast<int>(i + 1), format("TxConfig record %02d", static_cast<int>(i + 1)));
        number = std::atoi(lines[i].substr(0, 4).c_str());
        const std::string value = configValue(lines[i], column);
        result = s.exchange("94", format("%04d %s", number, value.c_str()));
        if (result != kDone) break;
    }
    if (result == kDone && !s.stopFlag) {
        s.status(0, "Store new CONFIG...");
        result = s.exchange("97", "STORE");
        fnd::sleepMs(3000);
    }
    if (result != kDone) s.diagnostic = format("Par.%03d   Error %03d", number, result);
    return result;
}

}  // namespace qzcom
