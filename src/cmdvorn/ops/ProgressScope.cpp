#include "ProgressScope.h"

#include "JobOutcome.h"

#include <cstdio>

ProgressScope::ProgressScope(CMDARG_C& job, const char* caption, int total, const char* item)
    : job_(job), total_(total), item_(item) {
    BREAKDLG_C& dialog = job_.run->dialog();
    dialog.open(caption);
    dialog.showBar(total);
}

ProgressScope::~ProgressScope() { close(); }

void ProgressScope::advance(int done) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %d/%d", item_, done, total_);
    job_.run->dialog().setBar(done, text);
}

bool ProgressScope::stopped() { return interrupted(job_); }

void ProgressScope::close() {
    if (!open_) return;
    open_ = false;
    job_.run->dialog().close();
}
