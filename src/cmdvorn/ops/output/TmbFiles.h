#pragma once
// The output files of a run. A file is opened at its first line and stays
// open until closeAll(); a file that starts afresh is deleted only before
// its first line of the run, so every terminal of the run appends to it.
#include "RunError.h"
#include "zFile.h"

#include <functional>
#include <memory>
#include <vector>

// Reports a run error (FileOpen, FileWrite) with two texts; wired by the
// caller to the run's error reporting for the terminal at hand.
using ReportError = std::function<void(RunError error, const char* text1, const char* text2)>;

// Where a file's lines go instead of the file itself: a download that runs
// beside others writes into spools of its own, which the run appends to the
// files afterwards in the order a run of one terminal after another keeps.
class OutputRedirect {
public:
    // The file to append to in place of `name`; empty when `name` could not
    // take the lines (reported, as opening `name` itself would be).
    virtual zString pathFor(const zString& name, bool startAfresh, const ReportError& report) = 0;

protected:
    ~OutputRedirect() = default;
};

class TmbFiles_c {
public:
    // The open file of that name (exact, case-sensitive). At its first use
    // in the table it is opened for appending, after deleting it (or, when
    // it cannot be deleted, truncating it) when it starts afresh and was not
    // used before in this run. Reports FileOpen and returns nullptr when it
    // can be neither deleted nor truncated, or cannot be opened.
    zFile* get(const zString& name, bool startAfresh, const ReportError& report);

    // Hands every open file's data to the disk; reports FileWrite for each file
    // that fails. False when any failed.
    bool flushAndSync(const ReportError& report);

    // Closes every open file; which files the run used is kept.
    void closeAll();

    // From now on, files are opened where `redirect` says (nullptr: the
    // files themselves). Neither deleting nor the record of used files
    // applies to redirected ones: they are the redirect's.
    void setRedirect(OutputRedirect* redirect) { redirect_ = redirect; }

    int openCount() const { return static_cast<int>(open_.size()); }
    bool wasUsed(const zString& name) const;

private:
    struct Entry {
        zString name;
        std::unique_ptr<zFile> file;
    };

    std::vector<Entry> open_;
    std::vector<zString> used_;
    OutputRedirect* redirect_ = nullptr;
};
