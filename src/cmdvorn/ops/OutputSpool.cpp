#include "OutputSpool.h"

#include "RestartJournal.h"
#include "RunContext.h"
#include "Vorn.h"
#include "VornMgr.h"
#include "winError.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace {

constexpr std::string_view kHeader = "cmdvorn-spool 1";
constexpr const char* kManifestEnd = ".spool";
constexpr std::size_t kCopyChunk = 64 * 1024;

std::string spoolPath(const std::string& directory, const std::string& name, std::size_t k) {
    return directory + "/" + name + "." + std::to_string(k);
}

// Hands the spool's bytes to `put`, chunk by chunk as they are read.
template <class Put>
bool copySpool(const std::string& spool, Put put) {
    int in = ::open(spool.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return errno == ENOENT;  // never made: nothing to append
    char buffer[kCopyChunk];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (!put(buffer, static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    const int saved = errno;
    ::close(in);
    errno = saved;
    return ok;
}

// What a manifest says.
struct Manifest {
    int terminal = 0;
    struct Entry {
        std::size_t k = 0;
        std::string output;
    };
    std::vector<Entry> spools;
    std::map<std::size_t, journal::FileMark> marks;
};

template <class N>
bool take(std::string_view& rest, N& out) {
    const std::size_t at = rest.find(' ');
    std::string_view w = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
    auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), out);
    return !w.empty() && ec == std::errc() && end == w.data() + w.size();
}

bool parseManifest(std::string_view text, Manifest& out) {
    std::vector<std::string_view> bodies;
    if (!journal::checkedLines(text, kHeader, bodies)) return false;
    for (std::string_view body : bodies) {
        if (body.size() < 2 || body[1] != ' ') return false;
        std::string_view rest = body.substr(2);
        if (body[0] == 'P') {
            if (!take(rest, out.terminal)) return false;
        } else if (body[0] == 'S') {
            Manifest::Entry entry;
            int afresh = 0;
            if (!take(rest, entry.k) || !take(rest, afresh) || rest.empty()) return false;
            entry.output = std::string(rest);
            out.spools.push_back(std::move(entry));
        } else if (body[0] == 'C') {
            std::size_t k = 0;
            journal::FileMark mark;
            if (!take(rest, k) || !journal::takeMarkFields(rest, mark) || !rest.empty()) return false;
            out.marks[k] = mark;
        } else {
            return false;
        }
    }
    return true;
}

// The manifests of the folder, in the order their spools must be appended.
std::vector<std::string> manifestsIn(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > std::strlen(kManifestEnd) && name.ends_with(kManifestEnd) && name[0] != '.')
            names.push_back(name.substr(0, name.size() - std::strlen(kManifestEnd)));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Appends one manifest's spools; false when one could not be, and then
// the manifest and what is left of its spools stay.
bool recoverManifest(zLogger& log, const zString& label, const std::string& directory, const std::string& name,
                     const Manifest& manifest) {
    long long bytes = 0;
    for (const Manifest::Entry& entry : manifest.spools) {
        const std::string spool = spoolPath(directory, name, entry.k);
        auto mark = manifest.marks.find(entry.k);
        if (mark != manifest.marks.end()) {
            // Appending had begun: what reached the file goes, and all of it comes again.
            const std::int64_t cut = journal::bytesToCut(mark->second, journal::fileNow(entry.output.c_str()));
            if (cut > 0 && !journal::cutTo(entry.output.c_str(), mark->second.size)) {
                log.log(zLogger::Error, "%s Ripresa dopo interruzione: %s non tagliato: %s", label.c_str(),
                        entry.output.c_str(), std::strerror(errno));
                return false;
            }
        }
        const journal::FileNow before = journal::fileNow(spool.c_str());
        int out = ::open(entry.output.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        const auto put = [out](const char* p, std::size_t n) { return journal::writeAll(out, {p, n}); };
        const bool ok = out >= 0 && copySpool(spool, put) && ::fsync(out) == 0;
        const int error = errno;
        if (out >= 0) ::close(out);
        if (!ok) {
            log.log(zLogger::Error, "%s Ripresa dopo interruzione: registrazioni in %s non accodate a %s: %s",
                    label.c_str(), spool.c_str(), entry.output.c_str(), std::strerror(error));
            return false;
        }
        ::unlink(spool.c_str());
        bytes += before.size;
    }
    log.log("%s Ripresa dopo interruzione: registrazioni salvate e non ancora accodate, ora nei file (%lld byte)",
            label.c_str(), bytes);
    return true;
}

}  // namespace

SpoolSet::SpoolSet(const zString& dataDirectory, std::string name, int terminalNumber)
    : directory_(journal::directoryOf(dataDirectory)), dataDirectory_(dataDirectory), name_(std::move(name)),
      terminal_(terminalNumber) {}

SpoolSet::~SpoolSet() {
    if (manifest_ >= 0) ::close(manifest_);
}

bool SpoolSet::note(const std::string& body) {
    return journal::writeAll(manifest_, journal::line(body)) && ::fsync(manifest_) == 0;
}

zString SpoolSet::pathFor(const zString& name, bool startAfresh, const ReportError& report) {
    // The file must be able to take the lines now: the terminal deletes
    // them long before the spool is appended.
    int probe = std::strchr(name.c_str(), '\n') ? (errno = EINVAL, -1)
                                                 : ::open(name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (probe < 0) {
        report(RunError::FileOpen, name.c_str(), fnd::winErrorText(fnd::winErrorFromErrno(errno)).c_str());
        return {};
    }
    ::close(probe);

    const std::size_t k = spools_.size();
    const std::string path = spoolPath(directory_, name_, k);
    bool ok = true;
    if (manifest_ < 0) {
        manifest_ = journal::createFile(dataDirectory_, directory_ + "/" + name_ + kManifestEnd, O_WRONLY | O_EXCL,
                                        fileMode_);
        ok = manifest_ >= 0 && note(std::string(kHeader)) && note("P " + std::to_string(terminal_));
    }
    if (ok) ok = note("S " + std::to_string(k) + (startAfresh ? " 1 " : " 0 ") + name.c_str());
    if (ok) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, fileMode_);
        ok = fd >= 0;
        if (ok) ::close(fd);
    }
    if (ok) ok = journal::syncDirectory(directory_);
    if (!ok) {
        report(RunError::FileOpen, path.c_str(), fnd::winErrorText(fnd::winErrorFromErrno(errno)).c_str());
        return {};
    }
    spools_.push_back({path, name, startAfresh});
    return zString(path.c_str());
}

