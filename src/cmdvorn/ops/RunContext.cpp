#include "RunContext.h"

#include "RecordWriter.h"
#include "Vorn.h"

#include <cctype>

namespace {

// Nobody to ask: No to every question, no file, messages only in the log.
class Unattended : public OperatorDialogs {
public:
    bool askYesNo(const char*, const char*) override { return false; }
    bool chooseFile(const FileChoice&, zString&) override { return false; }
    void showMessage(const char*, const char*) override {}
};

Unattended unattended;

}  // namespace

RunContext::RunContext(zLogger& log, VornMgr& manager, const ParameterLookup& parameters, RunSettings& settings,
                       BREAKDLG_C& dialog, InfoOutput& info, RunState& state)
    : log_(log), manager_(manager), parameters_(parameters), settings_(settings), dialog_(dialog), info_(info),
      state_(state),
      writerRun_(std::make_unique<RecordWriterRun>()), operatorDialogs_(&unattended) {}

RunContext::~RunContext() = default;

void RunContext::setOperatorDialogs(OperatorDialogs* dialogs) { operatorDialogs_ = dialogs ? dialogs : &unattended; }

void RunContext::reportError(RunError error, const Vorn* terminal, const char* text1, const char* text2) {
    state_.errorCode = error;

    const char* text = runErrorMessage(error);
    bool blank = true;
    for (const char* p = text; p && *p; ++p)
        if (!std::isspace(static_cast<unsigned char>(*p))) blank = false;
    // Message texts are at most 131 characters.
    zString message = blank ? zString::format("Errore %d", code(error)) : zString(text).left(131);

    const char* t1 = text1 ? text1 : "";
    const char* t2 = text2 ? text2 : "";
    if (terminal)
        log_.log("%s %s %s %s", terminal->label().c_str(), message.c_str(), t1, t2);
    else
        log_.log("%s %s %s", message.c_str(), t1, t2);
}
