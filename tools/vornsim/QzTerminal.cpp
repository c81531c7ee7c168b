#include "QzTerminal.h"

#include <cstdio>
#include <cstdlib>
#include <random>

namespace vornsim::qz {
namespace {

enum QzReplyCode : int { kAccepted = 0, kEndOfFile = 1, kNoSuchFile = 2, kBadRequest = 3 };

constexpr std::size_t kRecordLength = 26;
constexpr int kBlockRecords = 10;
constexpr std::size_t kTextChunk = 200;
constexpr std::size_t kBinaryChunk = 128;
const std::string kEndOfTransit = "END OF TRANSIT";

std::string padded(std::string text, std::size_t length) {
    text.resize(length, ' ');
    return text;
}

// Direction digit (with 8 added for exits), badge, cause, time, reader: 26 characters.
std::string transaction(std::mt19937& random, int serial) {
    char text[64];
    const int direction = static_cast<int>(random() % 8) + (random() % 2 ? 8 : 0);
    std::snprintf(text, sizeof text, "%c%07d%04d%012d%02d", '0' + direction, serial % 10000000,
                  static_cast<int>(random() % 10000), static_cast<int>(random() % 1000000000),
                  static_cast<int>(random() % 100));
    return std::string(text, kRecordLength);
}

int numberIn(const std::string& text, int base = 10) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, base);
    return end == text.c_str() ? -1 : static_cast<int>(v);
}

std::string hexOf(std::string_view bytes) {
    std::string out;
    char pair[3];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", c);
        out += pair;
    }
    return out;
}

std::string bytesOf(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16));
    return out;
}

std::string escapedLineEnds(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

}  // namespace

bool isTextTransfer(const std::string& name) { return name.compare(0, 6, "qzcom.") == 0; }

void QzTerminal::generate(const QzData& data) {
    std::mt19937 random(static_cast<std::uint32_t>(data.seed + address));
    memoryBlocks = data.memoryBlocks;
    loadCode = data.loadCode;
    for (int i = 0; i < data.records; ++i) transactions.push_back(transaction(random, data.records - i));
    char text[160];
    secondKindLength = data.secondKindLength;
    for (int i = 0; i < data.secondKind; ++i) secondKind.push_back(secondKindRecord(random, i));
    for (int i = 0; i < data.loadRecords; ++i) {
        std::snprintf(text, sizeof text, "%06d %08u", i + 1, static_cast<unsigned>(random()));
        loadRecords.push_back(text);
    }
    for (int i = 0; i < data.badges; ++i) {
        std::snprintf(text, sizeof text, "%010u 0%d 01 BADGE%04d", static_cast<unsigned>(random() % 1000000000), i % 4, i + 1);
        badges.push_back(text);
    }
    readerType = data.readerType;
    extraTemplateNames = data.templateFiles;
    for (const auto& name : extraTemplateNames) files[name] = std::string(300, 'T');
    for (const auto& [name, size] : data.endless) endlessFiles[name] = size;
    for (int i = 0; i < data.templates; ++i) {
        const long badge = 1001 + i;
        templateBadges.push_back(badge);
        std::string bytes;
        for (int k = 0; k < 300; ++k) bytes += static_cast<char>(random() % 256);
        files[templateName(badge)] = bytes;
    }
    for (int i = 1; i <= data.configParameters; ++i) {
        std::snprintf(text, sizeof text, "Parameter %03d value     %d", i, i * 7);
        config[i] = text;
    }
}

void QzTerminal::addTransactions(int count, std::uint32_t seed) {
    std::mt19937 random(seed);
    const int serial = static_cast<int>(transactions.size());
    for (int i = 0; i < count; ++i)
        transactions.insert(transactions.begin(), transaction(random, serial + i + 1));
}

std::string QzTerminal::secondKindRecord(std::mt19937& random, int serial) const {
    char text[160];
    std::snprintf(text, sizeof text, "P%05d %08u second kind record", serial, static_cast<unsigned>(random()));
    std::string record = text;
    if (static_cast<int>(record.size()) < secondKindLength) record.resize(static_cast<std::size_t>(secondKindLength), '.');
    return record;
}

void QzTerminal::addSecondKind(int count, std::uint32_t seed) {
    std::mt19937 random(seed);
    const int serial = static_cast<int>(secondKind.size());
    for (int i = 0; i < count; ++i) secondKind.insert(secondKind.begin(), secondKindRecord(random, serial + i));
}

std::string QzTerminal::status(int code) const {
    char text[32];
    std::snprintf(text, sizeof text, "T%02dRx%04d", address % 100, code);
    return text;
}

std::optional<std::string> QzTerminal::transactionBlock(const std::string& data) const {
    const int block = numberIn(data);
    if (block < 0 || block >= memoryBlocks) return status(kBadRequest);
    std::string text;
    for (int i = 0; i < kBlockRecords; ++i) {
        const std::size_t index = static_cast<std::size_t>(block * kBlockRecords + i);
        text += index < transactions.size() ? transactions[index] : padded(kEndOfTransit, kRecordLength);
    }
    return text;
}

