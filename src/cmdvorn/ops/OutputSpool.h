#pragma once
// The spools of one command that runs beside the commands of other links.
// Its lines go into files of its own in the journal folder instead of the
// output files. The run appends the spools to the output files in the order
// a run of one terminal after another writes them, so each terminal's lines
// stay one block and the files read as if the terminals had run one by one.
//
// A spool is an output file like the others for its download: it is synced
// before the terminal is told to delete anything, and the restart journal
// marks it, so a run killed before the delete cuts it back.
//
// A manifest beside the spools says where each goes, one checked line each,
// in the restart journal's form:
//   cmdvorn-spool 1
//   P <term>                               whose lines they are
//   S <k> <afresh 0|1> <output file>       spool <k> goes to that file
//   C <k> <dev> <ino> <born> <size>        appending spool <k> began there
// A killed run leaves manifests and spools; the next run appends what they
// hold (first cutting back a spool appended half-way) before it writes
// anything else.
#include "TmbFiles.h"

#include <string>
#include <sys/types.h>
#include <vector>

class RunContext;

class SpoolSet : public OutputRedirect {
public:
    // `name` is unique among the spools of all runs and sorts them in the
    // order they must be appended.
    SpoolSet(const zString& dataDirectory, std::string name, int terminalNumber);
    ~SpoolSet();
    SpoolSet(const SpoolSet&) = delete;
    SpoolSet& operator=(const SpoolSet&) = delete;

    // A new spool for `name`, noted in the manifest and on the disk before
    // its path is handed out. Empty (reported as FileOpen) when `name`
    // itself could not be opened for appending, or the spool not be made.
    zString pathFor(const zString& name, bool startAfresh, const ReportError& report) override;

    bool empty() const { return spools_.empty(); }

    // Appends each spool to its output file through `files`, which opens it
    // as any download would (a file that starts afresh is emptied at its
    // first use of the run), syncs it, then removes spools and manifest.
    // False (reported as FileWrite) when a spool could not be appended: the
    // file is cut back to before it, and the spools stay for the next run.
    bool commit(TmbFiles_c& files, const ReportError& report);

private:
    struct Spool {
        std::string path;
        zString output;
        bool startAfresh;
    };

    bool note(const std::string& body);
    void removeAll();

    std::string directory_;
    zString dataDirectory_;
    std::string name_;
    int terminal_;
    int manifest_ = -1;
    mode_t fileMode_ = 0600;
    std::vector<Spool> spools_;
};

// At the run's first download, before it writes anything: the spools a
// killed run left, appended to their output files in their order.
void recoverSpools(RunContext& run);
