#include "zFile.h"

#include "winError.h"

#include <cerrno>
#include <unistd.h>

zFile::zFile(zString path) : zCommDev(std::move(path)) {}

zFile::~zFile() { close(); }

bool zFile::requireOpen() {
    if (fp_) return true;
    lastError_ = fnd::kErrInvalidHandle;
    return false;
}

bool zFile::fail(int err) {
    lastError_ = fnd::winErrorFromErrno(err);
    return false;
}

bool zFile::openMode(const char* path, const char* mode) {
    zLock hold(lock_);
    if (path) name_ = path;
    if (name_.isEmpty()) {
        lastError_ = fnd::kErrInvalidParameter;
        return false;
    }
    if (fp_) {
        std::fclose(fp_);
        fp_ = nullptr;
    }
    fp_ = std::fopen(name_.c_str(), mode);
    if (!fp_) return fail(errno);
    lastWasWrite_ = false;
    lastError_ = 0;
    return true;
}

bool zFile::open(const char* path) { return openMode(path, "a+"); }

bool zFile::openRead(const char* path) { return openMode(path, "rb"); }

bool zFile::create(const char* path) { return openMode(path, "w+"); }

bool zFile::close() {
    zLock hold(lock_);
    if (!fp_) return true;
    int rc = std::fclose(fp_);
    fp_ = nullptr;
    if (rc != 0) return fail(errno);
    return true;
}

bool zFile::write(const void* buffer, std::size_t length, std::size_t& written) {
    zLock hold(lock_);
    written = 0;
    if (!requireOpen()) return false;
    if (!buffer) {
        lastError_ = fnd::kErrInvalidParameter;
        return false;
    }
    // A stream opened for update needs a positioning call between a read and a write.
    if (!lastWasWrite_) std::fseek(fp_, 0, SEEK_CUR);
    lastWasWrite_ = true;
    written = std::fwrite(buffer, 1, length, fp_);
    if (written != length) return fail(errno ? errno : EIO);
    lastError_ = 0;
    return true;
}

bool zFile::read(void* buffer, std::size_t size, std::size_t& count) {
    zLock hold(lock_);
    count = 0;
    if (!requireOpen()) return false;
    if (!buffer || size == 0) {
        lastError_ = fnd::kErrInvalidParameter;
        return false;
    }
    if (lastWasWrite_) std::fflush(fp_);
    lastWasWrite_ = false;
    count = std::fread(buffer, 1, size, fp_);
    if (count == 0) {
        if (std::ferror(fp_)) return fail(errno ? errno : EIO);
        lastError_ = 0;
        return false;
    }
    lastError_ = 0;
    return true;
}

bool zFile::hasInput() {
    zLock hold(lock_);
    if (!requireOpen()) return false;
    int c = std::fgetc(fp_);
    if (c == EOF) return false;
    std::ungetc(c, fp_);
    return true;
}

bool zFile::seekStart() {
    zLock hold(lock_);
    if (!requireOpen()) return false;
    if (std::fseek(fp_, 0, SEEK_SET) != 0) return fail(errno);
    return true;
}

bool zFile::seekEnd() {
    zLock hold(lock_);
    if (!requireOpen()) return false;
    if (std::fseek(fp_, 0, SEEK_END) != 0) return fail(errno);
    return true;
}

long zFile::size() {
    zLock hold(lock_);
    if (!requireOpen()) return -1;
    std::fflush(fp_);
    long here = std::ftell(fp_);
    std::fseek(fp_, 0, SEEK_END);
    long end = std::ftell(fp_);
    std::fseek(fp_, here, SEEK_SET);
    return end;
}

bool zFile::flush() {
    zLock hold(lock_);
    if (!requireOpen()) return false;
    if (std::fflush(fp_) != 0) return fail(errno);
    return true;
}

bool zFile::sync() {
    zLock hold(lock_);
    if (!requireOpen()) return false;
    if (std::fflush(fp_) != 0) return fail(errno);
    if (::fsync(fileno(fp_)) != 0) return fail(errno);
    return true;
}
