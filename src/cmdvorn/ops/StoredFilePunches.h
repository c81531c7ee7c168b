#pragma once
// The punches of a newer-model terminal, kept in stored files and dumped as
// text lines: the count is the total of the "@DIR" listing (99 when the
// listing made no sense), the records are the lines of each listed file in
// listing order, each converted into a transaction record dated by its
// file's name, and the clear is "%%3", which removes every stored file.
#include "LineRecord.h"
#include "PunchSource.h"
#include "RunContext.h"
#include "StoredFiles.h"

#include <cstddef>
#include <optional>
#include <vector>

class Vorn;

class StoredFilePunches : public PunchSource {
public:
    explicit StoredFilePunches(CMDARG_C& job);

    int count() override;
    // The terminal parameters the conversion needs.
    void prepare() override;
    bool holdsNone(int total) const override;
    void begin(int total) override;
    void end(int) override {}
    Next next() override;
    Delivery deliver(RecordSink& sink) override;
    // The line in hand with its file's name.
    std::uint64_t digest() const override;
    int firstLook(int total) const override { return total; }
    // Checks the terminal's badge format against the definition's.
    void completed(int received) override;
    // Once what was saved is on the disk, and a fresh listing still holds
    // only what was saved.
    bool clear(int total, SavedRecords& saved) override;

private:
    // A stored file as its listing announced it.
    struct ListedFile {
        zString name;
        int records = 0;
    };

    CMDARG_C& job_;
    Vorn& terminal_;
    std::vector<ListedFile> files_;
    LineContext context_;
    std::optional<StoredFileDump> dump_;
    std::size_t file_ = 0;  // the file being typed, or the next one
    bool typing_ = false;
    int handed_ = 0;  // lines handed out as records
    char line_[kStoredLineSize + 1] = {};
};
