#include "ParameterCommands.h"

#include "JobOutcome.h"
#include "LineParameters.h"
#include "ParameterExchange.h"
#include "ParameterReports.h"
#include "Vorn.h"

namespace {

bool failWith(CMDARG_C& job, RunError code) {
    job.result = code;
    return false;
}

bool notAvailable(CMDARG_C& job, const char* why) {
    logAndShow(job, "%s %s", labelOf(job), why);
    return failWith(job, RunError::UnknownCommand);
}

bool readVornLParameters(CMDARG_C& job) {
    ShortBlock block = {};
    if (RunError code = readShortBlock(*job.terminal, block); code != RunError::None) return failWith(job, code);
    ++job.count;
    reportShortParameters(job.run->info(), labelOf(job), block);
    return true;
}

bool readLongParameters(CMDARG_C& job) {
    LongBlock block = {};
    if (RunError code = readLongBlock(*job.terminal, block); code != RunError::None) return failWith(job, code);
    ++job.count;
    reportLongParameters(job.run->info(), labelOf(job), block);
    return true;
}

bool sendVornLParameters(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    ShortBlock block = {};
    if (RunError code = readShortBlock(terminal, block); code != RunError::None) return failWith(job, code);
    ++job.count;
    configureShortBlock(block, terminal, job.run->parameters());
    sealShortBlock(block);
    if (RunError code = sendShortBlock(terminal, block); code != RunError::None) return failWith(job, code);
    ++job.count;
    reportShortParameters(job.run->info(), labelOf(job), block);
    return true;
}

bool sendLongParameters(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    LongBlock block = {};
    if (RunError code = readLongBlock(terminal, block); code != RunError::None) return failWith(job, code);
    ++job.count;
    prepareLongBlock(block, terminal, job.run->parameters(), job.run->log());
    sealLongBlock(block);
    if (RunError code = sendLongBlock(terminal, block); code != RunError::None) return failWith(job, code);
    ++job.count;
    return readLongParameters(job);
}

}  // namespace

void readParametersCommand(CMDARG_C& job) {
    TerminalModel model = job.terminal->model();
    if (model == TerminalModel::VornL) {
        readVornLParameters(job);
        return;
    }
    if (isNewerModel(model)) {
        newerModelParametersCommand(job);
        return;
    }
    readLongParameters(job);
}

void sendParametersCommand(CMDARG_C& job) {
    TerminalModel model = job.terminal->model();
    if (model == TerminalModel::VornL) {
        sendVornLParameters(job);
        return;
    }
    if (isNewerModel(model)) {
        logAndShow(job, " ==== %s ====", "Send Params Not implemented for Calvet");
        failWith(job, RunError::UnknownCommand);
        return;
    }
    sendLongParameters(job);
}

void eepromCommand(CMDARG_C& job) {
    notAvailable(job, "Parametri EEPROM: si impostano dalla finestra \"Parametri EEPROM\"");
}
