#pragma once
// The stored files in which the newer models keep their punches, one per
// day (MMDD), read over the plain-text protocol: "@DIR" lists them (Vorn::
// listStoredFiles) and "@TYPE <name>" types one out line by line
// (StoredFileDump). The terminal drives every loop here, so each has a bound
// its memory justifies and a time limit, and the pauses are those the
// terminals need between lines.
#include "RunError.h"
#include "zDeadline.h"

#include <cstddef>

class Vorn;

// The longest line of the protocol.
constexpr std::size_t kStoredLineSize = 1024;
// One file per day of a year.
constexpr std::size_t kMaxStoredFiles = 366;
// Besides its files a listing holds a header and its end.
constexpr int kMaxListingLines = static_cast<int>(kMaxStoredFiles) + 8;

// The stored files typed out one after the other, within one time limit
// for the whole dump: "@TYPE <name>", then the file's lines, read in up to
// MAX_RETRY + 1 passes, a pass ending when the terminal falls quiet.
class StoredFileDump {
public:
    enum class Next { Line, FileEnd, Stop };

    // `files` and `records`: what the listing announced, which sets the
    // time limit.
    StoredFileDump(Vorn& terminal, std::size_t files, int records);

    // Asks for a file whose listing announced `announced` lines, and logs
    // the request. False when it could not be written (the terminal's
    // status says why).
    bool type(const char* name, int announced);
    // The request of the file being typed ("@TYPE <name>").
    const char* request() const { return request_; }
    // The next line of the file into `line` (kStoredLineSize + 1 bytes).
    // The terminal's echoes of the request are waited out. FileEnd at the
    // file's end of transfer or once every pass stayed quiet; Stop, logged,
    // when the file runs past its announced lines (failure BadTelegram) or
    // the dump past its time limit (failure Timeout).
    Next next(char* line);
    // The line just read was taken as a record: the terminal gets its pause
    // before the next.
    void taken();
    RunError failure() const { return failure_; }

private:
    Vorn& terminal_;
    const int wait_;
    const int passes_;
    const fnd::Deadline deadline_;
    bool first_ = true;
    int delayMs_ = 0;
    int pass_ = 0;
    int announced_ = 0;
    int lines_ = 0;   // lines taken as the file's records, good or bad
    int echoes_ = 0;  // echoes of the request
    RunError failure_ = RunError::None;
    char request_[kStoredLineSize] = {};
};
