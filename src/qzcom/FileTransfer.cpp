#include "FileTransfer.h"

#include "Codes.h"
#include "Operations.h"
#include "TableText.h"
#include "TextFile.h"
#include "zDeadline.h"
#include "zReplacingFile.h"

#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>
#include <vector>

namespace qzcom {
namespace {

enum TransferCode : int { kTerminalEndOfFile = 1 };

constexpr std::size_t kBlock = 128;
constexpr std::size_t kTextLineLimit = 1023;
constexpr std::size_t kShortestTextLine = 3;
constexpr int kEndBlock = 0xFFFF;         // also the first block number the protocol cannot carry
constexpr int kUnknownSize = 100;

std::string hexBlock(const char* bytes, std::size_t n) {
    std::string hex;
    for (std::size_t i = 0; i < n; ++i) hex += format("%02X", static_cast<unsigned char>(bytes[i]));
    return hex;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// False when the text holds anything but whole hex pairs.
bool decodeHex(const std::string& hex, std::string& bytes) {
    if (hex.size() % 2) return false;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]), low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

// The terminal escapes line ends as backslash-n and backslash-r; CRs are dropped.
std::string unescapedText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 'r')) {
            if (text[++i] == 'n') out += '\n';
            continue;
        }
        if (text[i] != '\r') out += text[i];
    }
    return out;
}

int sendBlock(Session& s, const std::string& name, int block, int count, const std::string& data) {
    s.status(count > 0 ? 100 * block / count : 0, format("Blk Rec %03d", block));
    return s.exchange("F0", format("%s %04X %s", name.c_str(), block, data.c_str()));
}

int sendText(Session& s, const std::string& name) {
    const int count = countLines(name, kTextLineLimit);
    LineReader in(name);
    int block = 0, result = kDone;
    while (auto line = in.next(kTextLineLimit)) {
        if (line->size() < kShortestTextLine) break;
        if (line->front() == ';') continue;
        const std::string text = line->substr(0, line->find_first_of("\r\n"));
        result = sendBlock(s, name, block++, count, text);
        if (result != kDone || s.stopFlag) break;
    }
    return result;
}

int sendBinary(Session& s, const std::string& name) {
    std::ifstream in(name, std::ios::binary | std::ios::ate);
    const auto size = static_cast<std::size_t>(in.tellg());
    in.seekg(0);
    const int count = size ? static_cast<int>(std::max<std::size_t>(1, size / kBlock)) : 0;
    char bytes[kBlock];
    int block = 0, result = kDone;
    while (in.read(bytes, kBlock) || in.gcount() > 0) {
        result = sendBlock(s, name, block++, count, hexBlock(bytes, static_cast<std::size_t>(in.gcount())));
        if (result != kDone || s.stopFlag) break;
    }
    return result;
}

}  // namespace

bool isTextTransfer(const std::string& name) { return name.compare(0, 6, "qzcom.") == 0; }

int sendFile(Session& s, const std::string& name) {
    if (!fileExists(name)) {
        s.message("File mancante", name);
        return kFileMissing;
    }
    const int result = isTextTransfer(name) ? sendText(s, name) : sendBinary(s, name);
    if (result != kDone || s.stopFlag) return result;
    s.status(100, "Wait...");
    const int end = s.exchange("F0", format("%s %04X", name.c_str(), kEndBlock));
    fnd::sleepMs(200);
    return end;
}

namespace {

// How far a fetch may go: block numbers are four hex digits, and a terminal
// that announced the file's size cannot send more than it said.
class FetchBounds {
public:
    FetchBounds(const Settings& settings, std::optional<long> announced, bool text)
        : end_(settings.transferSeconds() * 1000L),
          announced_(announced), text_(text) {}

