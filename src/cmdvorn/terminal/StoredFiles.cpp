// The listing and the dumps of the stored files, and the plain-text pause
// and badge defaults of Vorn that a terminal off the newer links uses.
#include "StoredFiles.h"

#include "Vorn.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kEndOfTransfer = 0x04;
// Echoes of a "@TYPE" line that are waited out; more are not an echo.
constexpr int kMaxEchoes = 4;
constexpr int kEchoPauseMs = 100;
// Time limits: a listing takes its pause and a slow line per entry; a dump
// its pauses per file and per record. Past the limit the command fails
// with a time-out and nothing is cleared.
constexpr long kListingBaseMs = 60'000;
constexpr long kListingLineMs = 500;
constexpr long kDumpBaseMs = 300'000;
constexpr long kRecordTransferMs = 250;
constexpr long kMaxDumpMs = 2L * 3600 * 1000;

// COM_TIME_OUT and MAX_RETRY of 0 pace as 1.
int atLeastOne(int value) { return value == 0 ? 1 : value; }

}  // namespace

void Vorn::idle(int ms) { fnd::sleepMs(ms); }

const BadgeLayout& Vorn::badgeLayout() const {
    static const BadgeLayout defaults;
    return defaults;
}

bool Vorn::listStoredFiles(const std::function<void(const char* line)>& take, bool& ended) {
    ended = false;
    if (!writeText("@DIR")) return false;
    const int wait = atLeastOne(comTimeout());
    idle(wait * 500);

    const fnd::Deadline deadline(kListingBaseMs + kMaxListingLines * (wait * 200L + kListingLineMs));
    char line[kStoredLineSize + 1];
    for (int n = 0; n < kMaxListingLines && !deadline.passed() && readText(line, kStoredLineSize); ++n) {
        if (line[0] == kEndOfTransfer) {
            ended = true;
            break;
        }
        take(line);
        idle(wait * 200);
    }
    return true;
}

StoredFileDump::StoredFileDump(Vorn& terminal, std::size_t files, int records)
    : terminal_(terminal),
      wait_(atLeastOne(terminal.comTimeout())),
      passes_(atLeastOne(terminal.maxRetry()) + 1),
      deadline_(std::min(kMaxDumpMs, kDumpBaseMs +
                                         static_cast<long>(files) *
                                             (wait_ * 1000L + passes_ * (terminal.readTimeoutMs() + wait_ * 250L)) +
                                         records * (wait_ * 25L + kRecordTransferMs))) {}

bool StoredFileDump::type(const char* name, int announced) {
    std::snprintf(request_, sizeof request_, "@TYPE %s", name);
    if (zLogger* log = terminal_.logger()) log->log(zLogger::Header, " %s", request_);
    // The first file gets the longer pauses.
    delayMs_ = wait_ * (first_ ? 1000 : 500);
    first_ = false;
    pass_ = 0;
    announced_ = announced;
    lines_ = 0;
    echoes_ = 0;
    if (!terminal_.writeText(request_)) return false;
    terminal_.idle(delayMs_ / 10);
    return true;
}

StoredFileDump::Next StoredFileDump::next(char* line) {
    while (pass_ < passes_) {
        if (!terminal_.readText(line, kStoredLineSize)) {
            // Quiet: this pass is over; the terminal may still be typing.
            ++pass_;
            terminal_.idle(delayMs_ / 2);
            continue;
        }
        if (deadline_.passed()) {
            if (zLogger* log = terminal_.logger())
                log->log(zLogger::Error, "%s %s: tempo massimo del download superato", terminal_.label().c_str(), request_);
            failure_ = RunError::Timeout;
            return Next::Stop;
        }
        if (line[0] == kEndOfTransfer) {
            pass_ = passes_;
            break;
        }
        if (std::strstr(line, request_) && echoes_++ < kMaxEchoes) {
            terminal_.idle(kEchoPauseMs);
            continue;
        }
        // More lines than the listing announced: this is no longer the file.
        if (lines_++ >= announced_) {
            if (zLogger* log = terminal_.logger())
                log->log(zLogger::Error, "%s %s: piu' righe delle %d annunciate, download interrotto",
                         terminal_.label().c_str(), request_, announced_);
            failure_ = RunError::BadTelegram;
            return Next::Stop;
        }
        return Next::Line;
    }
    return Next::FileEnd;
}

void StoredFileDump::taken() { terminal_.idle(delayMs_ / 20); }
