#pragma once
// Where a download takes its records from, and how it clears them once all
// were saved. The telegram terminals count with "<object>,NR", hand out a
// record by index and delete with "<object>,DE" (TelegramRecords); the
// newer models list their stored files, type them out as text lines and
// clear them with "%%3" (StoredFilePunches). GETREGS_C runs one download
// over either.
#include "RunError.h"

#include <cstdint>

class RecordSink;
class PunchSource;

// What a source's clearing needs of the download that saved the records.
class SavedRecords {
public:
    // Records this download wrote.
    virtual int saved() const = 0;
    // Puts what was written on the disk; false when it could not be.
    virtual bool secureWritten() = 0;
    // Takes what the source has beyond what was counted (records that
    // arrived during the download) as the download took its own.
    virtual void takeRest(PunchSource& source) = 0;
    // Records that must stay on the terminal: `message` with the terminal
    // label and `left`, and the job fails with `why` unless it already
    // carries an error.
    virtual void leave(const char* message, int left, RunError why) = 0;
    // The status of the first record the download had to skip, or None.
    virtual RunError firstSkipped() const = 0;
    // Just before the delete goes out; false when it must not.
    virtual bool announceDelete() = 0;

protected:
    ~SavedRecords() = default;
};

class PunchSource {
public:
    enum class Step {
        Record,   // a record is in hand: deliver it
        Skipped,  // this one stays on the terminal; the others are still taken
        End,      // no more records
        Stop,     // the download cannot go on
    };
    struct Next {
        Step step = Step::End;
        int position = 0;                  // Record: where the progress bar stands
        // Skipped, Stop: the exchange's status, which the job reports should
        // records stay on the terminal.
        RunError status = RunError::None;
    };
    enum class Delivery { Saved, Skipped, Stop };

    virtual ~PunchSource() = default;

    // How many records the terminal holds; 0 after a failed exchange, whose
    // status becomes the job's result.
    virtual int count() = 0;
    // Once counted, before anything is fetched.
    virtual void prepare() {}
    // Nothing to fetch after a count of `total`.
    virtual bool holdsNone(int total) const { return total <= 0; }
    // Around the records of a count of `total`.
    virtual void begin(int total) = 0;
    virtual void end(int total) = 0;
    // The next record, or why there is none.
    virtual Next next() = 0;
    // The record in hand, checked and handed to the sink.
    virtual Delivery deliver(RecordSink& sink) = 0;
    // A digest of the record in hand as the terminal sent it, telling it
    // from any record the terminal may hold after a delete.
    virtual std::uint64_t digest() const = 0;
    // How many of `total` records must be asked for to see the first one:
    // a file of the newer models is typed out whole.
    virtual int firstLook(int /*total*/) const { return 1; }
    // Every record counted was received and saved.
    virtual void completed(int /*received*/) {}
    // Deletes on the terminal what `saved` holds, when nothing else is
    // there: true when the download stands, deleted or not.
    virtual bool clear(int total, SavedRecords& saved) = 0;
};
