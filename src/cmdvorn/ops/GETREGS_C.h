#pragma once
// One download from one terminal: count the stored records, fetch them one
// by one, check each, hand it to a writer, and tell the terminal to delete
// them only when every counted record was fetched, checked and written.
// What differs between the telegram terminals and the newer models' line
// protocol is behind PunchSource; the download itself is one.
#include "PunchSource.h"
#include "RecordSink.h"
#include "RestartJournal.h"
#include "RunContext.h"

#include <memory>
#include <optional>

class ProgressScope;
class Vorn;

class GETREGS_C : public RecordSink, private SavedRecords {
public:
    explicit GETREGS_C(CMDARG_C& job);
    ~GETREGS_C() override = default;
    GETREGS_C(const GETREGS_C&) = delete;
    GETREGS_C& operator=(const GETREGS_C&) = delete;

    // "RE" punches or "RA" recoverable punches (for the newer models the
    // total of their listing); 0 after a failed exchange, which leaves the
    // terminal's status in the job.
    int count(const char* object);
    bool download(const char* object, bool clear);
    bool downloadJobs(bool clear);

protected:
    // The writer: the first two are the subclass's, an extended record is
    // refused unless it says otherwise.
    bool writeTransaction(const TransactionRecord& record) override = 0;
    bool writeJob(const JobRecord& record) override = 0;
    bool writeExtended(const ExtendedRecord& record) override;
    // Puts what was written on the disk before the terminal deletes it.
    bool secureWritten() override = 0;
    // Who is told before a line goes into an output file; nullptr: nobody.
    virtual void watchOutput(OutputWatch* watch) = 0;

    CMDARG_C& job_;
    Vorn& terminal_;
    zLogger& log_;
    int saved_ = 0;

private:
    std::unique_ptr<PunchSource> punchSource(const char* object);
    bool download(PunchSource& source, bool clear, const char* object);
    // The records the source hands out, each counted as received, shown
    // when there is a progress dialog, checked for the operator's stop,
    // and delivered to the writer, until the source has no more or the
    // download cannot go on.
    void takeRecords(PunchSource& source, ProgressScope* progress);
    // Around each download: earlier runs' journals settled and the counters
    // cleared at its start, its own journal closed however it ends.
    class Attempt {
    public:
        explicit Attempt(GETREGS_C& download);
        ~Attempt() { download_.closeJournal(); }
        Attempt(const Attempt&) = delete;
        Attempt& operator=(const Attempt&) = delete;

    private:
        GETREGS_C& download_;
    };
    // "... ricevute, ... salvate".
    void logSaved(const char* format);

    // What the source's clearing sees of this download.
    int saved() const override { return saved_; }
    void takeRest(PunchSource& source) override;
    void leave(const char* message, int left, RunError why) override;
    RunError firstSkipped() const override { return firstSkippedStatus_; }
    bool announceDelete() override;

    // The restart journal of a download of `total` records, when the run keeps one.
    void openJournal(const char* object, int total);
    void closeJournal();

    int received_ = 0;  // records received by this download
    // The status of the first record skipped, or of the exchange that
    // stopped the download: what the job reports when records stay behind.
    RunError firstSkippedStatus_ = RunError::None;
    std::optional<RestartJournal> journal_;
};
