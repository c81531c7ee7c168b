#include "VersionCommand.h"
#include "JobOutcome.h"

#include "VersionReport.h"
#include "Vorn.h"

void versionCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    RunContext& run = *job.run;

    if (isNewerModel(terminal.model())) {
        char text[129] = {};
        TelegramCommand command("%XI", TelegramCommand::ReceiveData, text, 128);
        if (!terminal.sendCommand(command)) {
            failWithStatus(job);
            return;
        }
        ++job.count;
        reportVersionText(run.info(), terminal.label().c_str(), text);
        job.resultLine = zString::format("%s\n", text);
        return;
    }

    unsigned char record[VersionRecord::kSize] = {};
    TelegramCommand command("VE", TelegramCommand::ReceiveData, record, VersionRecord::kSize);
    if (!terminal.sendCommand(command)) {
        failWithStatus(job);
        return;
    }
    ++job.count;
    VersionRecord version = VersionRecord::decode(record);
    reportVersion(run.info(), terminal.label().c_str(), version);
    job.resultLine = versionResultLine(version);
}
