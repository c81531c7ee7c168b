// The firmware load from a Motorola S-record file: announce, erase the
// flash with long time-outs, write every record up to the termination
// record (or the end of the file), then start. The link's speed and the
// settings are back as they were when it ends.
#include "Codes.h"
#include "Operations.h"
#include "TableLines.h"
#include "TableText.h"
#include "TextFile.h"
#include "zDeadline.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace qzcom {
namespace {

enum class LoadMode { Plain, WithModeWord };

constexpr std::size_t kRecordLimit = 255;
constexpr int kWaitRounds = 99;
constexpr int kLongTimeout = 15;
constexpr long kNewLoaderBaud = 19200;

int writeRecords(Session& s, const std::string& file) {
    const int lines = countLines(file, kRecordLimit);
    LineReader in(file);
    int result = kDone;
    for (int index = 0; !s.stopFlag; ++index) {
        auto read = in.next(kRecordLimit);
        if (!read) break;  // no termination record: the end of the file ends the load
        const std::string record = withoutLineEnd(*read);
        s.status(lines > 0 ? (100 * index + 100) / lines : 0, format("Write flash memory  record %02d", index));
        result = s.exchange("97", record);
        if (result != kDone || endsTheLoad(record)) break;
    }
    return result;
}

int loadFirmware(Session& s, const std::string& parameter, LoadMode mode) {
    char fileText[1024] = "", wordText[64] = "";
    std::sscanf(parameter.c_str(), "%1023s %63s", fileText, wordText);
    std::string file = fileText, word = wordText;
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const bool fresh = word == "NEW";
    const long savedBaud = s.params.baud;
    if (file.size() < 4 || file[file.size() - 4] != '.') file += ".s19";

    int result = kDone;
    if (!fileExists(file)) {
        s.message("File mancante", file);
    } else {
        result = s.exchange("90", mode == LoadMode::WithModeWord && !fresh ? "3" : "0");
        for (int round = 0; round < kWaitRounds && result == kDone && !s.stopFlag; ++round) {
            s.status(round, "Wait ...");
            fnd::sleepMs(60);
        }
        if (result == kDone && !s.stopFlag) {
            if (s.params.kind == LinkKind::Serial && fresh) s.params.baud = kNewLoaderBaud;
            s.settings.serialTimeout = s.settings.ethernetTimeout = kLongTimeout;
            if (s.linkWanted) s.reopen();
            s.status(10, "Erase flash memory...");
            result = s.exchange("98", "ERASE");
            s.settings = loadSettings(s.savedDir);
            if (result == kDone) result = writeRecords(s, file);
            if (result == kDone && !s.stopFlag) s.exchange("90", "1");
        }
    }
    s.settings = loadSettings(s.savedDir);
    s.params.baud = savedBaud;
    if (s.linkWanted) s.reopen();
    return result;
}

}  // namespace

int txS19(Session& s, const std::string& parameter, std::string&) {
    return loadFirmware(s, parameter, LoadMode::Plain);
}

int txS19Nx(Session& s, const std::string& parameter, std::string&) {
    return loadFirmware(s, parameter, LoadMode::WithModeWord);
}

}  // namespace qzcom
