#pragma once
// One download from one terminal: count the stored records, fetch them one
// by one, check each, hand it to a writer, and tell the terminal to delete
// them only when every counted record was fetched, checked and written.
#include "RunContext.h"
#include "Telegram.h"
#include "TransactionRecords.h"

#include <cstdint>
#include <vector>

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
    int duplicates_ = 0;

private:
    enum class Fetch { Saved, Skipped, Stop };
    // One record of a download: punches ("RE", "RA") or jobs ("JO").
    Fetch fetchRecord(const char* object, int index, bool showProgress, int total);
    Fetch storeJob();
    int countJobs(bool& ok);
    enum class Pass { Ended, Quiet, Stop };
    Pass readFilePass(const char* typeLine, int total, int delayMs, const LineContext& context);
    void checkBadgeFormat();
    // "... timbrature trovate" and the progress dialog of a punch download.
    BREAKDLG_C& openPunchProgress(const char* label, int total);
    // The terminal's saved counters and "... ricevute, ... salvate".
    void notePunchesSaved(const char* label);
    bool remove(const char* object, const char* removedMessage);
    // A record skipped while the terminal kept answering: its status is what
    // the job reports when records stay on the terminal.
    void noteSkipped();
    // Records stayed on the terminal: the job fails with the first skipped
    // record's status unless it already carries an error.
    void failWithFirstSkipped();

    TelegramCommand command_;
    char commandText_[24] = {};
    std::uint8_t record_[61] = {};
    int received_ = 0;  // successful record exchanges of this download
    std::vector<zString> lineFiles_;  // stored files of a line-protocol terminal
    RunError firstSkippedStatus_ = RunError::None;
};
