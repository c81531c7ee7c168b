#include "FingerprintCommands.h"

#include "FingerprintFile.h"
#include "JobOutcome.h"
#include "ProgressScope.h"
#include "RecordExchange.h"
#include "LittleEndian.h"
#include "Vorn.h"
#include "zFile.h"
#include "zReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

constexpr const char* kDefaultFile = "FingerPrint.dat";
constexpr int kCountFailed = -1;

// Stored templates, or kCountFailed after a failed exchange.
int countFingerprints(Vorn& terminal) {
    std::uint8_t reply[2] = {};
    TelegramCommand count("FP,NR", TelegramCommand::ReceiveData, reply, sizeof reply);
    if (!terminal.sendCommand(count)) return kCountFailed;
    return static_cast<std::int16_t>(getLe16(reply));
}

bool fileError(CMDARG_C& job, RunError error, const zString& path) {
    job.result = error;
    job.run->log().log("%s Error open file %s", labelOf(job), path.c_str());
    return false;
}

// Lines that hold a template or fail to: neither empty nor comments.
int countTemplateLines(std::istream& in) {
    int n = 0;
    FingerprintRecord unused;
    const char* why = nullptr;
    for (std::string line; std::getline(in, line);)
        if (parseFingerprintLine(line, unused, why) != FingerprintLine::Skipped) ++n;
    in.clear();
    in.seekg(0);
    return n;
}

}  // namespace

zString fingerprintFileName(const CMDARG_C& job) {
    if (!job.terminal->fingerprintFile().isEmpty()) return job.terminal->fingerprintFile();
    const zString& runWide = job.run->settings().fingerprints.fileName;
    return runWide.isEmpty() ? zString(kDefaultFile) : runWide;
}

void countFingerprintsCommand(CMDARG_C& job) {
    int count = countFingerprints(*job.terminal);
    logAndShow(job, "%s Num. finger print= %d", labelOf(job), count);
    if (count == kCountFailed) {
        failWithStatus(job);
        return;
    }
    job.count = count;
}

void downloadFingerprintsCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    RunContext& run = *job.run;
    int count = countFingerprints(terminal);
    if (count == kCountFailed) {
        failWithStatus(job);
        return;
    }
    if (count <= 0) {
        // Nothing to fetch, so the file the PC holds stays as it is.
        run.reportError(terminal.statusCode(), &terminal, "No Fingerprint");
        return;
    }

    zString caption = zString::format("Ric. Fingerprint da: %s", labelOf(job));
    run.info().line("%s", caption.c_str());
    ProgressScope progress(job, caption.c_str(), count, "Ric. Fingerprint");

    // The copy the PC holds is replaced only by a complete download: a
    // failed or interrupted one leaves it as it was.
    zString path = fingerprintFileName(job);
    zReplacingFile out(path.c_str());
    if (!out.open()) {
        fileError(job, RunError::FileOpen, path);
        return;
    }

    std::uint8_t record[FingerprintRecord::kSize];
    char line[FingerprintRecord::kLineLength + 1];
    char text[sizeof TelegramCommand::text];
    int received = 0;
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "FP,GI,%x", static_cast<unsigned>(i));
        TelegramCommand fetch(text, TelegramCommand::ReceiveData, record, sizeof record);
        if (!terminal.sendCommand(fetch)) {
            job.result = terminal.statusCode();
            break;
        }
        if (RunError bad = checkFetched(terminal, text, record, sizeof record); bad != RunError::None) {
            job.result = bad;
            break;
        }
        int length = formatFingerprintLine(FingerprintRecord::decode(record), line, sizeof line);
        if (!out.write(line, static_cast<std::size_t>(length))) {
            failJob(job, RunError::FileWrite, path.c_str(), std::strerror(errno));
            break;
        }
        ++received;
        ++job.count;
        progress.advance(i + 1);
        if (progress.stopped()) break;
    }
    if (job.result == RunError::None && !out.commit()) failJob(job, RunError::FileWrite, path.c_str(), std::strerror(errno));
    progress.close();
    logAndShow(job, "%s %d fingerprint ricevuti", labelOf(job), received);
}

void uploadFingerprintsCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    RunContext& run = *job.run;
    zString path = fingerprintFileName(job);
    // A directory or a device would read as an empty file and "send" nothing.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        fileError(job, RunError::FileOpen, path);
        return;
    }
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) {
        fileError(job, RunError::FileOpen, path);
        return;
    }

    int count = countTemplateLines(in);
    zString caption = zString::format("%s Invio %d Fingerprint", labelOf(job), count);
    run.log().log("%s", caption.c_str());
    ProgressScope progress(job, caption.c_str(), count, "Fingerprint:");

    std::uint8_t record[FingerprintRecord::kSize];
    int sent = 0;
    int lineNumber = 0;
    bool badLine = false;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        FingerprintRecord fingerprint;
        const char* why = nullptr;
        FingerprintLine kind = parseFingerprintLine(line, fingerprint, why);
        if (kind == FingerprintLine::Skipped) continue;
        if (kind == FingerprintLine::Bad) {
            // The line is left out; the others still go.
            badLine = true;
            zString where = zString::format("%s riga %d:", path.c_str(), lineNumber);
            run.reportError(RunError::FileRead, &terminal, where.c_str(), why);
            continue;
        }
        run.log().log("Sending finger print: %d %u", fingerprint.company, static_cast<unsigned>(fingerprint.employee));
        fingerprint.encode(record);
        TelegramCommand store("FP,ST", TelegramCommand::SendData, record, sizeof record);
        if (!terminal.sendCommand(store)) {
            job.result = terminal.statusCode();
            break;
        }
        ++sent;
        ++job.count;
        progress.advance(sent);
        if (progress.stopped()) break;
    }
    progress.close();
    if (badLine && job.result == RunError::None) job.result = RunError::FileRead;
    logAndShow(job, "%s %d fingerprint inviati", labelOf(job), sent);
}

void deleteFingerprintsCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    int count = countFingerprints(terminal);
    TelegramCommand remove("FP,DE,*,*");
    if (!terminal.sendCommand(remove)) {
        job.run->log().log("%s Errore cancellazione Fingerprint", labelOf(job));
        failWithStatus(job);
        return;
    }
    ++job.count;
    job.run->log().log("%s %d Fingerprint cancellati", labelOf(job), count);
}
