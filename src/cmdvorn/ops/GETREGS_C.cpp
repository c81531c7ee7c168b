#include "GETREGS_C.h"
#include "JobOutcome.h"

#include "LittleEndian.h"
#include "RecordExchange.h"
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
constexpr const char* kPunchesLeft = "%s %d Timbrature RIMASTE sul terminale";
constexpr const char* kJobsLeft = "%s %d timb. Commesse RIMASTE sul terminale";

}  // namespace

GETREGS_C::GETREGS_C(CMDARG_C& job) : job_(job), terminal_(*job.terminal), log_(job.run->log()) {}

bool GETREGS_C::writeExtended(const ExtendedRecord&) { return false; }

int GETREGS_C::count(const char* object) {
    if (isNewerModel(terminal_.model())) return listDirectory();
    std::uint8_t reply[2] = {};
    std::snprintf(commandText_, sizeof commandText_, "%s,NR", object);
    TelegramCommand command(commandText_, TelegramCommand::ReceiveData, reply, 2);
    int value = 0;
    if (terminal_.sendCommand(command))
        value = static_cast<std::int16_t>(getLe16(reply));
    else
        job_.result = terminal_.statusCode();
    return value;
}

GETREGS_C::Fetch GETREGS_C::storeJob() {
    // A damaged job record stays on the terminal; the others are still fetched.
    if (!JobRecord::checkMatches(record_)) {
        failJob(job_, RunError::BadCrc, "CMDVORN: Timb. Commesse", commandText_);
        return Fetch::Skipped;
    }
    return writeJob(JobRecord::decode(record_)) ? Fetch::Saved : Fetch::Stop;
}

GETREGS_C::Fetch GETREGS_C::fetchRecord(const char* object, int index, bool showProgress, int total) {
    const bool jobs = std::strcmp(object, kJobObject) == 0;
    const bool extended = !jobs && terminal_.model() == TerminalModel::Vorn2B;
    std::snprintf(commandText_, sizeof commandText_, "%s,GE,%x", object, static_cast<unsigned>(index));
    command_ = TelegramCommand(commandText_, TelegramCommand::ReceiveData, record_,
                               jobs ? kJobBytes : extended ? kExtendedBytes : kPunchBytes);

    if (!terminal_.sendCommand(command_)) {
        noteSkipped(terminal_.statusCode());
        return terminal_.isAnswering() ? Fetch::Skipped : Fetch::Stop;
    }
    // A reply without the whole record is not a record: it stays on the terminal.
    if (RunError bad = checkFetched(terminal_, commandText_, record_, command_.dataLength); bad != RunError::None) {
        noteSkipped(bad);
        return Fetch::Skipped;
    }
    ++received_;

    BREAKDLG_C& dialog = job_.run->dialog();
    if (showProgress) {
        char text[48];
        std::snprintf(text, sizeof text, "Timbratura: %d/%d", index, total);
        dialog.setBar(index, text);
    }
    if (interrupted(job_)) return Fetch::Stop;
    if (jobs) return storeJob();
    if (extended) return writeExtended(ExtendedRecord::decode(record_)) ? Fetch::Saved : Fetch::Stop;

    if (!TransactionRecord::checkMatches(record_)) {
        failJob(job_, RunError::BadCrc, "Timbratura", commandText_);
        return Fetch::Stop;
    }
    return writeTransaction(TransactionRecord::decode(record_)) ? Fetch::Saved : Fetch::Stop;
}

void GETREGS_C::noteSkipped(RunError status) {
    if (firstSkippedStatus_ == RunError::None) firstSkippedStatus_ = status;
}

void GETREGS_C::failWithFirstSkipped() {
    // Later exchanges (even "OF") may have succeeded; the caller must still
    // learn that records stayed behind.
    if (job_.result == RunError::None) job_.result = firstSkippedStatus_;
}

void GETREGS_C::leftOnTerminal(const char* message, int left) {
    log_.log(message, terminal_.label().c_str(), left);
    job_.leftOnTerminal += left;
}

bool GETREGS_C::remove(const Clearing& clearing, int saved) {
    // Only what is on the disk may leave the terminal.
    if (!secureWritten()) return false;
    std::snprintf(commandText_, sizeof commandText_, "%s,DE", clearing.object);
    TelegramCommand del(commandText_);
    int fresh = -1;
    auto stillCovered = [&] {
        fresh = recount(clearing.object);
        return fresh == saved;
    };
    if (terminal_.sendDelete(del, stillCovered)) {
        log_.log(clearing.removed, terminal_.label().c_str());
        return true;
    }
    // A delete the terminal did not take leaves its records for the next run.
    if (fresh < 0 || fresh == saved) return true;
    // A new call found records no count covered: nothing was deleted.
    if (job_.result == RunError::None) job_.result = terminal_.statusCode();
    leftOnTerminal(clearing.left, std::max(fresh - saved, 0));
    return false;
}

