#include "StoredFilePunches.h"

#include "RecordSink.h"
#include "RestartJournal.h"
#include "Vorn.h"
#include "zClock.h"

#include <algorithm>
#include <cstring>

namespace {

// A terminal counts its records in a signed 16-bit number.
constexpr int kMaxFileCount = 32767;
constexpr int kUnreadableListing = 99;
constexpr char kClearCommand[] = "%%3";

int twoDigits(const zString& name, int at) {
    int value = 0;
    for (int i = at; i < at + 2 && i < static_cast<int>(name.length()); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        value = value * 10 + (name[i] - '0');
    }
    return value;
}

}  // namespace

StoredFilePunches::StoredFilePunches(CMDARG_C& job) : job_(job), terminal_(*job.terminal) {}

int StoredFilePunches::count() {
    files_.clear();
    int total = 0;
    bool recognised = false;
    bool ended = false;
    const bool listed = terminal_.listStoredFiles(
        [&](const char* line) {
            ListingLine listing = readListingLine(line);
            recognised = recognised || listing.kind != ListingLine::Other;
            if (listing.kind == ListingLine::Header) total = 0;
            if (listing.kind == ListingLine::File && files_.size() < kMaxStoredFiles) {
                total = std::min(total + listing.records, kMaxFileCount);
                files_.push_back({zString(listing.fileName), listing.records});
            }
        },
        ended);
    if (!listed) {
        job_.result = terminal_.statusCode();
        return 0;
    }
    return recognised || ended ? total : kUnreadableListing;
}

void StoredFilePunches::prepare() {
    context_.model = terminal_.model();
    context_.terminalNumber = terminal_.terminalNumber();
    context_.causeMode = terminal_.parameter(23);
    terminal_.parameter(31);
    context_.badge = terminal_.badgeLayout();
}

bool StoredFilePunches::holdsNone(int total) const { return total <= 0 || files_.empty(); }

void StoredFilePunches::begin(int total) {
    context_.year = fnd::localNow().year;
    dump_.emplace(terminal_, files_.size(), total);
    file_ = 0;
    typing_ = false;
    handed_ = 0;
}

PunchSource::Next StoredFilePunches::next() {
    for (;;) {
        if (!typing_) {
            if (file_ >= files_.size()) return {};
            const ListedFile& stored = files_[file_];
            context_.month = twoDigits(stored.name, 0);
            context_.day = twoDigits(stored.name, 2);
            if (!dump_->type(stored.name.c_str(), stored.records)) {
                job_.result = terminal_.statusCode();
                return {Step::Stop, 0, RunError::None};
            }
            typing_ = true;
        }
        switch (dump_->next(line_)) {
        case StoredFileDump::Next::FileEnd:
            typing_ = false;
            ++file_;
            continue;
        case StoredFileDump::Next::Stop:
            job_.result = dump_->failure();
            return {Step::Stop, 0, RunError::None};
        case StoredFileDump::Next::Line: break;
        }
        if (!isRecordLine(line_, context_)) {
            job_.run->log().log(zLogger::Error, "%s %s: riga non valida, non salvata: %s", terminal_.label().c_str(),
                                dump_->request(), zLogger::visible(line_).c_str());
            return {Step::Skipped, 0, RunError::BadTelegram};
        }
        return {Step::Record, ++handed_, RunError::None};
    }
}

PunchSource::Delivery StoredFilePunches::deliver(RecordSink& sink) {
    if (!sink.writeTransaction(lineToRecord(line_, context_))) return Delivery::Stop;
    dump_->taken();
    return Delivery::Saved;
}

std::uint64_t StoredFilePunches::digest() const {
    const zString& name = files_[std::min(file_, files_.size() - 1)].name;
    return journal::digest(line_, std::strlen(line_), journal::digest(name.c_str(), name.length() + 1u));
}

void StoredFilePunches::completed(int received) {
    zString start, length;
    if (received == 0 || !terminal_.badgeFormat(start, length)) return;
    BadgeSpan expected = expectedBadgeSpan(terminal_.badgeLayout());
    long cfg7 = start.toLong(), cfg8 = length.toLong();
    if (cfg7 != expected.first || cfg8 != expected.length)
        job_.run->log().log("%s Warning: Badge format sul terminale (Cfg7=%ld, Cfg8=%ld) != (%d,%d)",
                            terminal_.label().c_str(), cfg7, cfg8, expected.first, expected.length);
}

bool StoredFilePunches::clear(int, SavedRecords& saved) {
    if (!saved.secureWritten()) return false;
    // The clear removes every stored file: a punch stored since the dump
    // would go with them unread, so the listing is asked once more.
    const int now = count();
    if (job_.result != RunError::None) return false;
    if (now != saved.saved()) {
        saved.leave("%s %d Timbrature RIMASTE sul terminale", std::max(now - saved.saved(), 0),
                    RunError::TerminalWarning);
        return false;
    }
    // Not announced: the records stay for the next run, which takes them once.
    if (!saved.announceDelete()) return true;
    terminal_.writeText(kClearCommand);
    job_.run->log().log("%s Timbrature rimosse dal terminale", terminal_.label().c_str());
    return true;
}