std::optional<std::string> QzTerminal::fileRequest(const QzRequest& r) {
    // "F0": "name block data" or "name FFFF"; "F1": "name block"; "F2"/"F3": "name".
    const std::size_t blank = r.data.find(' ');
    const std::string name = r.data.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : r.data.substr(blank + 1);
    if (r.code == "F2") return status(files.erase(name) ? kAccepted : kNoSuchFile);
    if (auto endless = endlessFiles.find(name); endless != endlessFiles.end()) {
        // Answers every block, whatever its number, and never reaches the end.
        if (r.code == "F3") return endless->second < 0 ? status(kNoSuchFile) : std::to_string(endless->second);
        if (r.code == "F1") return isTextTransfer(name) ? std::string(kTextChunk, 'e') : hexOf(std::string(kBinaryChunk, 'e'));
    }
    if (r.code == "F3") {
        auto f = files.find(name);
        return f == files.end() ? status(kNoSuchFile) : std::to_string(f->second.size());
    }
    const int block = numberIn(rest.substr(0, 4), 16);
    if (r.code == "F0") {
        if (rest.substr(0, 4) == "FFFF") {
            files[name] = incoming_[name];
            incoming_.erase(name);
            return status(kAccepted);
        }
        if (block < 0 || rest.size() < 5) return status(kBadRequest);
        if (block == 0) incoming_[name].clear();
        const std::string piece = rest.substr(5);
        incoming_[name] += isTextTransfer(name) ? piece + "\n" : bytesOf(piece);
        return status(kAccepted);
    }
    auto f = files.find(name);
    if (f == files.end()) return status(kNoSuchFile);
    const std::size_t chunk = isTextTransfer(name) ? kTextChunk : kBinaryChunk;
    const std::size_t at = static_cast<std::size_t>(block < 0 ? 0 : block) * chunk;
    if (at >= f->second.size()) return status(kEndOfFile);
    const std::string_view piece = std::string_view(f->second).substr(at, chunk);
    return isTextTransfer(name) ? escapedLineEnds(piece) : hexOf(piece);
}

std::string QzTerminal::templateName(long badge) const {
    char name[32];
    std::snprintf(name, sizeof name, readerType == '6' ? "%08ld.tpl" : "%08ld.TPL", badge);
    return name;
}

// Template groups: a header "%s %lu %s %lu" whose last number n is followed by n x 16 lines.
std::string QzTerminal::biometric(const std::string& data) {
    constexpr int kFingers = 2, kLinesPerFinger = 16;
    if (data == "RxBadgeList") {
        std::string list;
        if (readerType == '2' || readerType == '3') {
            list = std::to_string(templateBadges.size()) + "\n";
            for (long badge : templateBadges) list += std::to_string(badge) + "\n";
            files["qzcom.bio"] = list;
        } else {
            for (long badge : templateBadges) list += templateName(badge) + "\n";
            for (const auto& name : extraTemplateNames) list += name + "\n";
            files[readerType == '6' ? "bdglst.tpl" : "qzcom.tmp"] = list;
        }
        return status(kAccepted);
    }
    long badge = 0;
    char value[256] = "";
    if (std::sscanf(data.c_str(), "RxTemplate %ld", &badge) == 1) {
        std::string group = "BIO " + std::to_string(badge) + " FP " + std::to_string(kFingers) + "\n";
        for (int i = 0; i < kFingers * kLinesPerFinger; ++i)
            group += std::string(32, static_cast<char>('A' + (badge + i) % 26)) + "\n";
        files["qzcom.bio"] = group;
        return status(kAccepted);
    }
    if (data == "TxTemplate") {
        uploadedTemplates.push_back(files["qzcom.bio"]);
        return status(kAccepted);
    }
    if (std::sscanf(data.c_str(), "TxFar %ld %255s", &badge, value) == 2) {
        farValues[badge] = value;
        return status(kAccepted);
    }
    return status(kBadRequest);
}

std::optional<std::string> QzTerminal::answer(const QzRequest& r) {
    if (r.code == "03") return std::string("READ ") + readerType + " BIOMETRIC";
    if (r.code == "E0") return biometric(r.data);
    if (r.code == "01") clockText = r.data;
    if (r.code == "30") return transactionBlock(r.data);
    if (r.code == "55") {
        const int index = numberIn(r.data);
        if (index < 0) return status(kBadRequest);
        return static_cast<std::size_t>(index) < secondKind.size() ? secondKind[static_cast<std::size_t>(index)]
                                                                 : "End of PrTransit";
    }
    if (r.code == "48") {
        const int index = numberIn(r.data);
        return index >= 1 && static_cast<std::size_t>(index) <= badges.size()
                   ? badges[static_cast<std::size_t>(index - 1)]
                   : "EMPTY";
    }
    if (r.code == "95") {
        // Past the last parameter the terminal repeats the last one it has.
        if (config.empty()) return std::string("NONE");
        auto p = config.upper_bound(numberIn(r.data));
        return p == config.begin() ? config.begin()->second : std::prev(p)->second;
    }
    if (r.code == "94") {
        config[numberIn(r.data.substr(0, 4))] = r.data.size() > 5 ? r.data.substr(5) : "";
        return status(kAccepted);
    }
    if (r.code.size() == 2 && r.code[0] == 'F' && r.code[1] >= '0' && r.code[1] <= '3') return fileRequest(r);
    if (r.code == loadCode) {
        // Record index in hex; past the end a record beginning with '0'.
        const int index = numberIn(r.data, 16);
        if (index < 0) return status(kBadRequest);
        return static_cast<std::size_t>(index) < loadRecords.size()
                   ? r.code + loadRecords[static_cast<std::size_t>(index)]
                   : std::string("0000");
    }
    return status(kAccepted);
}

}  // namespace vornsim::qz
