#pragma once
// A download whose records go through the record writer into the run's
// output files, in the layouts of the parameter file.
#include "GETREGS_C.h"
#include "RecordWriter.h"

class CMDREGS_C : public GETREGS_C {
public:
    explicit CMDREGS_C(CMDARG_C& job);

    void loadPunchLayout() { writer_.loadPunchLayout(); }
    void loadJobLayout() { writer_.loadJobLayout(); }

protected:
    bool writeTransaction(const TransactionRecord& record) override;
    bool writeJob(const JobRecord& record) override;
    bool writeExtended(const ExtendedRecord& record) override;
    bool secureWritten() override;
    void watchOutput(OutputWatch* watch) override { writer_.setWatch(watch); }

private:
    bool counted(bool written);

    RecordWriter writer_;
};
