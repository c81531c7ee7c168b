#include "MaintenanceCommands.h"

#include "JobOutcome.h"
#include "Vorn.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kConfirmCaption = "VORN-L";
constexpr const char* kFirmwareCaption = "VORN-L Firmware Download ";
constexpr const char* kConfirmFirmware = "Conferma aggiornamento firmware per VORN-L ?";
constexpr const char* kFirmwareMissing = "File VORNL.BIN non trovato !";
constexpr FileChoice kFirmwareChoice{"Vorn-L Firmware", "Firmware", "*.bin", "vornl.bin", "CMDVORN_FIRMWARE"};

// The question a destructive command asks first; nullptr for none.
const char* confirmationOf(CommandId id) {
    switch (id) {
    case CommandId::FactoryReset: return "Conferma reset configurazione di fabbrica";
    case CommandId::DeleteRecoverable: return "Conferma cancellazione permanente registrazioni";
    default: return nullptr;
    }
}

bool fail(CMDARG_C& job, RunError error, const char* text1 = nullptr, const char* text2 = nullptr) {
    job.run->reportError(error, job.terminal, text1, text2);
    job.result = error;
    return false;
}

// The image must be a readable file that holds something and whose blocks
// the transfer can number; a refused image sends nothing to the terminal.
bool firmwareUsable(CMDARG_C& job, const zString& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    zFile probe;
    if (!fs::is_regular_file(path.c_str(), ec) || !probe.openRead(path.c_str())) {
        job.run->log().log("%s %s", labelOf(job), kFirmwareMissing);
        job.run->operatorDialogs().showMessage(kFirmwareCaption, kFirmwareMissing);
        return fail(job, RunError::FileOpen, path.c_str());
    }
    probe.close();
    const auto size = fs::file_size(path.c_str(), ec);
    if (ec || size == 0) return fail(job, RunError::FileRead, path.c_str(), "(0 byte)");
    if (size > static_cast<std::uintmax_t>(zXmodem::kMaxFileSize)) {
        zString why = zString::format("(%ju byte, massimo %ld)", size, zXmodem::kMaxFileSize);
        return fail(job, RunError::BadParameterValue, path.c_str(), why.c_str());
    }
    return true;
}

RunError transferError(zXmodem::Failure failure) {
    using F = zXmodem::Failure;
    switch (failure) {
    case F::OperatorCancel: return RunError::Interrupted;
    case F::FileOpen: return RunError::FileOpen;
    case F::FileRead: return RunError::FileRead;
    case F::NoHandshake:
    case F::NoAnswer: return RunError::Timeout;
    case F::ReadFailed: return RunError::Read;
    case F::WriteFailed: return RunError::Write;
    case F::ReceiverRefused:
    case F::NotAcknowledged:
    case F::ReceiverCancelled:
    case F::EndNotAcknowledged:
    case F::None: break;
    }
    return RunError::TerminalError;
}

}  // namespace

void deviceCommand(CMDARG_C& job) {
    const char* question = confirmationOf(job.id);
    if (question && !job.run->operatorDialogs().askYesNo(kConfirmCaption, question)) {
        fail(job, RunError::Interrupted);
        return;
    }
    TelegramCommand telegram(job.telegram);
    if (!job.terminal->sendCommand(telegram)) {
        failWithStatus(job);
        return;
    }
    ++job.count;
}

void upgradeFirmwareCommand(CMDARG_C& job) {
    upgradeFirmware(job, XmodemTiming{});
}

bool upgradeFirmware(CMDARG_C& job, const XmodemTiming& timing) {
    RunContext& run = *job.run;
    OperatorDialogs& operatorDialogs = run.operatorDialogs();
    zString path;
    if (!operatorDialogs.chooseFile(kFirmwareChoice, path) || !operatorDialogs.askYesNo(kFirmwareCaption, kConfirmFirmware))
        return fail(job, RunError::Interrupted);
    if (!firmwareUsable(job, path)) return false;

    TelegramCommand start(job.telegram);
    if (!job.terminal->sendCommand(start)) return failWithStatus(job);
    ++job.count;
    zCommDev* link = job.terminal->getLink();
    if (!link) return fail(job, RunError::PortOpen);

    zXmodem sender(*link, run.log(), &run.dialog(), timing);
    run.log().log("XMODEM Inizio trasmissione file: %s", path.c_str());
    if (sender.sendFile(path.c_str())) return true;
    return fail(job, transferError(sender.failure()), path.c_str());
}
