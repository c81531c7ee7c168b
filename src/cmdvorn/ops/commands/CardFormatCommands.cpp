#include "CardFormatCommands.h"

#include "BadgeTestRead.h"
#include "CardFormat.h"
#include "JobOutcome.h"
#include "Vorn.h"

namespace {

constexpr const char* kReadText = "FO,GE";

// The terminal's card format record; false after a failed exchange.
bool readFormatRecord(CMDARG_C& job, std::uint8_t (&record)[CardFormat::kSize]) {
    TelegramCommand read(kReadText, TelegramCommand::ReceiveData, record, CardFormat::kSize);
    if (!job.terminal->sendCommand(read)) return failWithStatus(job);
    ++job.count;
    return true;
}

}  // namespace

void sendCardFormatCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    LINE_FORMAT layout;
    CardFormat format = loadCardFormat(job.run->parameters(), layout, job.run->log());
    zString detail;
    if (const char* why = format.impossibility(detail)) {
        // No badge read reaches such a field: refused before anything is sent.
        failJob(job, RunError::BadParameterValue, CardFormat::kSection,
                zString::format("%s: %s", why, detail.c_str()).c_str());
        return;
    }
    if (const char* why = format.inconsistency(detail))
        // The terminal gets what the section says; the operator learns why badges may misread.
        job.run->log().log(zLogger::Warning, "%s %s %s: %s", labelOf(job), CardFormat::kSection, why, detail.c_str());

    std::uint8_t record[CardFormat::kSize];
    format.encode(record);
    TelegramCommand send("FO,SE", TelegramCommand::SendData, record, sizeof record);
    if (!terminal.sendCommand(send)) {
        failWithStatus(job);
        return;
    }
    ++job.count;
    job.run->log().log("%s Formato badge trasmesso", labelOf(job));

    std::uint8_t stored[CardFormat::kSize] = {};
    if (!readFormatRecord(job, stored)) return;
    reportCardFormat(job.run->info(), labelOf(job), CardFormat::decode(stored));
}

void readCardFormatCommand(CMDARG_C& job) {
    std::uint8_t record[CardFormat::kSize] = {};
    if (!readFormatRecord(job, record)) return;
    reportCardFormat(job.run->info(), labelOf(job), CardFormat::decode(record));
}

void testReadBadgeCommand(CMDARG_C& job) {
    Vorn& terminal = *job.terminal;
    std::uint8_t formatRecord[CardFormat::kSize] = {};
    if (!readFormatRecord(job, formatRecord)) return;
    if (!CardFormat::crcMatches(formatRecord)) {
        failJob(job, RunError::BadCrc, kReadText);
        return;
    }

    std::uint8_t readRecord[BadgeTestRead::kSize] = {};
    TelegramCommand read("FO,LR", TelegramCommand::ReceiveData, readRecord, sizeof readRecord);
    if (!terminal.sendCommand(read)) {
        failWithStatus(job);
        return;
    }
    ++job.count;

    LINE_FORMAT layout;
    loadLayout(job.run->parameters(), CardFormat::kSection, layout, job.run->log());
    reportTestRead(job.run->info(), labelOf(job), CardFormat::decode(formatRecord), layout,
                   BadgeTestRead::decode(readRecord));
}
