#include "TelegramRecords.h"

#include "JobOutcome.h"
#include "LittleEndian.h"
#include "RecordExchange.h"
#include "RecordSink.h"
#include "RestartJournal.h"
#include "Vorn.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kOnOffThreshold = 50;
constexpr int kPunchBytes = 19;
constexpr int kExtendedBytes = 46;
constexpr int kJobBytes = 61;
constexpr const char* kJobObject = "JO";

}  // namespace

TelegramRecords::TelegramRecords(CMDARG_C& job, const char* object)
    : job_(job),
      terminal_(*job.terminal),
      object_(object),
      jobs_(std::strcmp(object, kJobObject) == 0),
      extended_(!jobs_ && job.terminal->model() == TerminalModel::Vorn2B) {}

int TelegramRecords::count() {
    std::uint8_t reply[2] = {};
    std::snprintf(commandText_, sizeof commandText_, "%s,NR", object_);
    TelegramCommand command(commandText_, TelegramCommand::ReceiveData, reply, 2);
    counted_ = terminal_.sendCommand(command);
    if (!counted_) {
        job_.result = terminal_.statusCode();
        return 0;
    }
    return static_cast<std::int16_t>(getLe16(reply));
}

void TelegramRecords::begin(int total) {
    nextIndex_ = 0;
    limit_ = total;
    if (total > kOnOffThreshold) terminal_.sendOn();
}

void TelegramRecords::end(int total) {
    // Job records always end with "OF" (sent only while the link is open).
    if (jobs_ || total > kOnOffThreshold) terminal_.sendOff();
}

PunchSource::Next TelegramRecords::next() {
    if (nextIndex_ >= limit_) return {};
    const int index = nextIndex_++;
    std::snprintf(commandText_, sizeof commandText_, "%s,GE,%x", object_, static_cast<unsigned>(index));
    command_ = TelegramCommand(commandText_, TelegramCommand::ReceiveData, record_,
                               jobs_ ? kJobBytes : extended_ ? kExtendedBytes : kPunchBytes);
    // While the terminal answers, a record it refused stays and the others are still fetched.
    if (!terminal_.sendCommand(command_))
        return {terminal_.isAnswering() ? Step::Skipped : Step::Stop, index, terminal_.statusCode()};
    // A reply without the whole record is not a record: it stays on the terminal.
    if (RunError bad = checkFetched(terminal_, commandText_, record_, command_.dataLength); bad != RunError::None)
        return {Step::Skipped, index, bad};
    return {Step::Record, index, RunError::None};
}

PunchSource::Delivery TelegramRecords::deliver(RecordSink& sink) {
    if (jobs_) {
        // A damaged job record stays on the terminal; the others are still fetched.
        if (!JobRecord::checkMatches(record_)) {
            failJob(job_, RunError::BadCrc, "CMDVORN: Timb. Commesse", commandText_);
            return Delivery::Skipped;
        }
        return sink.writeJob(JobRecord::decode(record_)) ? Delivery::Saved : Delivery::Stop;
    }
    if (extended_) return sink.writeExtended(ExtendedRecord::decode(record_)) ? Delivery::Saved : Delivery::Stop;
    if (!TransactionRecord::checkMatches(record_)) {
        failJob(job_, RunError::BadCrc, "Timbratura", commandText_);
        return Delivery::Stop;
    }
    return sink.writeTransaction(TransactionRecord::decode(record_)) ? Delivery::Saved : Delivery::Stop;
}

std::uint64_t TelegramRecords::digest() const {
    return journal::digest(record_, static_cast<std::size_t>(command_.dataLength));
}

bool TelegramRecords::clear(int, SavedRecords& saved) {
    if (!terminal_.sendOn()) return true;
    const bool result = catchUpAndClear(saved);
    terminal_.sendOff();
    return result;
}

bool TelegramRecords::catchUpAndClear(SavedRecords& download) {
    const int again = count();
    if (!counted_) return false;  // the job carries the count's status
    // The indexes from the first count on hold what arrived since.
    limit_ = again;
    download.takeRest(*this);
    const int saved = download.saved();
    // Fewer than were saved: something else cleared the terminal meanwhile.
    if (again < saved) return true;
    // Records that arrived during the download and could not be saved stay,
    // and with them every record: the job says so as the first pass would.
    if (again != saved) {
        download.leave(leftMessage(), again - saved, download.firstSkipped());
        return false;
    }
    if (job_.result != RunError::None || again == 0) return true;
    return remove(again, download);
}

bool TelegramRecords::remove(int saved, SavedRecords& download) {
    // Only what is on the disk may leave the terminal.
    if (!download.secureWritten()) return false;
    // Not announced: the records stay for the next run, which takes them once.
    if (!download.announceDelete()) return true;
    std::snprintf(commandText_, sizeof commandText_, "%s,DE", object_);
    TelegramCommand del(commandText_);
    int fresh = -1;
    auto stillCovered = [&] {
        fresh = recount();
        return fresh == saved;
    };
    if (terminal_.sendDelete(del, stillCovered)) {
        job_.run->log().log(jobs_ ? "%s Timbrature Commesse rimosse dal terminale" : "%s Timbrature rimosse dal terminale",
                            terminal_.label().c_str());
        return true;
    }
    // A delete the terminal did not take leaves its records for the next run.
    if (fresh < 0 || fresh == saved) return true;
    // A new call found records no count covered: nothing was deleted.
    download.leave(leftMessage(), std::max(fresh - saved, 0), terminal_.statusCode());
    return false;
}

int TelegramRecords::recount() {
    const int value = count();
    return counted_ ? value : -1;
}

const char* TelegramRecords::leftMessage() const {
    return jobs_ ? "%s %d timb. Commesse RIMASTE sul terminale" : "%s %d Timbrature RIMASTE sul terminale";
}
