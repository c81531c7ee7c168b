// The transaction download of the newer models, which keep their punches in
// stored files and dump each file as text lines. Methods of GETREGS_C kept
// apart from the telegram download.
//
// The terminal drives every loop here, so each has a bound that its memory
// justifies and the whole download has a time limit: a terminal keeps one
// stored file per day (MMDD, so at most 366), counts its records in a signed
// 16-bit number, and dumps a file as the lines its listing announced.
#include "GETREGS_C.h"

#include "LineRecord.h"
#include "Vorn2A.h"
#include "zClock.h"
#include "zDeadline.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kEndOfTransfer = 0x04;
constexpr std::size_t kLineSize = 1024;
constexpr std::size_t kMaxFiles = 366;
// Besides its files a listing holds a header and its end.
constexpr int kMaxListingLines = static_cast<int>(kMaxFiles) + 8;
constexpr int kMaxFileCount = 32767;
// Echoes of a "@TYPE" line that are waited out; more are not an echo.
constexpr int kMaxEchoes = 4;
constexpr int kUnreadableListing = 99;
constexpr int kEchoPauseMs = 100;
constexpr char kClearCommand[] = "%%3";
// Time limits: a listing takes its pause and a slow line per entry; a dump
// its pauses per file and per record. Past the limit the command fails
// with a time-out and nothing is cleared.
constexpr long kListingBaseMs = 60'000;
constexpr long kListingLineMs = 500;
constexpr long kDumpBaseMs = 300'000;
constexpr long kRecordTransferMs = 250;
constexpr long kMaxDumpMs = 2L * 3600 * 1000;

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

void GETREGS_C::pauseReading(int ms) {
    if (auto* newer = dynamic_cast<Vorn2A*>(&terminal_))
        newer->idle(ms);
    else
        fnd::sleepMs(ms);
}

int GETREGS_C::listDirectory() {
    lineFiles_.clear();
    if (!terminal_.writeText("@DIR")) {
        job_.result = terminal_.statusCode();
        return 0;
    }
    const int wait = atLeastOne(terminal_.comTimeout());
    pauseReading(wait * 500);

    const fnd::Deadline deadline(kListingBaseMs + kMaxListingLines * (wait * 200L + kListingLineMs));
    char line[kLineSize + 1];
    int total = 0;
    bool recognised = false;
    for (int n = 0; n < kMaxListingLines && !deadline.passed() && terminal_.readText(line, kLineSize); ++n) {
        ListingLine listing = readListingLine(line);
        recognised = recognised || listing.kind != ListingLine::Other;
        if (listing.kind == ListingLine::End) break;
        if (listing.kind == ListingLine::Header) total = 0;
        if (listing.kind == ListingLine::File && lineFiles_.size() < kMaxFiles) {
            total = std::min(total + listing.records, kMaxFileCount);
            lineFiles_.push_back({zString(listing.fileName), listing.records});
        }
        pauseReading(wait * 200);
    }
    return recognised ? total : kUnreadableListing;
}

