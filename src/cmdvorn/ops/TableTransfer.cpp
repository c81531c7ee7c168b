#include "TableTransfer.h"

#include "JobOutcome.h"
#include "TableFiles.h"
#include "Vorn.h"
#include "zFile.h"

#include <cstdio>

TableTransfer::TableTransfer(CMDARG_C& job, const zString& caption, int range) : job_(job), range_(range) {
    job.run->info().line(" ==== %s ====", caption.c_str());
    BREAKDLG_C& dialog = job.run->dialog();
    dialog.open(caption.c_str());
    dialog.showBar(range);
}

TableTransfer::~TableTransfer() { job_.run->dialog().close(); }

bool TableTransfer::advance(const char* item, int done) {
    char text[64];
    std::snprintf(text, sizeof text, "%s: %d/%d", item, done, range_);
    job_.run->dialog().setBar(done, text);
    return !interrupted(job_);
}

void TableTransfer::finish(const char* what) {
    zString line = zString::format("%s %d %s", labelOf(job_), job_.count, what);
    job_.run->log().log("%s", line.c_str());
    job_.run->info().line("\t%s", line.c_str());
}

bool TableTransfer::forEachLine(const zString& path, const std::function<bool(std::string_view)>& handle) {
    zFile file(path);
    if (!file.open() || !file.seekStart()) {
        job_.run->reportError(RunError::FileOpen, job_.terminal, path.c_str(), file.errorText().c_str());
        job_.result = RunError::FileOpen;
        return false;
    }
    zString line;
    while (file.readLineString(line))
        if (!handle(line)) break;
    file.close();
    return true;
}

void TableTransfer::rejectLine(const char* field, const char* value, std::string_view line) {
    job_.run->reportError(RunError::BadParameterValue, job_.terminal, field, value);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    job_.run->log().log("Riga:%.*s", static_cast<int>(std::min<std::size_t>(line.size(), kMaxTableLineLength)),
                        line.data());
    job_.result = RunError::BadParameterValue;
}
