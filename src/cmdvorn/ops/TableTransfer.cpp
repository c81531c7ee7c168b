#include "TableTransfer.h"

#include "JobOutcome.h"
#include "RecordExchange.h"
#include "TableFiles.h"
#include "Vorn.h"
#include "zFile.h"

#include <cstdio>

TableTransfer::TableTransfer(CMDARG_C& job, zString caption, int range, const char* object, const char* item)
    : job_(job), caption_(std::move(caption)), range_(range), object_(object), item_(zString::format("%s:", item)) {}

void TableTransfer::begin() {
    job_.run->info().line(" ==== %s ====", caption_.c_str());
    progress_.emplace(job_, caption_.c_str(), range_, item_.c_str());
}

bool TableTransfer::store(int index, const std::uint8_t* record, int size) {
    char text[24];
    std::snprintf(text, sizeof text, "%s,SE,%x", object_, static_cast<unsigned>(index));
    if (RunError error = storeRecord(*job_.terminal, text, record, size); error != RunError::None) {
        job_.result = error;
        return false;
    }
    ++job_.count;
    return advance(job_.count);
}

bool TableTransfer::fetch(int index, std::uint8_t* record, int size) {
    char text[24];
    std::snprintf(text, sizeof text, "%s,GE,%x", object_, static_cast<unsigned>(index));
    if (RunError error = fetchRecord(*job_.terminal, text, record, size); error != RunError::None) {
        job_.result = error;
        return false;
    }
    ++job_.count;
    return true;
}

bool TableTransfer::advance(int done) {
    if (!progress_) return !interrupted(job_);
    progress_->advance(done);
    return !progress_->stopped();
}

void TableTransfer::finish(const char* what) {
    zString line = zString::format("%s %d %s", labelOf(job_), job_.count, what);
    job_.run->log().log("%s", line.c_str());
    job_.run->info().line("\t%s", line.c_str());
}

bool TableTransfer::forEachLine(const zString& path, const std::function<bool(std::string_view)>& handle) {
    zFile file(path);
    if (!file.open() || !file.seekStart()) {
        return failJob(job_, RunError::FileOpen, path.c_str(), file.errorText().c_str());
    }
    begin();
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
