#pragma once
// A terminal of the QZ family: its address, clock and stored data, and the
// reply text it gives to each request code.
#include "QzFrame.h"

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace vornsim::qz {

struct QzData {
    int records = 0;        // transactions (26 characters each), newest first
    int memoryBlocks = 3000;  // blocks of ten the transaction memory holds
    int secondKind = 0;     // records of the second kind
    int loadRecords = 0;    // records of the LOADTRANSIT code
    std::string loadCode = "31";
    int badges = 0;
    int configParameters = 0;
    int templates = 0;      // badges with biometric templates
    char readerType = '2';  // '2'/'3' template groups, '4'/'5' and '6' template files
    std::vector<std::string> templateFiles;  // further names for the template file list, as given
    std::vector<std::pair<std::string, long>> endless;  // files that never end; size announced, or -1
    int secondKindLength = 0;  // pads second-kind records to this length
    int seed = 1;
};

struct QzTerminal {
    int address = 1;
    std::vector<std::string> transactions;  // newest first
    std::vector<std::string> secondKind;
    std::vector<std::string> loadRecords;   // prefixed by the code when read
    std::string loadCode = "31";
    std::vector<std::string> badges;
    std::map<int, std::string> config;      // parameter number -> value text
    std::map<std::string, std::string> files;  // the file store: name -> bytes
    std::string clockText;                  // the last "01" data, as sent
    char readerType = '2';
    std::vector<long> templateBadges;
    std::vector<std::string> uploadedTemplates;  // each "qzcom.bio" a TxTemplate took
    std::map<long, std::string> farValues;       // badge -> the TxFar value
    std::vector<std::string> extraTemplateNames;  // listed as they are, whatever they name
    std::map<std::string, long> endlessFiles;     // name -> announced size (-1: none)
    int memoryBlocks = 3000;
    int secondKindLength = 0;

    void generate(const QzData& data);
    // K new transactions in front of the stored ones.
    void addTransactions(int count, std::uint32_t seed);
    // K new second-kind records in front of the stored ones.
    void addSecondKind(int count, std::uint32_t seed);

    // "T<address>Rx<code>": the reply that carries a reply code.
    std::string status(int code) const;
    // The reply text for a request; nothing for a request left unanswered.
    std::optional<std::string> answer(const QzRequest& request);

private:
    std::optional<std::string> transactionBlock(const std::string& data) const;
    std::optional<std::string> fileRequest(const QzRequest& request);
    std::string biometric(const std::string& data);
    std::string templateName(long badge) const;
    std::string secondKindRecord(std::mt19937& random, int serial) const;
    std::map<std::string, std::string> incoming_;  // files being received, until their end block
};

// Transfers of names beginning "qzcom." are text, others binary hex blocks.
bool isTextTransfer(const std::string& name);

}  // namespace vornsim::qz
