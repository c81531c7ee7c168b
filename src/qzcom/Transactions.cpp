// The three transaction downloads. Each writes its records to a file and
// remembers the first record of a complete download in a marker file, so the
// next download stops where this one began. The marker moves only when the
// download ended cleanly and its output is safely on the disk.
#include "Codes.h"
#include "Frame.h"
#include "Operations.h"
#include "TextFile.h"
#include "TransactionLine.h"

#include <cstdio>

namespace qzcom {
namespace {

enum DownloadCode : int {
    kWriteFailed = 4,        // "error on writing qzcom.trn"
    kMarkerFailed = 5,       // "error on closing qzcom.trn"
    kBlockRetriesUsed = 90,  // RXTRANSIT: over four repeatable errors on one block
    kLoadRetriesUsed = 96,   // LOADTRANSIT: over four repeatable errors in all
};

constexpr std::size_t kRecordLength = 26;
constexpr int kBlockRecords = 10;
constexpr int kLastBlockOffset = 29990;
constexpr int kRepeatableErrors = 4;
constexpr std::size_t kEndMarkLength = 14;
constexpr const char* kEndOfTransit = "END OF TRANSIT";
constexpr const char* kEndOfSecondKind = "End of PrTransit";
constexpr std::size_t kSecondKindCompared = 124;
constexpr std::size_t kSecondKindMarkerLimit = 149;
constexpr int kSecondKindLimit = 1001;
constexpr int kLoadLimit = 10001;
constexpr const char* kDefaultLoadCode = "31";

bool repeatable(int code) { return code == 97 || code == 98; }

std::string fileName(const char* format, int address) {
    char name[64];
    std::snprintf(name, sizeof name, format, address);
    return name;
}

std::string fileName(const char* format, const std::string& code, int address) {
    char name[64];
    std::snprintf(name, sizeof name, format, code.c_str(), address);
    return name;
}

int writeFailed(Session& s, OutputFile& output) {
    s.message("error on writing qzcom.trn");
    output.close();
    return kWriteFailed;
}

// The marker's text: its first line without the line end (empty when there is none).
std::string readMarker(const std::string& path, std::size_t limit) {
    LineReader in(path);
    auto line = in.next(limit);
    return line ? withoutLineEnd(*line) : std::string();
}

// After the output is safely closed: the first record becomes the marker.
int moveMarker(Session& s, OutputFile& output, const std::string& markerPath, const std::string& first) {
    if (!output.close()) return writeFailed(s, output);
    if (!writeWholeFile(markerPath, first + "\n")) {
        s.message("error on closing qzcom.trn");
        return kMarkerFailed;
    }
    return kDone;
}

int finish(Session& s, OutputFile& output, int result, bool written, const std::string& markerPath,
           const std::string& first) {
    if (result == kDone && written && !s.stopFlag) return moveMarker(s, output, markerPath, first);
    if (!output.close() && result == kDone) return writeFailed(s, output);
    return result;
}

}  // namespace

int rxTransit(Session& s, const std::string& parameter, std::string&) {
    const bool all = parameter == "all";
    const int address = s.params.address;
    const std::string markerPath = fileName("qzc%02d.qzr", address);
    const std::string marker = readMarker(markerPath, 255).substr(0, kRecordLength);
    OutputFile output(fileName("qzc%02d.trn", address), "w");
    if (!output.isOpen()) return writeFailed(s, output);
    const LineConversion conversion{s.settings.causLikeSofter != 0, s.settings.writeIdNumber != 0, address};

    std::string first;
    int result = kDone, errors = 0;
    for (int block = 0, offset = 0; offset <= kLastBlockOffset && !s.stopFlag;) {
        char status[64], number[16];
        std::snprintf(status, sizeof status, "RxTrnsit Transit %02d", offset);
        s.status(block / 10, status);
        std::snprintf(number, sizeof number, "%04d", block);
        std::string reply;
        int code = s.exchange("30", number, reply);
        // A block that is not ten whole records counts as a repeatable error.
        if (code == kDone && reply.size() < kBlockRecords * kRecordLength) code = 97;
        if (code != kDone) {
            if (errors >= kRepeatableErrors) {
                result = kBlockRetriesUsed;
                break;
            }
            ++errors;
            if (repeatable(code)) continue;
            result = code;
            break;
        }
        bool ended = false;
        for (int i = 0; i < kBlockRecords && !ended; ++i) {
            const std::string record = reply.substr(static_cast<std::size_t>(i) * kRecordLength, kRecordLength);
            if (!all && (record == marker || record == first ||
                         record.compare(0, kEndMarkLength, kEndOfTransit) == 0)) {
                ended = true;
                break;
            }
            if (first.empty()) first = record;
            if (!output.write(transactionLine(record, conversion) + "\n")) return writeFailed(s, output);
        }
        if (ended) break;
        errors = 0;
        ++block;
        offset += kBlockRecords;
    }
    return finish(s, output, result, !first.empty(), markerPath, first);
}

int rxPTransit(Session& s, const std::string&, std::string&) {
    const int address = s.params.address;
    const std::string markerPath = fileName("qzc%02d.qzp", address);
    const std::string marker = readMarker(markerPath, kSecondKindMarkerLimit).substr(0, kSecondKindCompared);
    OutputFile output(fileName("qzc%02d.trp", address), "w");
    if (!output.isOpen()) return writeFailed(s, output);
    std::string first;
    int result = kDone;
    for (int index = 0; index < kSecondKindLimit && !s.stopFlag; ++index) {
        char status[64], number[16];
        std::snprintf(status, sizeof status, "RxPTrnsit Transit %02d", index);
        s.status(index / 10, status);
        std::snprintf(number, sizeof number, "%04d", index);
        std::string reply;
        result = s.exchange("55", number, reply);
        const std::string compared = reply.substr(0, kSecondKindCompared);
        if (result != kDone || compared == marker || reply.substr(0, kSecondKindCompared) == first ||
            reply.compare(0, kEndMarkLength, std::string(kEndOfSecondKind).substr(0, kEndMarkLength)) == 0)
            break;
        if (first.empty()) first = compared;
        if (!output.write(reply + "\n")) return writeFailed(s, output);
    }
    return finish(s, output, result, !first.empty(), markerPath, first);
}

int loadTransit(Session& s, const std::string& parameter, std::string&) {
    const std::string code = parameter.size() == 2 ? parameter : kDefaultLoadCode;
    const int address = s.params.address;
    const std::string markerPath = fileName("qz%s%02d.qzr", code, address);
    const std::string marker = readMarker(markerPath, kMaxLine);
    OutputFile output(fileName("qz%s%02d.trn", code, address), "w");
    if (!output.isOpen()) return writeFailed(s, output);
    std::string first;
    int result = kDone, errors = 0, count = 0;
    for (int index = 0; count < kLoadLimit && !s.stopFlag;) {
        char number[16];
        std::snprintf(number, sizeof number, "%04X", index);
        std::string record;
        int reply = s.exchange(code, number, record);
        if (reply != kDone) {
            if (errors >= kRepeatableErrors) {
                result = kLoadRetriesUsed;
                break;
            }
            ++errors;
            if (repeatable(reply)) continue;
            result = reply;
            break;
        }
        if (record == marker || record == first || record.empty() || record[0] == '0') break;
        if (first.empty()) first = record;
        if (!output.write(record + "\n")) return writeFailed(s, output);
        ++index;
        ++count;
        char status[64];
        std::snprintf(status, sizeof status, "RxTrnsit Transit %02d", count);
        s.status(count / 100, status);
    }
    return finish(s, output, result, !first.empty(), markerPath, first);
}

}  // namespace qzcom
