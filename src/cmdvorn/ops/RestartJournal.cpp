#include "RestartJournal.h"

#include "crc16.h"
#include "zLogger.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace journal {

namespace {

constexpr std::string_view kHeader = "cmdvorn-journal 1";

// The next blank-separated word of `rest`, which loses it.
std::string_view word(std::string_view& rest) {
    std::size_t at = rest.find(' ');
    std::string_view w = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
    return w;
}

template <class N>
bool number(std::string_view text, N& out, int base = 10) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

// The body of a checked line, or false when its check does not match.
bool checked(std::string_view text, std::string_view& body) {
    std::size_t star = text.rfind('*');
    if (star == std::string_view::npos) return false;
    unsigned crc = 0;
    if (text.size() - star != 5 || !number(text.substr(star + 1), crc, 16)) return false;
    body = text.substr(0, star);
    return fnd::crc16(body.data(), body.size()) == crc;
}

bool parseLine(std::string_view body, Contents& out) {
    std::string_view rest = body;
    std::string_view kind = word(rest);
    if (kind == "T" && !out.begun) {
        out.begun = true;
        if (!number(word(rest), out.terminal)) return false;
        out.object = std::string(word(rest));
        return (out.object == "RE" || out.object == "RA" || out.object == "JO") && number(word(rest), out.count) && number(word(rest), out.digest, 16) && rest.empty();
    }
    if (kind == "F" && out.begun && !out.deletePending) {
        FileMark mark;
        if (!takeMarkFields(rest, mark) || rest.empty()) return false;
        mark.path = std::string(rest);
        out.files.push_back(std::move(mark));
        return true;
    }
    if (kind == "D" && out.begun && !out.deletePending) {
        out.deletePending = true;
        return number(word(rest), out.saved) && rest.empty();
    }
    return false;
}

}  // namespace

std::string directoryOf(const zString& dataDirectory) { return std::string(dataDirectory.c_str()) + "/" + kDirectory; }

std::string pathOf(const zString& dataDirectory, int terminalNumber) {
    return directoryOf(dataDirectory) + "/" + std::to_string(terminalNumber) + ".journal";
}

std::uint64_t digest(const void* data, std::size_t length, std::uint64_t seed) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::uint64_t h = seed;
    for (std::size_t i = 0; i < length; ++i) {
        h ^= p[i];
        h *= 0x100000001b3ull;
    }
    return h;
}

std::string line(std::string_view body) {
    char check[8];
    std::snprintf(check, sizeof check, "*%04x\n", fnd::crc16(body.data(), body.size()));
    return std::string(body) + check;
}

std::string markFields(const FileNow& now) {
    char fields[96];
    std::snprintf(fields, sizeof fields, "%llu %llu %lld %lld", static_cast<unsigned long long>(now.device),
                  static_cast<unsigned long long>(now.inode), static_cast<long long>(now.born),
                  static_cast<long long>(now.size));
    return fields;
}

