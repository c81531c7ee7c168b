#include "CauseCommands.h"

#include "JobOutcome.h"
#include "RecordExchange.h"
#include "TableFiles.h"
#include "TableTransfer.h"
#include "Vorn.h"

#include <cstdio>
#include <cstring>

namespace {

// What a terminal holds, and the codes read back.
constexpr int kMaxCauses = 30;
constexpr const char* kItem = "Giustificativo";

}  // namespace

bool sendCausesCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    const zString& path = job.run->settings().causes.fileName;
    zString caption = zString::format("%s Invio Giustificativi", labelOf(job));
    job.run->log().log("%s, file=%s", caption.c_str(), path.c_str());

    TableTransfer transfer(job, caption, kMaxCauses);
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
        char text[16];
        std::snprintf(text, sizeof text, "CA,SE,%x", static_cast<unsigned>(cause.code));
        if (RunError code = storeRecord(terminal, text, record, sizeof record); code != RunError::None) {
            job.result = code;
            return false;
        }
        ++job.count;
        return transfer.advance(kItem, job.count);
    });
    if (!opened) return false;
    if (leftOver > 0)
        job.run->log().log(zLogger::Warning, "%s %d righe oltre i %d giustificativi non inviate", labelOf(job),
                           leftOver, kMaxCauses);
    transfer.finish("Giustificativi inviati");
    return job.result == RunError::None;
}

bool readCausesCommand(CMDARG_C& job) {
    zString caption = zString::format("%s Ricezione Giustificativi", labelOf(job));
    job.run->log().log("%s", caption.c_str());
    TableTransfer transfer(job, caption, kMaxCauses);
    for (int code = 1; code <= kMaxCauses; ++code) {
        std::uint8_t record[CauseEntry::kRecordSize] = {};
        char text[16];
        std::snprintf(text, sizeof text, "CA,GE,%x", static_cast<unsigned>(code));
        if (RunError status = fetchRecord(*job.terminal, text, record, sizeof record); status != RunError::None) {
            job.result = status;
            break;
        }
        ++job.count;
        const char* description = reinterpret_cast<const char*>(record);
        if (description[0] != '\0')
            job.run->info().line("\t%2.2d%.*s", code, static_cast<int>(strnlen(description, sizeof record)),
                                 description);
        if (!transfer.advance(kItem, code)) break;
    }
    transfer.finish("Giustificativi ricevuti");
    return job.result == RunError::None;
}

bool deleteCausesCommand(CMDARG_C& job) { return sendWithoutData(job, "CA,DE"); }
