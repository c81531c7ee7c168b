#include "ParameterCommands.h"

#include "JobOutcome.h"
#include "ParameterExchange.h"
#include "ParameterReports.h"
#include "PrmCfg.h"
#include "Vorn.h"
#include "VornMgr.h"

namespace {

constexpr int kVornL = 4;
constexpr int kNotAvailable = 101;

bool failWith(CMDARG_C& job, int code) {
    job.result = code;
    return false;
}

bool notAvailable(CMDARG_C& job, const char* why) {
    logAndShow(job, "%s %s", labelOf(job), why);
    return failWith(job, kNotAvailable);
}

bool readVornLParameters(CMDARG_C& job) {
    ShortBlock block = {};
    if (int code = readShortBlock(*job.terminal, block); code != 0) return failWith(job, code);
    ++job.count;
    reportShortParameters(job.run->info(), labelOf(job), block);
    return true;
}

bool readLongParameters(CMDARG_C& job) {
    LongBlock block = {};
    if (int code = readLongBlock(*job.terminal, block); code != 0) return failWith(job, code);
    ++job.count;
    reportLongParameters(job.run->info(), labelOf(job), block);
    return true;
}

bool sendVornLParameters(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    ShortBlock block = {};
    if (int code = readShortBlock(terminal, block); code != 0) return failWith(job, code);
    ++job.count;
    configureShortBlock(block, terminal, job.run->manager().config());
    sealShortBlock(block);
    if (int code = sendShortBlock(terminal, block); code != 0) return failWith(job, code);
    ++job.count;
    reportShortParameters(job.run->info(), labelOf(job), block);
    return true;
}

bool sendLongParameters(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    LongBlock block = {};
    if (int code = readLongBlock(terminal, block); code != 0) return failWith(job, code);
    ++job.count;
    prepareLongBlock(block, terminal, job.run->manager().config(), job.run->log());
    sealLongBlock(block);
    if (int code = sendLongBlock(terminal, block); code != 0) return failWith(job, code);
    ++job.count;
    return readLongParameters(job);
}

}  // namespace

bool readParametersCommand(CMDARG_C& job) {
    int model = job.terminal->modelCode();
    if (model == kVornL) return readVornLParameters(job);
    if (isNewerModel(model)) return notAvailable(job, "Lettura parametri (@CFG) non ancora disponibile");
    return readLongParameters(job);
}

bool sendParametersCommand(CMDARG_C& job) {
    int model = job.terminal->modelCode();
    if (model == kVornL) return sendVornLParameters(job);
    if (isNewerModel(model)) {
        logAndShow(job, " ==== %s ====", "Send Params Not implemented for Calvet");
        return failWith(job, kNotAvailable);
    }
    return sendLongParameters(job);
}

bool eepromCommand(CMDARG_C& job) {
    return notAvailable(job, "Parametri EEPROM: si impostano dalla finestra \"Parametri EEPROM\"");
}