GETREGS_C::Pass GETREGS_C::readFilePass(const LineFile& file, const char* typeLine, int total, int delayMs,
                                         const LineContext& context, FileProgress& progress) {
    BREAKDLG_C& dialog = job_.run->dialog();
    const char* label = terminal_.label().c_str();
    char line[kLineSize + 1];
    while (terminal_.readText(line, kLineSize)) {
        if (dumpDeadline_ && dumpDeadline_->passed()) {
            log_.log(zLogger::Error, "%s %s: tempo massimo del download superato", label, typeLine);
            job_.result = RunError::Timeout;
            return Pass::Stop;
        }
        if (line[0] == kEndOfTransfer) return Pass::Ended;
        if (std::strstr(line, typeLine) && progress.echoes++ < kMaxEchoes) {  // the terminal's echo
            pauseReading(kEchoPauseMs);
            continue;
        }
        if (progress.lines++ >= file.records) {
            // More lines than the listing announced: this is no longer the file.
            log_.log(zLogger::Error, "%s %s: piu' righe delle %d annunciate, download interrotto", label, typeLine,
                     file.records);
            job_.result = RunError::BadTelegram;
            return Pass::Stop;
        }
        if (!isRecordLine(line, context)) {
            log_.log(zLogger::Error, "%s %s: riga non valida, non salvata: %s", label, typeLine,
                     zLogger::visible(line).c_str());
            noteSkipped(RunError::BadTelegram);
            continue;
        }
        char text[48];
        std::snprintf(text, sizeof text, "Timbratura: %d/%d", received_ + 1, total);
        dialog.setBar(received_ + 1, text);
        if (dialog.pump()) {
            job_.run->reportError(RunError::Interrupted, &terminal_);
            job_.result = RunError::Interrupted;
            return Pass::Stop;
        }
        ++received_;
        if (!writeTransaction(lineToRecord(line, context))) return Pass::Stop;
        pauseReading(delayMs / 20);
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
    saved_ = 0;
    received_ = 0;
    firstSkippedStatus_ = RunError::None;
    const char* label = terminal_.label().c_str();

    if (total == 0 || lineFiles_.empty()) {
        log_.log("%s Nessuna timbratura presente", label);
        return true;
    }
    BREAKDLG_C& dialog = openPunchProgress(label, total);
    context.year = fnd::localNow().year;
    const int wait = atLeastOne(terminal_.comTimeout());
    const int passes = atLeastOne(terminal_.maxRetry()) + 1;
    const long perFileMs = wait * 1000L + passes * (terminal_.readTimeoutMs() + wait * 250L);
    const long perRecordMs = wait * 25L + kRecordTransferMs;
    const fnd::Deadline deadline(
        std::min(kMaxDumpMs, kDumpBaseMs + static_cast<long>(lineFiles_.size()) * perFileMs + total * perRecordMs));
    dumpDeadline_ = &deadline;

    bool stopped = false;
    for (std::size_t file = 0; file < lineFiles_.size() && !stopped; ++file) {
        const LineFile& stored = lineFiles_[file];
        char typeLine[kLineSize];
        std::snprintf(typeLine, sizeof typeLine, "@TYPE %s", stored.name.c_str());
        log_.log(zLogger::Header, " %s", typeLine);
        context.month = twoDigits(stored.name, 0);
        context.day = twoDigits(stored.name, 2);
        const int delayMs = wait * (file == 0 ? 1000 : 500);
        if (!terminal_.writeText(typeLine)) {
            job_.result = terminal_.statusCode();
            break;
        }
        pauseReading(delayMs / 10);
        FileProgress progress;
        for (int pass = 0; pass < passes; ++pass) {
            Pass result = readFilePass(stored, typeLine, total, delayMs, context, progress);
            stopped = result == Pass::Stop;
            if (result != Pass::Quiet) break;
            pauseReading(delayMs / 2);
        }
    }
    dumpDeadline_ = nullptr;

    logSaved(label);
    dialog.close();
    job_.count += saved_;

    // Every line received must also be on the disk before anything is cleared.
    if (total != received_ || total != saved_) {
        leftOnTerminal("%s %d Timbrature RIMASTE sul terminale", total - saved_);
        failWithFirstSkipped();
        return false;
    }
    if (received_ != 0) checkBadgeFormat();
    if (job_.result != RunError::None && job_.result != RunError::TerminalWarning) return false;
    if (clear) return clearStoredFiles();
    return true;
}

bool GETREGS_C::clearStoredFiles() {
    if (!secureWritten()) return false;
    // The clear removes every stored file: a punch stored since the dump
    // would go with them unread, so the listing is asked once more.
    const int now = listDirectory();
    if (job_.result != RunError::None) return false;
    if (now != saved_) {
        leftOnTerminal("%s %d Timbrature RIMASTE sul terminale", std::max(now - saved_, 0));
        job_.result = RunError::TerminalWarning;
        return false;
    }
    terminal_.writeText(kClearCommand);
    log_.log("%s Timbrature rimosse dal terminale", terminal_.label().c_str());
    return true;
}
