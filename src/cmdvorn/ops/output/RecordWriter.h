#pragma once
// Writes each downloaded record as one text line into the file of its kind:
// punches (and undefined kinds) into [Timbrature] FILE_NAME or the
// terminal's own file, access records into [Accessi], canteen records into
// [Mensa], job records into [Commesse]; every line also into the [Timbrature]
// BACKUP when one is set. The line is composed in a buffer of the writer, so
// a record costs no allocation and nothing of it stays after the write.
#include "LineBuffer.h"
#include "PrivateFormat.h"
#include "RecordLayout.h"
#include "RunSettings.h"
#include "TmbFiles.h"
#include "TransactionRecords.h"

// The terminal a download writes for, filled by the caller from its definition.
struct WriterTerminal {
    zString section;              // its section header, where TFLD1 .. TFLD8 live
    zString tmbFileName;          // TMB_FILE_NAME; empty: "tmb.dat"
    bool tmbStartAfresh = false;  // TMB_FILE_MODE begins with N or n
};

// What the writer keeps for the whole run: the layouts, once loaded, and the
// output files with the record of which ones the run has used.
struct RecordWriterRun {
    LINE_FORMAT punchLayout;  // [Timbrature]: punches, access and canteen records
    LINE_FORMAT jobLayout;    // [Commesse]: kind C and job records
    TmbFiles_c files;
    // The restart journals that killed downloads left were dealt with.
    bool journalsRecovered = false;
};

// Told before each line goes into an output file, so that it can note the
// file as it was before the download's first line into it.
class OutputWatch {
public:
    virtual void appending(const zFile& file) = 0;

protected:
    ~OutputWatch() = default;
};

class RecordWriter {
public:
    RecordWriter(RecordWriterRun& run, const RunSettings& settings, const ParameterLookup& parameters,
                 WriterTerminal terminal, zLogger& log, ReportError report);
    // Closes the output files: they stay open for one download command only.
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // Load a layout unless the run already holds it; a layout without fields
    // is read again, so a later download sees a layout added meanwhile.
    void loadPunchLayout();
    void loadJobLayout();

    // True when the line reached its file and the backup; each success
    // raises saved(). Failures report FileOpen or FileWrite.
    bool writeTransaction(const TransactionRecord& record);
    bool writeJob(const JobRecord& record);
    bool writeExtended(const ExtendedRecord& record);

    int saved() const { return saved_; }
    // nullptr: nobody watches.
    void setWatch(OutputWatch* watch) { watch_ = watch; }

    // Every open output file and the backup onto the disk, before the
    // terminal is told to delete anything; reports FileWrite on failure.
    bool flushAndSync();
    void closeAll();

private:
    zFile* fileFor(std::uint8_t flags);
    const PRIVATE_FORMAT_C& ownFields();
    bool store(zFile& file);
    bool writeLineTo(zFile& file);

    RecordWriterRun& run_;
    const RunSettings& settings_;
    const ParameterLookup& parameters_;
    WriterTerminal terminal_;
    zLogger& log_;
    ReportError report_;
    PRIVATE_FORMAT_C ownFields_;
    int saved_ = 0;
    LineBuffer line_;
    OutputWatch* watch_ = nullptr;
};
