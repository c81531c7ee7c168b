#include "CMDREGS_C.h"
#include "JobOutcome.h"

#include "Vorn.h"

namespace {

WriterTerminal writerTerminal(const Vorn& t) {
    WriterTerminal w;
    w.section = zString("[") + std::string_view(t.name()) + "]";
    w.tmbFileName = t.transactionFile();
    w.tmbStartAfresh = !t.transactionAppend();
    return w;
}

}  // namespace

CMDREGS_C::CMDREGS_C(CMDARG_C& job)
    : GETREGS_C(job),
      writer_(job.run->writerRun(), job.run->settings(), job.run->parameters(),
              writerTerminal(*job.terminal), job.run->log(), [&job](RunError error, const char* text1, const char* text2) {
                  failJob(job, error, text1, text2);
              }) {}

bool CMDREGS_C::counted(bool written) {
    if (written) ++saved_;
    return written;
}

bool CMDREGS_C::writeTransaction(const TransactionRecord& record) { return counted(writer_.writeTransaction(record)); }

bool CMDREGS_C::writeJob(const JobRecord& record) { return counted(writer_.writeJob(record)); }

bool CMDREGS_C::writeExtended(const ExtendedRecord& record) { return counted(writer_.writeExtended(record)); }

bool CMDREGS_C::secureWritten() { return writer_.flushAndSync(); }
