#include "zReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kCautiousMask = 022;  // when the process's mask cannot be read
constexpr int kOctal = 8;

// The process's file-creation mask, read without changing it: setting it
// even for a moment would give files that other threads create meanwhile
// the wrong permissions.
mode_t currentUmask() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return kCautiousMask;
    char line[256];
    mode_t mask = kCautiousMask;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "Umask:", 6) == 0) {
            mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, kOctal));
            break;
        }
    }
    std::fclose(status);
    return mask;
}

// What a plain fopen would have given a new file.
mode_t newFileMode() { return kNewFileMode & ~currentUmask(); }

}  // namespace

zReplacingFile::zReplacingFile(std::string target) : target_(std::move(target)) {}

zReplacingFile::~zReplacingFile() { abandon(); }

bool zReplacingFile::open() {
    abandon();
    if (target_.empty()) return false;
    std::string name = target_ + ".XXXXXX";
    int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    struct stat existing {};
    mode_t mode = ::stat(target_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : newFileMode();
    file_ = ::fchmod(fd, mode) == 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file_) {
        ::close(fd);
        ::unlink(name.c_str());
        return false;
    }
    temporary_ = std::move(name);
    return true;
}

bool zReplacingFile::write(const void* data, std::size_t size) {
    return file_ && std::fwrite(data, 1, size, file_) == size;
}

bool zReplacingFile::commit() {
    if (!file_) return false;
    bool ok = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    ok = ok && std::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok) ::unlink(temporary_.c_str());
    temporary_.clear();
    if (ok) syncDirectory();
    return ok;
}

void zReplacingFile::syncDirectory() const {
    // The rename lives in the directory: synced too, it survives a power cut.
    // Best effort: some file systems take no fsync on a directory.
    std::string::size_type slash = target_.rfind('/');
    std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : target_.substr(0, slash);
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

void zReplacingFile::abandon() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}
