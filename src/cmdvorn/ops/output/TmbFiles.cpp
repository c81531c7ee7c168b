#include "TmbFiles.h"

#include "winError.h"

#include <cerrno>
#include <unistd.h>

namespace {

// Gone, or at least empty: a file that cannot be deleted (its directory is
// not writable, it is mounted over) still starts afresh when truncated.
bool emptied(const zString& name) {
    if (::unlink(name.c_str()) == 0 || errno == ENOENT) return true;
    return ::truncate(name.c_str(), 0) == 0;
}

}  // namespace

bool TmbFiles_c::wasUsed(const zString& name) const {
    for (const zString& u : used_)
        if (u == name) return true;
    return false;
}

zFile* TmbFiles_c::get(const zString& name, bool startAfresh, const ReportError& report) {
    for (Entry& e : open_)
        if (e.name == name) return e.file.get();

    zString path = name;
    if (redirect_) {
        path = redirect_->pathFor(name, startAfresh, report);
        if (path.isEmpty()) return nullptr;
    } else if (startAfresh && !wasUsed(name) && !name.isEmpty() && !emptied(name)) {
        // Appending to the previous run's lines would hand them over twice.
        report(RunError::FileOpen, name.c_str(), fnd::winErrorText(fnd::winErrorFromErrno(errno)).c_str());
        return nullptr;
    }
    auto file = std::make_unique<zFile>(path);
    if (!file->open()) {
        report(RunError::FileOpen, path.c_str(), file->errorText().c_str());
        return nullptr;
    }
    if (!redirect_ && !wasUsed(name)) used_.push_back(name);
    open_.push_back({name, std::move(file)});
    return open_.back().file.get();
}

bool TmbFiles_c::flushAndSync(const ReportError& report) {
    static const int kNotSyncable = fnd::winErrorFromErrno(EINVAL);
    bool ok = true;
    for (Entry& e : open_) {
        if (!e.file->flush()) {
            report(RunError::FileWrite, e.name.c_str(), e.file->errorText().c_str());
            ok = false;
        } else if (!e.file->sync() && e.file->lastError() != kNotSyncable) {
            // Devices and pipes cannot be synced and need not be.
            report(RunError::FileWrite, e.name.c_str(), e.file->errorText().c_str());
            ok = false;
        }
    }
    return ok;
}

void TmbFiles_c::closeAll() { open_.clear(); }
