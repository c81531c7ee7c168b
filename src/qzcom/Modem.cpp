// A Hayes modem on the serial link: dialling with the prefix of "qzcom.tlf",
// hanging up and the carrier state. A modem call is a state of the serial
// line only; the link itself stays as it is.
#include "Codes.h"
#include "Operations.h"
#include "zDeadline.h"

#include <algorithm>
#include <chrono>
#include <fstream>

namespace qzcom {
namespace {

constexpr const char* kPrefixFile = "qzcom.tlf";
constexpr std::size_t kPrefixLimit = 127;
constexpr std::size_t kShortestReport = 4;
constexpr int kHangUpRounds = 300;

std::string withoutLineEnds(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

bool readPrefix(std::string& prefix) {
    std::ifstream in(kPrefixFile, std::ios::binary);
    if (!in) return false;
    std::getline(in, prefix);
    prefix = withoutLineEnds(prefix.substr(0, kPrefixLimit));
    return true;
}

// Result of one modem report line, or kTimeout when it is no result at all.
int reportCode(const std::string& line) {
    if (line.find("CONNECT") != std::string::npos) return kDone;
    if (line.find("BUSY") != std::string::npos) return kModemBusy;
    if (line.find("NO CARRIER") != std::string::npos) return kModemNoCarrier;
    return kTimeout;
}

void discardWaiting(Link& link, const Settings& settings) {
    // Whatever the modem said so far (echo, OK) is of no interest.
    Settings brief = settings;
    brief.serialTimeout = 0;
    std::string line;
    for (int lines = 0; lines < 100 && link.receiveLine(line, brief, [] { return false; }) == kDone; ++lines) {
    }
}

}  // namespace

int stopModem(Session& s, const std::string&, std::string&) {
    if (!s.linkWanted) return kNotOpen;
    s.link.send("+++");
    for (int round = 0; round < kHangUpRounds; ++round) {
        s.status(round / 3, "Wait ...");
        if (s.stopRequested()) break;
        fnd::sleepMs(10);
    }
    s.link.send("ATH0\r");
    fnd::sleepMs(1000);
    return kDone;
}

int initModem(Session& s, const std::string& parameter, std::string& reply) {
    if (!s.linkWanted) return kNotOpen;
    const auto start = std::chrono::steady_clock::now();
    std::string number = parameter;
    std::replace(number.begin(), number.end(), '_', ',');
    std::string prefix;
    if (!readPrefix(prefix)) {
        s.message("File mancante", kPrefixFile);
        return kFileMissing;
    }
    const std::string dial = prefix + number + "\r";

    fnd::sleepMs(3000);
    s.link.send("AT\r");
    fnd::sleepMs(1000);
    discardWaiting(s.link, s.settings);
    s.link.send(dial);
    fnd::sleepMs(1000);

    int result = kTimeout;
    std::string report;
    while (true) {
        auto elapsed = std::chrono::steady_clock::now() - start;
        if (elapsed > std::chrono::seconds(s.settings.modemConnectTimeout)) break;
        s.status(static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count()),
                 dial);
        std::string line;
        int received = s.link.receiveLine(line, s.settings, [&s] { return s.stopRequested(); });
        if (received == kStopped) {
            result = kStopped;
            break;
        }
        if (received != kDone || line.size() < kShortestReport) continue;
        report = withoutLineEnds(line);
        result = reportCode(line);
        if (result != kTimeout) break;
    }
    if (result != kDone) {
        std::string ignored;
        stopModem(s, {}, ignored);
    }
    if (result == kTimeout) report = "Modem Timeout";
    reply = report;
    fnd::sleepMs(1000);
    return result;
}

int modemStatus(Session& s, const std::string&, std::string&) {
    bool present = false;
    if (!s.link.carrier(present)) s.message("No modem status lines on", s.params.device);
    return present ? 1 : 0;
}

}  // namespace qzcom