int GETREGS_C::recount(const char* object) {
    if (std::strcmp(object, kJobObject) == 0) {
        bool ok = false;
        int value = countJobs(ok);
        return ok ? value : -1;
    }
    int value = count(object);
    return terminal_.statusCode() == RunError::None ? value : -1;
}

BREAKDLG_C& GETREGS_C::openPunchProgress(const char* label, int total) {
    log_.log("%s %d timbrature trovate", label, total);
    BREAKDLG_C& dialog = job_.run->dialog();
    char caption[64];
    std::snprintf(caption, sizeof caption, "%s: Ricez. %d Timbrature", label, total);
    dialog.open(caption);
    dialog.showBar(total);
    return dialog;
}

void GETREGS_C::logSaved(const char* label) {
    log_.log("%s %d timb. ricevute, %d salvate", label, received_, saved_);
}

bool GETREGS_C::download(const char* object, bool clear) {
    saved_ = 0;
    received_ = 0;
    firstSkippedStatus_ = RunError::None;
    const char* label = terminal_.label().c_str();

    int total = count(object);
    if (job_.result != RunError::None) return false;
    if (isNewerModel(terminal_.model())) return downloadText(total, clear);
    if (total <= 0) {
        log_.log("%s Nessuna timbratura presente", label);
        return true;
    }

    BREAKDLG_C& dialog = openPunchProgress(label, total);

    if (total > kOnOffThreshold) terminal_.sendOn();
    for (int i = 0; i < total; ++i) {
        Fetch f = fetchRecord(object, i, true, total);
        if (f == Fetch::Stop) break;
    }
    if (total > kOnOffThreshold) terminal_.sendOff();

    logSaved(label);

    bool result = true;
    if (total != saved_) {
        leftOnTerminal(kPunchesLeft, total - saved_);
        failWithFirstSkipped();
        result = false;
    } else if (job_.result != RunError::None && job_.result != RunError::TerminalWarning) {
        result = false;
    } else if (clear && terminal_.sendOn()) {
        result = catchUpAndClear(object, total);
        terminal_.sendOff();
    }
    dialog.close();
    job_.count += saved_;
    return result;
}

bool GETREGS_C::catchUpAndClear(const char* object, int total) {
    const int again = count(object);
    if (terminal_.statusCode() != RunError::None) return false;  // the count failed: the job carries its status
    for (int next = total; next < again; ++next)
        if (fetchRecord(object, next, false, again) == Fetch::Stop) break;
    // Fewer than were saved: something else cleared the terminal meanwhile.
    if (again < saved_) return true;
    // Records that arrived during the download and could not be saved stay,
    // and with them every record: the job says so as the first pass would.
    if (again != saved_) {
        leftOnTerminal(kPunchesLeft, again - saved_);
        failWithFirstSkipped();
        return false;
    }
    if (job_.result != RunError::None || again == 0) return true;
    return remove({object, "%s Timbrature rimosse dal terminale", kPunchesLeft}, again);
}

bool GETREGS_C::downloadJobs(bool clear) {
    saved_ = 0;
    received_ = 0;
    firstSkippedStatus_ = RunError::None;
    const char* label = terminal_.label().c_str();

    bool ok = false;
    int total = countJobs(ok);
    if (!ok) return false;
    if (total <= 0) {
        log_.log("%s Nessuna timbratura presente", label);
        return true;
    }
    log_.log("%s %d timb. commesse trovate", label, total);
    if (total > kOnOffThreshold) terminal_.sendOn();
    // After -r's punches the job's count is the job records' alone.
    job_.count = 0;

    for (int i = 0; i < total; ++i)
        if (fetchRecord(kJobObject, i, false, total) == Fetch::Stop) break;
    terminal_.sendOff();
    log_.log("%s %d timb. Commesse ricevute, %d salvate", label, received_, saved_);
    job_.count += saved_;

    if (total != saved_) {
        leftOnTerminal(kJobsLeft, total - saved_);
        failWithFirstSkipped();
        return false;
    }
    if (job_.result != RunError::None && job_.result != RunError::TerminalWarning) return false;
    if (!clear) return true;

    int again = countJobs(ok);
    if (!ok || again != total) return true;
    return remove({kJobObject, "%s Timbrature Commesse rimosse dal terminale", kJobsLeft}, total);
}

int GETREGS_C::countJobs(bool& ok) {
    std::uint8_t reply[2] = {};
    TelegramCommand command("JO,NR", TelegramCommand::ReceiveData, reply, 2);
    ok = terminal_.sendCommand(command);
    if (!ok) {
        job_.result = terminal_.statusCode();
        return 0;
    }
    return static_cast<std::int16_t>(getLe16(reply));
}
