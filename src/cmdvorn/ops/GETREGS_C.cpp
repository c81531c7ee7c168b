#include "GETREGS_C.h"

#include "JobOutcome.h"
#include "ProgressScope.h"
#include "RestartRecovery.h"
#include "StoredFilePunches.h"
#include "TelegramRecords.h"
#include "Vorn.h"

#include <cstdio>

namespace {

constexpr const char* kJobObject = "JO";
constexpr const char* kPunchesLeft = "%s %d Timbrature RIMASTE sul terminale";
constexpr const char* kJobsLeft = "%s %d timb. Commesse RIMASTE sul terminale";

}  // namespace

GETREGS_C::GETREGS_C(CMDARG_C& job) : job_(job), terminal_(*job.terminal), log_(job.run->log()) {}

bool GETREGS_C::writeExtended(const ExtendedRecord&) { return false; }

std::unique_ptr<PunchSource> GETREGS_C::punchSource(const char* object) {
    if (isNewerModel(terminal_.model())) return std::make_unique<StoredFilePunches>(job_);
    return std::make_unique<TelegramRecords>(job_, object);
}

int GETREGS_C::count(const char* object) { return punchSource(object)->count(); }

bool GETREGS_C::download(const char* object, bool clear) { return download(*punchSource(object), clear, object); }

void GETREGS_C::openJournal(const char* object, int total) {
    if (!job_.run->settings().restartJournal) return;
    journal_.emplace(job_.run->state().dataDirectory, terminal_.terminalNumber(), object, total, log_, terminal_.label());
    watchOutput(&*journal_);
}

// However the download ended, the files now hold what a run that was not
// killed leaves in them: the journal has nothing left to undo.
void GETREGS_C::closeJournal() {
    watchOutput(nullptr);
    journal_.reset();
}

bool GETREGS_C::announceDelete() { return !journal_ || journal_->deletePending(saved_); }

GETREGS_C::Attempt::Attempt(GETREGS_C& download) : download_(download) {
    // The files are shared by the run's terminals: settled before this run appends anything.
    recoverRestartJournals(*download.job_.run);
    download.saved_ = 0;
    download.received_ = 0;
    download.firstSkippedStatus_ = RunError::None;
}

void GETREGS_C::takeRecords(PunchSource& source, ProgressScope* progress) {
    for (;;) {
        const PunchSource::Next got = source.next();
        if (got.status != RunError::None && firstSkippedStatus_ == RunError::None) firstSkippedStatus_ = got.status;
        if (got.step == PunchSource::Step::End || got.step == PunchSource::Step::Stop) return;
        if (got.step == PunchSource::Step::Skipped) continue;
        ++received_;
        if (progress) progress->advance(got.position);
        if (interrupted(job_)) return;
        if (journal_ && !journal_->begun()) journal_->begin(source.digest());
        if (source.deliver(*this) == PunchSource::Delivery::Stop) return;
    }
}

void GETREGS_C::takeRest(PunchSource& source) { takeRecords(source, nullptr); }

void GETREGS_C::leave(const char* message, int left, RunError why) {
    log_.log(message, terminal_.label().c_str(), left);
    job_.leftOnTerminal += left;
    // Later exchanges (even "OF") may have succeeded; the caller must still
    // learn that records stayed behind.
    if (job_.result == RunError::None) job_.result = why;
}

void GETREGS_C::logSaved(const char* format) { log_.log(format, terminal_.label().c_str(), received_, saved_); }

bool GETREGS_C::download(PunchSource& source, bool clear, const char* object) {
    Attempt attempt(*this);
    const char* label = terminal_.label().c_str();

    const int total = source.count();
    if (job_.result != RunError::None) return false;
    source.prepare();
    if (source.holdsNone(total)) {
        log_.log("%s Nessuna timbratura presente", label);
        return true;
    }

    log_.log("%s %d timbrature trovate", label, total);
    openJournal(object, total);
    char caption[64];
    std::snprintf(caption, sizeof caption, "%s: Ricez. %d Timbrature", label, total);
    ProgressScope progress(job_, caption, total, "Timbratura:");
    source.begin(total);
    takeRecords(source, &progress);
    source.end(total);
    logSaved("%s %d timb. ricevute, %d salvate");

    bool result = true;
    // Every record received must also be on the disk before anything is cleared.
    if (total != received_ || total != saved_) {
        leave(kPunchesLeft, total - saved_, firstSkippedStatus_);
        result = false;
    } else {
        source.completed(received_);
        if (job_.result != RunError::None && job_.result != RunError::TerminalWarning)
            result = false;
        else if (clear)
            result = source.clear(total, *this);
    }
    job_.count += saved_;
    return result;
}

bool GETREGS_C::downloadJobs(bool clear) {
    Attempt attempt(*this);
    const char* label = terminal_.label().c_str();

    TelegramRecords source(job_, kJobObject);
    const int total = source.count();
    if (!source.counted()) return false;
    if (total <= 0) {
        log_.log("%s Nessuna timbratura presente", label);
        return true;
    }
    log_.log("%s %d timb. commesse trovate", label, total);
    openJournal(kJobObject, total);
    source.begin(total);
    // After -r's punches the job's count is the job records' alone.
    job_.count = 0;
    takeRecords(source, nullptr);
    source.end(total);
    logSaved("%s %d timb. Commesse ricevute, %d salvate");
    job_.count += saved_;

    if (total != saved_) {
        leave(kJobsLeft, total - saved_, firstSkippedStatus_);
        return false;
    }
    if (job_.result != RunError::None && job_.result != RunError::TerminalWarning) return false;
    if (!clear) return true;

    // Job records that arrived meanwhile are not fetched: then nothing is deleted.
    const int again = source.count();
    if (!source.counted() || again != total) return true;
    return source.remove(total, *this);
}