bool SpoolSet::commit(TmbFiles_c& files, const ReportError& report) {
    for (std::size_t k = 0; k < spools_.size(); ++k) {
        const Spool& spool = spools_[k];
        zFile* out = files.get(spool.output, spool.startAfresh, report);
        if (!out) return false;
        if (!out->flush()) {
            report(RunError::FileWrite, spool.output.c_str(), out->errorText().c_str());
            return false;
        }
        const journal::FileNow before = journal::fileNow(out->path().c_str());
        if (before.exists && !note("C " + std::to_string(k) + " " + journal::markFields(before))) {
            report(RunError::FileWrite, spool.path.c_str(), fnd::winErrorText(fnd::winErrorFromErrno(errno)).c_str());
            return false;
        }
        const bool copied = copySpool(spool.path, [out](const char* p, std::size_t n) {
            std::size_t written = 0;
            return out->write(p, n, written) && written == n;
        });
        if (!copied) report(RunError::FileWrite, spool.output.c_str(), out->errorText().c_str());
        if (!copied || !files.flushAndSync(report)) {
            // Half a block would read as the whole of it: the file goes back to before it.
            out->flush();
            if (before.exists) journal::cutTo(out->path().c_str(), before.size);
            return false;
        }
    }
    removeAll();
    return true;
}

void SpoolSet::removeAll() {
    for (const Spool& spool : spools_) ::unlink(spool.path.c_str());
    if (manifest_ >= 0) {
        ::close(manifest_);
        manifest_ = -1;
        ::unlink((directory_ + "/" + name_ + kManifestEnd).c_str());
        // Gone for good before the next spool is appended: a manifest come
        // back after a crash would cut that one's lines.
        journal::syncDirectory(directory_);
    }
    spools_.clear();
}

void recoverSpools(RunContext& run) {
    const std::string directory = journal::directoryOf(run.state().dataDirectory);
    for (const std::string& name : manifestsIn(directory)) {
        const std::string path = directory + "/" + name + kManifestEnd;
        std::string text;
        Manifest manifest;
        const bool readable = journal::readSmallFile(path, text) && parseManifest(text, manifest);
        const Vorn* terminal = readable ? run.manager().findByTermNr(manifest.terminal) : nullptr;
        const zString label = terminal ? terminal->label() : zString::format("[Term %3.3d]", manifest.terminal);
        if (!readable) {
            // Its spools stay: what they hold is on no terminal any more.
            run.log().log(zLogger::Error, "Ripresa dopo interruzione: %s illeggibile, file in %s lasciati", path.c_str(),
                          directory.c_str());
            continue;
        }
        if (!recoverManifest(run.log(), label, directory, name, manifest)) return;
        ::unlink(path.c_str());
        journal::syncDirectory(directory);
    }
}
