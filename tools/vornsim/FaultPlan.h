#pragma once
// Faults chosen for one run. Each is tied to requests by a selector:
// a request number N (the Nth telegram a served terminal received, counting
// from 1 over all endpoints), an exact command text ("RE,DE"), a prefix
// ending in '*' ("RE,GE,*"), or "*" for every request.
#include <string>
#include <vector>

namespace vornsim {

enum class Fault {
    NoReply, BadChecksum, Noise, WrongDestination, Warning, Error, LateReply, Drop,
    StrayReply, ShortData, ControlText, GarbageLine, EndlessDump
};

const char* faultName(Fault f);

class FaultSelector {
public:
    static bool parse(const std::string& text, FaultSelector& out);
    bool matches(int requestNumber, const std::string& command) const;

private:
    int number_ = 0;
    std::string text_;
    bool prefix_ = false;
};

class FaultPlan {
public:
    // False when the selector cannot be read.
    bool add(Fault fault, const std::string& selector);
    // "K" or "K@SEL": after answering the first request that matches SEL
    // (default "RE,NR"), K fresh records are added to that terminal.
    bool addRecordsAfter(const std::string& entry);

    std::vector<Fault> faultsFor(int requestNumber, const std::string& command) const;
    // The number of records to add after this request; fires once.
    int takeRecordsToAdd(int requestNumber, const std::string& command);

private:
    std::vector<std::pair<Fault, FaultSelector>> faults_;
    int addCount_ = 0;
    FaultSelector addSelector_;
    bool addDone_ = false;
};

}  // namespace vornsim
