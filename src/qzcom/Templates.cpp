// Biometric templates, built on the file transfer. The reader type the
// terminal reports picks the variant: template groups in "template.bio"
// (types 2 and 3), or one file per template listed in "template.txt"
// (types 4 and 5 with ".TPL" names, type 6 with ".tpl" names).
#include "Codes.h"
#include "FileTransfer.h"
#include "Operations.h"
#include "TableText.h"
#include "TemplateLists.h"
#include "TextFile.h"
#include "zReplacingFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace qzcom {
namespace {

enum TemplateCode : int {
    kUnknownReader = 1,
    kUploadFailed = 1,
    kListFailed = 2,
    kBadName = 2,
    kTemplateFileFailed = 3,
    kTemplateFailed = 6,
};

constexpr std::size_t kReaderTypeAt = 5;

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
// The badge numbers of "bdglst.bio"; nothing (refused) past the maximum.
std::optional<std::vector<long>> badgeList(Session& s) {
    auto badges = readBadgeList("bdglst.bio");
    if (!badges) s.refuse("Badge list count refused", "bdglst.bio");
    return badges;
}

int downloadGroups(Session& s) {
    // "template.bio" is replaced only when the download ends well.
    zReplacingFile all("template.bio");
    if (!all.open()) {
        s.message("error on writing", "template.bio");
        return kLocalFileFailed;
    }
    s.subStatus = "Download Badge list...";
    int result = kDone;
    if (biometric(s, "RxBadgeList")) {
        std::optional<std::vector<long>> badges;
        if (!fetchBio(s, "bdglst.bio") || !(badges = badgeList(s))) result = kListFailed;
        for (std::size_t i = 0; badges && i < badges->size() && result == kDone; ++i) {
            const long count = static_cast<long>(badges->size());
            s.subStatus = format("RxTemplate %04ld of %04ld", static_cast<long>(i + 1), count);
            s.status(static_cast<int>(100 * static_cast<long>(i) / count), "RxTemplate");
            if (s.stopFlag) break;
            if (!biometric(s, format("RxTemplate %09ld", (*badges)[i]))) break;
            if (!fetchBio(s, "")) {
                result = kTemplateFailed;
                break;
            }
            const std::string group = readWholeFile("qzcom.bio");
            if (!all.write(group.data(), group.size())) result = kLocalFileFailed;
        }
    }
    s.subStatus.clear();
    if (s.stopFlag && result == kDone) result = kStopped;
    if (result != kDone) return result;  // the old file stays
    if (!all.commit()) {
        s.message("error on writing", "template.bio");
        return kLocalFileFailed;
    }
    return kDone;
}

// One group of "template.bio": its header and the 16 lines of each finger;
// `group` stays empty at the end of the file. A header whose count is not
// believable, or a group the file ends inside, is refused.
int readGroup(Session& s, LineReader& in, std::string& group) {
    group.clear();
    std::optional<std::string> header;
    do {
        header = in.next(kTemplateLineLimit);
        if (!header) return kDone;
    } while (header->find_first_not_of(" \t\n") == std::string::npos);  // blank lines between groups
    const std::optional<unsigned long> fingers = groupFingers(*header);
    if (!fingers) {
        s.refuse("Template group header refused", withoutLineEnd(*header));
        return kUploadFailed;
    }
    group = *header;
    for (unsigned long i = 0; i < *fingers * kLinesPerFinger; ++i) {
        auto line = in.next(kTemplateLineLimit);
        if (!line) {
            s.refuse("Template group cut short", withoutLineEnd(*header));
            return kUploadFailed;
        }
        group += *line;
    }
    return kDone;
}

int uploadGroups(Session& s) {
    LineReader in("template.bio");
    if (!in.isOpen()) {
        s.message("File mancante", "template.bio");
        return kFileMissing;
    }
    int result = kDone;
    for (long group = 1; result == kDone; ++group) {
        s.subStatus = format("TxTemplate %04ld", group);
        s.status(0, "TxTemplate");
        if (s.stopFlag) {
            result = kStopped;
            break;
        }
        std::string bio;
        result = readGroup(s, in, bio);
        if (result != kDone || bio.empty()) break;
        if (!writeWholeFile("qzcom.bio", bio)) {
            result = kUploadFailed;
            break;
        }
        if (sendFile(s, "qzcom.bio") != kDone || !biometric(s, "TxTemplate")) result = kUploadFailed;
    }
    s.subStatus.clear();
    return result;
}

// Every name of "template.txt", checked before any is used: nothing, with
// `result` set, when one is refused or the list is too long.
std::optional<std::vector<std::string>> templateNames(Session& s, ReaderVariant variant, int& result) {
    LineReader in("template.txt");
    std::vector<std::string> names;
    while (auto line = in.next(kTemplateLineLimit)) {
        auto name = templateName(*line, variant);
        if (!name) {
            s.refuse("Template file name refused", withoutLineEnd(*line));
            result = kBadName;
            return std::nullopt;
        }
        if (static_cast<int>(names.size()) >= kMostTemplateFiles) {
            s.refuse("Too many template files in", "template.txt");
            result = kBadName;
            return std::nullopt;
        }
        names.push_back(*name);
    }
    return names;
}

int downloadFiles(Session& s, ReaderVariant variant) {
    s.subStatus = "Download Badge list...";
    if (!biometric(s, "RxBadgeList")) return kUploadFailed;
    s.overwriteQuestionSuppressed = true;
    const std::string list = variant == ReaderVariant::LowerFiles ? "bdglst.tpl" : "qzcom.tmp";
    int result = kDone, count = 0;
    if (fetchFile(s, list) != kDone || !copyFile(list, "template.txt")) {
        result = kListFailed;
    } else if (auto names = templateNames(s, variant, result)) {
        for (const std::string& name : *names) {
            if (s.stopFlag) break;
            if (fetchFile(s, name) != kDone) {
                result = kTemplateFileFailed;
                break;
            }
            s.subStatus = format("RxTemplate %04d", ++count);
            s.status(0, name);
        }
    }
    s.overwriteQuestionSuppressed = false;
    s.subStatus.clear();
    s.message(format("Read %04d templates", count));
    return result;
}

int uploadFiles(Session& s, ReaderVariant variant) {
    s.subStatus.clear();
    if (!fileExists("template.txt")) return kUploadFailed;
    int result = kDone, count = 0;
    auto names = templateNames(s, variant, result);
    if (!names) return result;
    for (std::string name : *names) {
        if (s.stopFlag) break;
        if (variant == ReaderVariant::UpperFiles)
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (sendFile(s, name) != kDone) return kTemplateFileFailed;
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
    const std::optional<std::vector<long>> badges = badgeList(s);
    if (!badges) return kListFailed;
    for (std::size_t i = 0; i < badges->size() && !s.stopFlag; ++i) {
        s.status(static_cast<int>(100 * i / badges->size()), "TxFar");
        s.exchange("E0", format("TxFar %09ld %s", (*badges)[i], parameter.c_str()), reply);
        if (reply != kGood) break;
    }
    return kDone;
}

}  // namespace qzcom
