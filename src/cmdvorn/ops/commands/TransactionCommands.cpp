#include "TransactionCommands.h"
#include "JobOutcome.h"

#include "CMDREGS_C.h"
#include "EmployeeStatusLine.h"
#include "TerminalTime.h"
#include "Vorn.h"

#include <cstring>

namespace {

// The line-protocol models keep no job records.
bool refusesJobDownload(CMDARG_C& job) {
    if (!isNewerModel(job.terminal->model())) return false;
    failJob(job, RunError::UnknownCommand, "JO,GE", "");
    return true;
}

bool countCommand(CMDARG_C& job, const char* object) {
    CMDREGS_C download(job);
    int n = download.count(object);
    if (job.result != RunError::None) return false;
    job.count = n;
    job.run->info().line("%s Num. timbrature= %d", job.terminal->label().c_str(), n);
    job.run->log().log("%s Num. timbrature= %d", job.terminal->label().c_str(), n);
    return true;
}

bool downloadPunches(CMDARG_C& job, const char* object, bool clear, bool withJobs) {
    CMDREGS_C download(job);
    download.loadPunchLayout();
    bool jobs = withJobs && job.terminal->model() == TerminalModel::Vorn2C;
    if (jobs) download.loadJobLayout();
    if (!download.download(object, clear)) return false;
    return !jobs || download.downloadJobs(clear);
}

}  // namespace

void countPunchesCommand(CMDARG_C& job) {
    countCommand(job, "RE");
}

void countRecoverableCommand(CMDARG_C& job) {
    countCommand(job, "RA");
}

void downloadAndClearCommand(CMDARG_C& job) {
    downloadPunches(job, "RE", true, true);
}

void downloadAndKeepCommand(CMDARG_C& job) {
    downloadPunches(job, "RE", false, true);
}

void recoverPunchesCommand(CMDARG_C& job) {
    downloadPunches(job, "RA", false, false);
}

void downloadJobsCommand(CMDARG_C& job) {
    if (refusesJobDownload(job)) return;
    CMDREGS_C download(job);
    download.loadJobLayout();
    download.downloadJobs(true);
}

void latestTransactionsCommand(CMDARG_C& job) {
    constexpr int kRecords = 10;
    constexpr int kRecordBytes = 34;
    std::uint8_t reply[1 + kRecords * kRecordBytes] = {};
    TelegramCommand command("EM,GL", TelegramCommand::ReceiveData, reply, sizeof reply);
    Vorn& terminal = *job.terminal;
    if (!terminal.sendCommand(command)) {
        failWithStatus(job);
        return;
    }
    ++job.count;
    int n = reply[0] < kRecords ? reply[0] : kRecords;
    InfoOutput& info = job.run->info();
    info.line("%s %d transazioni presenti", terminal.label().c_str(), reply[0]);
    for (int i = 0; i < n; ++i) showEmployeeStatus(info, EmployeeStatusRecord::decode(reply + 1 + i * kRecordBytes));
}
