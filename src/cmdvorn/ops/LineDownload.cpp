// The transaction download of the newer models, which keep their punches in
// stored files and dump each file as text lines. Methods of GETREGS_C kept
// apart from the telegram download.
#include "GETREGS_C.h"

#include "LineRecord.h"
#include "Vorn2A.h"
#include "zClock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

constexpr char kEndOfTransfer = 0x04;
constexpr std::size_t kLineSize = 1024;
// A terminal that never ends its listing or its dump cannot hold the run.
constexpr int kMaxLines = 100000;
constexpr std::size_t kMaxFiles = 1000;
constexpr int kMaxFileCount = 32767;
constexpr int kUnreadableListing = 99;
constexpr int kEchoPauseMs = 100;
constexpr char kClearCommand[] = "%%3";

void pause(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int atLeastOne(int value) { return value == 0 ? 1 : value; }

int twoDigits(const zString& name, int at) {
    int value = 0;
    for (int i = at; i < at + 2 && i < static_cast<int>(name.length()); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        value = value * 10 + (name[i] - '0');
    }
    return value;
}

}  // namespace

int GETREGS_C::listDirectory() {
    lineFiles_.clear();
    if (!terminal_.writeText("@DIR")) {
        job_.result = terminal_.statusCode();
        return 0;
    }
    const int wait = atLeastOne(terminal_.comTimeout());
    pause(wait * 500);

    char line[kLineSize + 1];
    int total = 0;
    bool recognised = false;
    for (int n = 0; n < kMaxLines && terminal_.readText(line, kLineSize); ++n) {
        ListingLine listing = readListingLine(line);
        recognised = recognised || listing.kind != ListingLine::Other;
        if (listing.kind == ListingLine::End) break;
        if (listing.kind == ListingLine::Header) total = 0;
        if (listing.kind == ListingLine::File) {
            total = std::min(total + listing.records, kMaxFileCount);
            if (lineFiles_.size() < kMaxFiles) lineFiles_.emplace_back(listing.fileName);
        }
        pause(wait * 200);
    }
    return recognised ? total : kUnreadableListing;
}

GETREGS_C::Pass GETREGS_C::readFilePass(const char* typeLine, int total, int delayMs, const LineContext& context) {
    BREAKDLG_C& dialog = job_.run->dialog();
    char line[kLineSize + 1];
    for (int n = 0; n < kMaxLines && terminal_.readText(line, kLineSize); ++n) {
        if (line[0] == kEndOfTransfer) return Pass::Ended;
        if (std::strstr(line, typeLine)) {  // the terminal's echo
            pause(kEchoPauseMs);
            continue;
        }
        char progress[48];
        std::snprintf(progress, sizeof progress, "Timbratura: %d/%d", received_ + 1, total);
        dialog.setBar(received_ + 1, progress);
        if (dialog.pump()) {
            job_.run->reportError(RunError::Interrupted, &terminal_);
            job_.result = RunError::Interrupted;
            return Pass::Stop;
        }
        ++received_;
        if (!writeTransaction(lineToRecord(line, context))) return Pass::Stop;
        pause(delayMs / 20);
    }
    return Pass::Quiet;
}

void GETREGS_C::checkBadgeFormat() {
    auto* newer = dynamic_cast<Vorn2A*>(&terminal_);
    // VORNT2 and Brimol take no parameter queries.
    if (!newer || terminal_.model() == TerminalModel::VornT2) return;
    zString start, length;
    newer->queryParameter(7, start);
    newer->queryParameter(8, length);
    BadgeSpan expected = expectedBadgeSpan(newer->badgeLayout());
    long cfg7 = start.toLong(), cfg8 = length.toLong();
    if (cfg7 != expected.first || cfg8 != expected.length)
        log_.log("%s Warning: Badge format sul terminale (Cfg7=%ld, Cfg8=%ld) != (%d,%d)", terminal_.label().c_str(), cfg7,
                 cfg8, expected.first, expected.length);
}

bool GETREGS_C::downloadText(int total, bool clear) {
    auto* newer = dynamic_cast<Vorn2A*>(&terminal_);
    LineContext context;
    context.model = terminal_.model();
    context.terminalNumber = terminal_.terminalNumber();
    context.causeMode = newer ? newer->parameter(23) : 0;
    if (newer) newer->parameter(31);
    if (newer) context.badge = newer->badgeLayout();
    saved_ = duplicates_ = 0;
    received_ = 0;
    const char* label = terminal_.label().c_str();

    if (total == 0 || lineFiles_.empty()) {
        log_.log("%s Nessuna timbratura presente", label);
        return true;
    }
    BREAKDLG_C& dialog = openPunchProgress(label, total);
    context.year = fnd::localNow().year;
    const int wait = atLeastOne(terminal_.comTimeout());
    const int passes = atLeastOne(terminal_.maxRetry()) + 1;

    bool stopped = false;
    for (std::size_t file = 0; file < lineFiles_.size() && !stopped; ++file) {
        char typeLine[kLineSize];
        std::snprintf(typeLine, sizeof typeLine, "@TYPE %s", lineFiles_[file].c_str());
        log_.log(zLogger::Header, " %s", typeLine);
        context.month = twoDigits(lineFiles_[file], 0);
        context.day = twoDigits(lineFiles_[file], 2);
        const int delayMs = wait * (file == 0 ? 1000 : 500);
        if (!terminal_.writeText(typeLine)) {
            job_.result = terminal_.statusCode();
            break;
        }
        pause(delayMs / 10);
        for (int pass = 0; pass < passes; ++pass) {
            Pass result = readFilePass(typeLine, total, delayMs, context);
            stopped = result == Pass::Stop;
            if (result != Pass::Quiet) break;
            pause(delayMs / 2);
        }
    }

    notePunchesSaved(label);
    dialog.close();
    job_.count += saved_;

    // Every line received must also be on the disk before anything is cleared.
    if (total != received_ || total != saved_ + duplicates_) {
        log_.log("%s %d Timbrature RIMASTE sul terminale", label, total - saved_ - duplicates_);
        job_.leftOnTerminal += total - saved_ - duplicates_;
        return false;
    }
    if (received_ != 0) checkBadgeFormat();
    if (job_.result != RunError::None && job_.result != RunError::TerminalWarning) return false;
    if (clear) {
        if (!secureWritten()) return false;
        terminal_.writeText(kClearCommand);
        log_.log("%s Timbrature rimosse dal terminale", label);
    }
    return true;
}
