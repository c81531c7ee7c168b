#include "RestartRecovery.h"

#include "OutputSpool.h"
#include "RecordWriter.h"
#include "RestartJournal.h"
#include "StoredFilePunches.h"
#include "TelegramRecords.h"
#include "Vorn.h"
#include "VornMgr.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr const char* kResume = "%s Ripresa dopo interruzione:";

// TelegramRecords keeps the object's name, so it must outlive the journal's text.
const char* objectName(const std::string& object) {
    if (object == "RA") return "RA";
    if (object == "JO") return "JO";
    return "RE";
}

// The journals of the folder by terminal number, in that order.
std::vector<std::pair<int, std::string>> journalsIn(const std::string& directory) {
    std::vector<std::pair<int, std::string>> found;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const std::size_t dot = name.find('.');
        if (dot == 0 || dot > 5 || name.substr(dot) != ".journal") continue;
        if (!std::all_of(name.begin(), name.begin() + static_cast<long>(dot), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        found.emplace_back(std::stoi(name.substr(0, dot)), directory + "/" + name);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}


// The digest of the first record the terminal holds now, as the download
// took it; nullopt when it holds none. `reached` is false when it could not
// be asked.
std::optional<std::uint64_t> firstRecordNow(RunContext& run, Vorn& terminal, const journal::Contents& contents,
                                            bool& reached) {
    CMDARG_C job;
    job.terminal = &terminal;
    job.id = CommandId::DownloadAndKeep;
    job.run = &run;
    std::unique_ptr<PunchSource> source;
    if (isNewerModel(terminal.model()))
        source = std::make_unique<StoredFilePunches>(job);
    else
        source = std::make_unique<TelegramRecords>(job, objectName(contents.object));

    const int total = source->count();
    reached = job.result == RunError::None;
    if (!reached) return std::nullopt;
    source->prepare();
    if (source->holdsNone(total)) return std::nullopt;

    const int look = source->firstLook(total);
    std::optional<std::uint64_t> first;
    source->begin(look);
    for (;;) {
        const PunchSource::Next got = source->next();
        if (got.step == PunchSource::Step::End || got.step == PunchSource::Step::Stop) break;
        if (got.step == PunchSource::Step::Record && !first) first = source->digest();
    }
    source->end(look);
    // A terminal that holds records but would not hand over the first is not known to have deleted anything.
    reached = first.has_value();
    return first;
}

// Cuts each marked file back to its mark where it is still the file the
// download wrote; the others are left, with a warning.
long long cutBack(zLogger& log, const char* label, const journal::Contents& contents) {
    long long total = 0;
    for (const journal::FileMark& mark : contents.files) {
        const std::int64_t cut = journal::bytesToCut(mark, journal::fileNow(mark.path.c_str()));
        if (cut < 0) {
            log.log(zLogger::Warning,
                    "%s Ripresa dopo interruzione: %s spostato, sostituito o accorciato dall'applicazione, non tagliato",
                    label, mark.path.c_str());
            continue;
        }
        if (cut == 0) continue;
        if (!journal::cutTo(mark.path.c_str(), mark.size))
            log.log(zLogger::Warning, "%s Ripresa dopo interruzione: %s non tagliato: %s", label, mark.path.c_str(),
                    std::strerror(errno));
        else
            total += cut;
    }
    return total;
}

void recoverJournal(RunContext& run, int number, const std::string& path) {
    zLogger& log = run.log();
    Vorn* terminal = run.manager().findByTermNr(number);
    const zString label = terminal ? terminal->label() : zString::format("[Term %3.3d]", number);
    const std::string prefix = zString::format(kResume, label.c_str()).c_str();

    std::string text;
    journal::Contents contents;
    if (!journal::readSmallFile(path, text) || !journal::parse(text, contents) || (contents.begun && contents.terminal != number)) {
        log.log(zLogger::Warning, "%s giornale %s illeggibile, ignorato", prefix.c_str(), path.c_str());
        ::unlink(path.c_str());
        return;
    }
    if (!contents.begun) {
        log.log("%s nessuna timbratura scritta (0 byte tolti)", prefix.c_str());
        ::unlink(path.c_str());
        return;
    }

    const char* how = "cancellazione mai inviata, file riportati a prima del download";
    bool cut = true;
    bool keptUnknowing = false;
    if (contents.deletePending) {
        bool reached = false;
        std::optional<std::uint64_t> first;
        if (terminal) first = firstRecordNow(run, *terminal, contents, reached);
        const std::uint64_t* seen = first ? &*first : nullptr;
        cut = reached && journal::linesStillOnTerminal(contents, seen);
        if (!terminal)
            how = "terminale non configurato, file mantenuti";
        else if (!reached)
            how = "terminale non raggiungibile, file mantenuti";
        else if (cut)
            how = "cancellazione non avvenuta sul terminale, file riportati a prima del download";
        else
            how = "cancellazione avvenuta sul terminale, file mantenuti";
        // A punch twice is better than a punch lost.
        keptUnknowing = !terminal || !reached;
        if (keptUnknowing) cut = false;
    }
    const long long bytes = cut ? cutBack(log, label.c_str(), contents) : 0;
    log.log(keptUnknowing ? zLogger::Warning : zLogger::Info, "%s %s (%lld byte tolti)", prefix.c_str(), how, bytes);
    ::unlink(path.c_str());
}

}  // namespace

void recoverRestartJournals(RunContext& run) {
    RecordWriterRun& writer = run.writerRun();
    if (writer.journalsRecovered) return;
    writer.journalsRecovered = true;
    const std::string directory = journal::directoryOf(run.state().dataDirectory);
    for (const auto& [number, path] : journalsIn(directory)) {
        if (run.settings().restartJournal)
            recoverJournal(run, number, path);
        else
            ::unlink(path.c_str());
    }
    // After the journals, which may have cut a spool back.
    recoverSpools(run);
    ::rmdir(directory.c_str());  // only when nothing else is in it
}
