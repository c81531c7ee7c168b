#include "CauseCommands.h"

#include "JobOutcome.h"
#include "TableFiles.h"
#include "TableTransfer.h"
#include "Vorn.h"

#include <cstdio>
#include <cstring>

namespace {

// What a terminal holds, and the codes read back.
constexpr int kMaxCauses = 30;
constexpr const char* kObject = "CA";
constexpr const char* kItem = "Giustificativo";

}  // namespace

void sendCausesCommand(CMDARG_C& job) {
    const zString& path = job.run->settings().causes.fileName;
    zString caption = zString::format("%s Invio Giustificativi", labelOf(job));
    job.run->log().log("%s, file=%s", caption.c_str(), path.c_str());

    TableTransfer transfer(job, caption, kMaxCauses, kObject, kItem);
    int leftOver = 0;
    bool opened = transfer.forEachLine(path, [&](std::string_view line) {
        CauseEntry cause;
        LineFault fault;
        TableLine verdict = parseCauseLine(line, cause, fault);
        if (verdict == TableLine::Nothing) return true;
        if (job.count >= kMaxCauses) {
            ++leftOver;
            return true;
        }
        if (verdict == TableLine::Bad) {
            transfer.rejectLine(fault.field, fault.value.c_str(), line);
            return true;
        }
        std::uint8_t record[CauseEntry::kRecordSize];
        cause.encode(record);
        return transfer.store(cause.code, record, sizeof record);
    });
    if (!opened) return;
    if (leftOver > 0)
        job.run->log().log(zLogger::Warning, "%s %d righe oltre i %d giustificativi non inviate", labelOf(job),
                           leftOver, kMaxCauses);
    transfer.finish("Giustificativi inviati");
}

void readCausesCommand(CMDARG_C& job) {
    zString caption = zString::format("%s Ricezione Giustificativi", labelOf(job));
    job.run->log().log("%s", caption.c_str());
    TableTransfer transfer(job, caption, kMaxCauses, kObject, kItem);
    transfer.begin();
    for (int code = 1; code <= kMaxCauses; ++code) {
        std::uint8_t record[CauseEntry::kRecordSize] = {};
        if (!transfer.fetch(code, record, sizeof record)) break;
        const char* description = reinterpret_cast<const char*>(record);
        if (description[0] != '\0')
            job.run->info().line("\t%2.2d%.*s", code, static_cast<int>(strnlen(description, sizeof record)),
                                 description);
        if (!transfer.advance(code)) break;
    }
    transfer.finish("Giustificativi ricevuti");
}

void deleteCausesCommand(CMDARG_C& job) {
    sendWithoutData(job, "CA,DE");
}