    // Whether block `block` may still be asked for.
    bool mayAsk(int block) const {
        if (block >= kEndBlock || end_.passed()) return false;
        if (!announced_) return true;
        // One more block than the data needs, for the terminal's end answer.
        const long lastBlock = text_ ? *announced_ : (*announced_ + kBlock - 1) / static_cast<long>(kBlock);
        return block <= lastBlock;
    }
    // Whether `total` bytes of binary data fit what was announced. Text is
    // held to its block count only: its line ends change size on the way.
    bool fits(std::size_t total) const {
        return text_ || !announced_ || static_cast<long>(total) <= *announced_;
    }

private:
    fnd::Deadline end_;
    std::optional<long> announced_;
    bool text_;
};

// The size the "F3" reply announces, when it is a plain decimal number.
std::optional<long> announcedSize(int code, const std::string& reply) {
    if (code != kDone || reply.empty() || reply.find_first_not_of("0123456789") != std::string::npos ||
        reply.size() > std::to_string(std::numeric_limits<int>::max()).size())
        return std::nullopt;
    return std::atol(reply.c_str());
}

// The new local file starts as the old one when the transfer appends.
bool startAppending(zReplacingFile& out, const std::string& name) {
    std::FILE* old = std::fopen(name.c_str(), "rb");
    if (!old) return true;
    char bytes[BUFSIZ];
    bool ok = true;
    for (std::size_t n; ok && (n = std::fread(bytes, 1, sizeof bytes, old)) > 0;) ok = out.write(bytes, n);
    ok = ok && !std::ferror(old);
    std::fclose(old);
    return ok;
}

}  // namespace

int fetchFile(Session& s, const std::string& name) {
    if (fileExists(name) && !s.overwriteQuestionSuppressed && !s.confirmOverwrite(name)) return kDone;
    std::string reply;
    int result = s.exchange("F3", name, reply);
    const std::optional<long> announced = announcedSize(result, reply);
    const int size = result == kDone ? std::atoi(reply.c_str()) : kUnknownSize;
    const bool text = isTextTransfer(name);
    const bool append = (name == "qzcom.trn" || name == "qzcom.tra") && s.settings.trnAppendMode == 1;
    // The local file is replaced only by a complete transfer: a failed,
    // stopped or endless one leaves it as it was.
    zReplacingFile out(name);
    if (!out.open() || (append && !startAppending(out, name))) {
        s.message("error on writing", name);
        return kLocalFileFailed;
    }
    const FetchBounds bounds(s.settings, announced, text);
    const int count = text ? size : size / static_cast<int>(kBlock) + 1;
    std::size_t total = 0;
    for (int block = 0;; ++block) {
        s.status(count > 0 ? 100 * block / count : 0, format("Blk Rec %03d", block));
        if (s.stopFlag) {
            result = kStopped;
            break;
        }
        if (!bounds.mayAsk(block)) {
            s.refuse("Transfer past its bound", name);
            result = kTransferBound;
            break;
        }
        result = s.exchange("F1", format("%s %04X", name.c_str(), block), reply);
        if (result != kDone) break;
        std::string bytes;
        if (text) {
            bytes = unescapedText(reply);
        } else if (!decodeHex(reply, bytes)) {
            result = kTimeout;  // a garbled block is as good as none
            break;
        }
        total += bytes.size();
        if (!bounds.fits(total)) {
            s.refuse("Transfer past its announced size", name);
            result = kTransferBound;
            break;
        }
        if (!out.write(bytes.data(), bytes.size())) {
            result = kLocalFileFailed;
            break;
        }
    }
    if (result != kTerminalEndOfFile) return result;  // the replacement is abandoned
    if (!out.commit()) {
        s.message("error on writing", name);
        return kLocalFileFailed;
    }
    return kDone;
}

int tFile(Session& s, const std::string& parameter, std::string&) { return sendFile(s, parameter); }
int rFile(Session& s, const std::string& parameter, std::string&) { return fetchFile(s, parameter); }
int dFile(Session& s, const std::string& parameter, std::string&) { return s.exchange("F2", parameter); }

int tx536(Session& s, const std::string&, std::string&) {
    s.stopFlag = false;
    const int result = sendFile(s, "FC_536.LDR");
    if (result != kDone || s.stopFlag) return result;
    return s.exchange("98", "");
}

}  // namespace qzcom
