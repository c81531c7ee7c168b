#pragma once
// Where a download hands each record it fetched and checked. Each returns
// false when the record could not be written (the job then carries why),
// which ends the download: nothing is deleted on the terminal.
#include "TransactionRecords.h"

class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual bool writeTransaction(const TransactionRecord& record) = 0;
    virtual bool writeJob(const JobRecord& record) = 0;
    virtual bool writeExtended(const ExtendedRecord& record) = 0;
};
