#include "VersionCommand.h"
#include "JobOutcome.h"

#include "ResultFile.h"
#include "VersionReport.h"
#include "Vorn.h"

bool versionCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    RunContext& run = *job.run;

    if (isNewerModel(terminal.model())) {
        char text[129] = {};
        TelegramCommand command("%XI", TelegramCommand::ReceiveData, text, 128);
        if (!terminal.sendCommand(command)) return failWithStatus(job);
        ++job.count;
        reportVersionText(run.info(), terminal.label().c_str(), text);
        if (run.state().commandLineMode)
            writeRunResult(run.state(), zString::format("%s\n", text));
        return true;
    }

    unsigned char record[VersionRecord::kSize] = {};
    TelegramCommand command("VE", TelegramCommand::ReceiveData, record, VersionRecord::kSize);
    if (!terminal.sendCommand(command)) return failWithStatus(job);
    ++job.count;
    VersionRecord version = VersionRecord::decode(record);
    reportVersion(run.info(), terminal.label().c_str(), version);
    if (run.state().commandLineMode) writeRunResult(run.state(), versionResultLine(version));
    return true;
}
