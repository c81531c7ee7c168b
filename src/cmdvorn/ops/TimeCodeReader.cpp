#include "TimeCodeReader.h"

#include "zDeadline.h"
#include "zSerialPort.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

constexpr int kSettleMs = 100;

// Keeps a link's terminator for the reading and gives the old one back.
class TerminatorScope {
public:
    TerminatorScope(zCommDev& link, char terminator) : link_(link), previous_(link.terminator()) {
        link_.setTerminator(terminator);
    }
    ~TerminatorScope() { link_.setTerminator(previous_); }
    TerminatorScope(const TerminatorScope&) = delete;
    TerminatorScope& operator=(const TerminatorScope&) = delete;

private:
    zCommDev& link_;
    char previous_;
};

}  // namespace

TimeCodeReader::Outcome TimeCodeReader::read() {
    TerminatorScope lineFeed(link_, zCommDev::kLF);
    fnd::sleepMs(kSettleMs);
    link_.purge(Purge::Both);
    link_.setReadTimeout(kLineWaitMs);

    char line[TimeCode::kLineLength + 1];
    link_.readLine(line, sizeof line);

    Outcome outcome;
    for (int i = 0; i < kLinesRead; ++i) {
        line[0] = '\0';
        link_.readLine(line, sizeof line);
        std::size_t length = std::strlen(line);
        if (length == 0) continue;  // nothing arrived in time
        // The line end is no part of the line; anything else the far end
        // sent is logged visibly, so that it never breaks or forges a line.
        std::string_view text(line, length);
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        log_.log("%s", zLogger::visible(text).c_str());

        TimeCode code;
        if (!TimeCode::parse(std::string_view(line, length), code)) continue;
        fnd::LocalTime pc = clock_.now();
        long long difference = code.differenceFrom(pc);
        if (difference != 0) clock_.set(code.asLocalTime());
        if (outcome.timeCodes == 0 || std::abs(difference) > std::abs(outcome.difference)) outcome.difference = difference;
        ++outcome.timeCodes;
    }
    return outcome;
}
