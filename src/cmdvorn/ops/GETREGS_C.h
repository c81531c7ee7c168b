#pragma once
// One download from one terminal: count the stored records, fetch them one
// by one, check each, hand it to a writer, and tell the terminal to delete
// them only when every counted record was fetched, checked and written.
#include "RunContext.h"
#include "Telegram.h"
#include "TransactionRecords.h"

#include <cstdint>
#include <vector>

namespace fnd {
class Deadline;
}
class Vorn;
struct LineContext;

class GETREGS_C {
public:
    explicit GETREGS_C(CMDARG_C& job);
    virtual ~GETREGS_C() = default;
    GETREGS_C(const GETREGS_C&) = delete;
    GETREGS_C& operator=(const GETREGS_C&) = delete;

    // "RE" punches or "RA" recoverable punches; 0 after a failed exchange,
    // which leaves the terminal's status in the job.
    int count(const char* object);
    bool download(const char* object, bool clear);
    bool downloadJobs(bool clear);

    // The newer models' line protocol: the stored files listed by "@DIR"
    // and their record total (99 when the listing made no sense), and the
    // download of those files' lines.
    int listDirectory();
    bool downloadText(int total, bool clear);

protected:
    virtual bool writeTransaction(const TransactionRecord& record) = 0;
    virtual bool writeJob(const JobRecord& record) = 0;
    virtual bool writeExtended(const ExtendedRecord& record);
    // Puts what was written on the disk before the terminal deletes it.
    virtual bool secureWritten() = 0;

    CMDARG_C& job_;
    Vorn& terminal_;
    zLogger& log_;
    int saved_ = 0;

private:
    enum class Fetch { Saved, Skipped, Stop };
    // One record of a download: punches ("RE", "RA") or jobs ("JO").
    Fetch fetchRecord(const char* object, int index, bool showProgress, int total);
    Fetch storeJob();
    int countJobs(bool& ok);
    // A stored file of a line-protocol terminal, as its listing announced it.
    struct LineFile {
        zString name;
        int records = 0;
    };
    // What the passes over one stored file have read so far.
    struct FileProgress {
        int lines = 0;   // lines taken as the file's records, good or bad
        int echoes = 0;  // echoes of the "@TYPE" line
    };
    enum class Pass { Ended, Quiet, Stop };
    Pass readFilePass(const LineFile& file, const char* typeLine, int total, int delayMs, const LineContext& context,
                      FileProgress& progress);
    // The line protocol's pauses; a bridge keeps apart what arrives meanwhile.
    void pauseReading(int ms);
    // "%%3", once what was saved is on the disk and a fresh listing still
    // holds only what was saved.
    bool clearStoredFiles();
    void checkBadgeFormat();
    // "... timbrature trovate" and the progress dialog of a punch download.
    BREAKDLG_C& openPunchProgress(const char* label, int total);
    // "... ricevute, ... salvate".
    void logSaved(const char* label);
    // The second count, the catch-up of records that arrived meanwhile and
    // the delete of a punch download that saved everything it counted.
    bool catchUpAndClear(const char* object, int total);
    // How the records of one object are cleared off the terminal.
    struct Clearing {
        const char* object;   // "RE", "JO"
        const char* removed;  // logged once the delete is accepted
        const char* left;     // logged with the records a refused delete left
    };
    // The delete, once what was saved is on the disk. False when the files
    // could not be secured, or when a new call to the terminal found records
    // that `saved` does not cover; a delete the terminal does not take
    // leaves its records for the next run and is no failure.
    bool remove(const Clearing& clearing, int saved);
    // A fresh count of the object ("JO" for job records), -1 when it failed.
    int recount(const char* object);
    // "... RIMASTE sul terminale" and the job's count of records left.
    void leftOnTerminal(const char* message, int left);
    // A record skipped, or the exchange that stopped the download: its status
    // is what the job reports when records stay on the terminal.
    void noteSkipped(RunError status);
    // Records stayed on the terminal: the job fails with the first skipped
    // record's status unless it already carries an error.
    void failWithFirstSkipped();

    TelegramCommand command_;
    char commandText_[24] = {};
    std::uint8_t record_[61] = {};
    int received_ = 0;  // successful record exchanges of this download
    std::vector<LineFile> lineFiles_;  // stored files of a line-protocol terminal
    const fnd::Deadline* dumpDeadline_ = nullptr;  // the running line download's time limit
    RunError firstSkippedStatus_ = RunError::None;
};
