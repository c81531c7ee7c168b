// Biometric templates, built on the file transfer. The reader type the
// terminal reports picks the variant: template groups in "template.bio"
// (types 2 and 3), or one file per template listed in "template.txt"
// (types 4 and 5 with ".TPL" names, type 6 with ".tpl" names).
#include "Codes.h"
#include "FileTransfer.h"
#include "Operations.h"
#include "TableText.h"
#include "TextFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace qzcom {
namespace {

enum class ReaderVariant { Groups, UpperFiles, LowerFiles };

enum TemplateCode : int {
    kUnknownReader = 1,
    kUploadFailed = 1,
    kListFailed = 2,
    kBadName = 2,
    kTemplateFileFailed = 3,
    kTemplateFailed = 6,
};

constexpr std::size_t kReaderTypeAt = 5;
constexpr std::size_t kNameLength = 12;
constexpr std::size_t kExtensionAt = 8;
constexpr std::size_t kGroupLineLimit = 1023;
constexpr int kLinesPerFinger = 16;

std::optional<ReaderVariant> variantOf(char type) {
    switch (type) {
    case '2':
    case '3': return ReaderVariant::Groups;
    case '4':
    case '5': return ReaderVariant::UpperFiles;
    case '6': return ReaderVariant::LowerFiles;
    default: return std::nullopt;
    }
}

// A raw "E0" telegram; false (with the reply shown) unless it answered "..Rx0000".
bool biometric(Session& s, const std::string& data) {
    std::string reply;
    s.exchange("E0", data, reply);
    if (reply.size() >= 3 && reply.substr(3) == "Rx0000") return true;
    s.message(reply);
    return false;
}

void removeFile(const std::string& name) {
    std::error_code ignored;
    std::filesystem::remove(name, ignored);
}

bool copyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

// Fetches "qzcom.bio" afresh and keeps it as `keptAs`.
bool fetchBio(Session& s, const std::string& keptAs) {
    removeFile("qzcom.bio");
    if (fetchFile(s, "qzcom.bio") != kDone) return false;
    const bool copied = keptAs.empty() || copyFile("qzcom.bio", keptAs);
    if (!keptAs.empty()) removeFile("qzcom.bio");
    return copied;
}

// The badge numbers of "bdglst.bio": a count, then one number per line.
std::vector<long> badgeList() {
    LineReader in("bdglst.bio");
    std::vector<long> badges;
    auto first = in.next(kGroupLineLimit);
    const long count = first ? std::atol(first->c_str()) : 0;
    while (static_cast<long>(badges.size()) < count) {
        auto line = in.next(kGroupLineLimit);
        if (!line) break;
        badges.push_back(std::atol(line->c_str()));
    }
    return badges;
}

int downloadGroups(Session& s) {
    OutputFile all("template.bio", "w");
    s.subStatus = "Download Badge list...";
    if (!biometric(s, "RxBadgeList")) return kDone;
    if (!fetchBio(s, "bdglst.bio")) return kListFailed;
    const std::vector<long> badges = badgeList();
    int result = kDone;
    for (std::size_t i = 0; i < badges.size() && !s.stopFlag; ++i) {
        s.subStatus = format("RxTemplate %04ld of %04ld", static_cast<long>(i + 1), static_cast<long>(badges.size()));
        s.status(static_cast<int>(100 * i / badges.size()), "RxTemplate");
        if (!biometric(s, format("RxTemplate %09ld", badges[i]))) break;
        if (!fetchBio(s, "")) {
            result = kTemplateFailed;
            break;
        }
        all.write(readWholeFile("qzcom.bio"));
    }
    s.subStatus.clear();
    all.close();
    return result;
}

int uploadGroups(Session& s) {
    LineReader in("template.bio");
    if (!in.isOpen()) {
        s.message("File mancante", "template.bio");
        return kFileMissing;
    }
    int result = kDone;
    for (long group = 1; !s.stopFlag; ++group) {
        auto header = in.next(kGroupLineLimit);
        if (!header) break;
        char word[256], other[256];
        unsigned long badge = 0, fingers = 0;
        std::sscanf(header->c_str(), "%255s %lu %255s %lu", word, &badge, other, &fingers);
        std::string bio = *header;
        for (unsigned long i = 0; i < fingers * kLinesPerFinger; ++i)
            if (auto line = in.next(kGroupLineLimit)) bio += *line;
        if (!writeWholeFile("qzcom.bio", bio)) return kUploadFailed;
        s.subStatus = format("TxTemplate %04ld", group);
        if (sendFile(s, "qzcom.bio") != kDone || !biometric(s, "TxTemplate")) {
            result = kUploadFailed;
            break;
        }
    }
    s.subStatus.clear();
    return result;
}

// A listed template file name: its first twelve characters, with the extension checked.
std::optional<std::string> templateName(const std::string& line, ReaderVariant variant) {
    std::string name = withoutLineEnd(line).substr(0, kNameLength);
    const char* extension = variant == ReaderVariant::LowerFiles ? ".tpl" : ".TPL";
    if (name.size() < kNameLength || name.compare(kExtensionAt, 4, extension) != 0) return std::nullopt;
    return name;
}

int downloadFiles(Session& s, ReaderVariant variant) {
    s.subStatus = "Download Badge list...";
    if (!biometric(s, "RxBadgeList")) return kUploadFailed;
    s.overwriteQuestionSuppressed = true;
    const std::string list = variant == ReaderVariant::LowerFiles ? "bdglst.tpl" : "qzcom.tmp";
    int result = kDone, count = 0;
    if (fetchFile(s, list) != kDone || !copyFile(list, "template.txt")) {
        result = kListFailed;
    } else {
        LineReader in("template.txt");
        while (auto line = in.next(kGroupLineLimit)) {
            if (s.stopFlag) break;
            auto name = templateName(*line, variant);
            if (!name) {
                result = kBadName;
                break;
            }
            if (fetchFile(s, *name) != kDone) {
                result = kTemplateFileFailed;
                break;
            }
            s.subStatus = format("RxTemplate %04d", ++count);
            s.status(0, *name);
        }
    }
    s.overwriteQuestionSuppressed = false;
    s.subStatus.clear();
    s.message(format("Read %04d templates", count));
    return result;
}

int uploadFiles(Session& s, ReaderVariant variant) {
    s.subStatus.clear();
    LineReader in("template.txt");
    if (!in.isOpen()) return kUploadFailed;
    int count = 0;
    while (auto line = in.next(kGroupLineLimit)) {
        if (s.stopFlag) break;
        auto name = templateName(*line, variant);
        if (!name) return kBadName;
        if (variant == ReaderVariant::UpperFiles)
            std::transform(name->begin(), name->end(), name->begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (sendFile(s, *name) != kDone) return kTemplateFileFailed;
        s.subStatus = format("TxTemplate %04d", ++count);
    }
    s.message(format("Write %04d templates", count));
    return kDone;
}

// The reader type, or the code that ends the operation.
int readerVariant(Session& s, ReaderVariant& variant) {
    std::string reply;
    const int result = s.exchange("03", "", reply);
    if (result != kDone) return result;
    auto found = variantOf(reply.size() > kReaderTypeAt ? reply[kReaderTypeAt] : '\0');
    if (!found) return kUnknownReader;
    variant = *found;
    return kDone;
}

}  // namespace

int rxTemplate(Session& s, const std::string&, std::string&) {
    ReaderVariant variant;
    if (int result = readerVariant(s, variant); result != kDone) return result;
    return variant == ReaderVariant::Groups ? downloadGroups(s) : downloadFiles(s, variant);
}

int txTemplate(Session& s, const std::string&, std::string&) {
    ReaderVariant variant;
    if (int result = readerVariant(s, variant); result != kDone) return result;
    return variant == ReaderVariant::Groups ? uploadGroups(s) : uploadFiles(s, variant);
}

int txFar(Session& s, const std::string& parameter, std::string&) {
    constexpr const char* kGood = "T01Rx0000";
    std::string reply;
    s.exchange("E0", "RxBadgeList", reply);
    if (reply != kGood) return kDone;
    if (!fetchBio(s, "bdglst.bio")) return kListFailed;
    const std::vector<long> badges = badgeList();
    for (std::size_t i = 0; i < badges.size() && !s.stopFlag; ++i) {
        s.status(static_cast<int>(100 * i / badges.size()), "TxFar");
        s.exchange("E0", format("TxFar %09ld %s", badges[i], parameter.c_str()), reply);
        if (reply != kGood) break;
    }
    return kDone;
}

}  // namespace qzcom