bool takeMarkFields(std::string_view& rest, FileMark& mark) {
    return number(word(rest), mark.device) && number(word(rest), mark.inode) && number(word(rest), mark.born) &&
           number(word(rest), mark.size);
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool cutTo(const char* path, std::int64_t size) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::ftruncate(fd, size) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

bool checkedLines(std::string_view text, std::string_view header, std::vector<std::string_view>& bodies) {
    bodies.clear();
    bool first = true;
    for (;;) {
        std::size_t end = text.find('\n');
        // A line cut short by the kill: its step was never taken.
        if (end == std::string_view::npos) return !first || header.starts_with(text);
        std::string_view body;
        if (!checked(text.substr(0, end), body)) return false;
        if (first && body != header) return false;
        if (!first) bodies.push_back(body);
        first = false;
        text.remove_prefix(end + 1);
    }
}

bool readSmallFile(const std::string& path, std::string& text) {
    constexpr std::size_t kMaxBytes = 64 * 1024;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return text.size() <= kMaxBytes;
}

bool parse(std::string_view text, Contents& out) {
    out = Contents();
    std::vector<std::string_view> bodies;
    if (!checkedLines(text, kHeader, bodies)) return false;
    for (std::string_view body : bodies)
        if (!parseLine(body, out)) return false;
    return true;
}

FileNow fileNow(const char* path) {
    FileNow now;
    struct statx st {};
    if (::statx(AT_FDCWD, path, 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0 || !S_ISREG(st.stx_mode)) return now;
    now.exists = true;
    now.device = (static_cast<std::uint64_t>(st.stx_dev_major) << 32) | st.stx_dev_minor;
    now.inode = st.stx_ino;
    if (st.stx_mask & STATX_BTIME)
        now.born = static_cast<std::int64_t>(st.stx_btime.tv_sec) * 1000000000 + st.stx_btime.tv_nsec;
    now.size = static_cast<std::int64_t>(st.stx_size);
    return now;
}

std::int64_t bytesToCut(const FileMark& mark, const FileNow& now) {
    if (!now.exists || now.device != mark.device || now.inode != mark.inode || now.size < mark.size) return -1;
    if (mark.born != 0 && now.born != 0 && mark.born != now.born) return -1;
    return now.size - mark.size;
}

bool linesStillOnTerminal(const Contents& contents, const std::uint64_t* firstDigest) {
    if (!contents.deletePending) return true;
    return firstDigest && *firstDigest == contents.digest;
}

}  // namespace journal

namespace journal {

bool syncDirectory(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool makeDirectory(const zString& dataDirectory, mode_t& fileMode) {
    // The folder gets the data directory's permissions without anyone
    // else's; its files the same without execution.
    struct stat st {};
    const mode_t bits = ::stat(dataDirectory.c_str(), &st) == 0 ? (st.st_mode & 0770) : 0700;
    const mode_t mode = bits | 0700;
    fileMode = mode & 0660;
    const std::string directory = directoryOf(dataDirectory);
    if (::mkdir(directory.c_str(), mode) == 0) {
        ::chmod(directory.c_str(), mode);  // the umask had its say
        syncDirectory(dataDirectory.c_str());
        return true;
    }
    return errno == EEXIST;
}

int createFile(const zString& dataDirectory, const std::string& path, int flags, mode_t& fileMode) {
    constexpr int kAttempts = 3;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!makeDirectory(dataDirectory, fileMode)) return -1;
        const int fd = ::open(path.c_str(), flags | O_CREAT | O_CLOEXEC, fileMode);
        if (fd >= 0 || errno != ENOENT) return fd;
    }
    return -1;
}

}  // namespace journal

RestartJournal::RestartJournal(const zString& dataDirectory, int terminalNumber, const char* object, int count,
                               zLogger& log, const zString& label)
    : directory_(journal::directoryOf(dataDirectory)), path_(journal::pathOf(dataDirectory, terminalNumber)),
      terminal_(terminalNumber), object_(object), count_(count), log_(log), label_(label) {}

RestartJournal::~RestartJournal() { remove(); }

void RestartJournal::begin(std::uint64_t first) {
    if (begun_) return;
    begun_ = true;
    const std::string data = directory_.substr(0, directory_.size() - std::strlen(journal::kDirectory) - 1);
    mode_t mode = 0;
    fd_ = journal::createFile(data.c_str(), path_, O_WRONLY | O_TRUNC, mode);
    if (fd_ < 0) return abandon(std::strerror(errno));
    ::fchmod(fd_, mode);
    char body[96];
    std::snprintf(body, sizeof body, "T %d %s %d %016llx", terminal_, object_, count_,
                  static_cast<unsigned long long>(first));
    if (!append(journal::line("cmdvorn-journal 1") + journal::line(body))) return;
    if (!journal::syncDirectory(directory_)) abandon(std::strerror(errno));
}

void RestartJournal::appending(const zFile& file) {
    if (fd_ < 0) return;
    for (const zFile* f : marked_)
        if (f == &file) return;
    marked_.push_back(&file);
    const journal::FileNow now = journal::fileNow(file.path().c_str());
    if (!now.exists) return abandon(file.path().c_str());
    // A name that would break the line cannot be marked: then nothing is.
    if (std::strchr(file.path().c_str(), '\n')) return abandon(file.path().c_str());
    append(journal::line("F " + journal::markFields(now) + " " + file.path().c_str()));
}

bool RestartJournal::deletePending(int saved) {
    if (fd_ < 0) return !failed_;
    if (append(journal::line("D " + std::to_string(saved)))) return true;
    // abandon() removed it when it could: then the next run cuts nothing.
    return !failed_;
}

bool RestartJournal::append(const std::string& text) {
    if (!journal::writeAll(fd_, text) || ::fsync(fd_) != 0) {
        abandon(std::strerror(errno));
        return false;
    }
    return true;
}

void RestartJournal::abandon(const char* why) {
    log_.log(zLogger::Warning, "%s Giornale di ripresa %s non scritto (%s): download senza ripresa", label_.c_str(),
             path_.c_str(), why);
    remove();
    // Still there: it must not be trusted to say what happened next.
    failed_ = ::access(path_.c_str(), F_OK) == 0;
}

void RestartJournal::remove() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(path_.c_str());
        // A run that was not killed leaves nothing of the journal behind.
        ::rmdir(directory_.c_str());
    }
    marked_.clear();
}
