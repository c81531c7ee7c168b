#include "RecordExchange.h"

#include "Vorn.h"

#include <cstring>

RunError fetchRecord(Vorn& terminal, const char* text, std::uint8_t* record, int size) {
    TelegramCommand command(text, TelegramCommand::ReceiveData, record, size);
    if (!terminal.sendCommand(command)) return terminal.statusCode();
    return checkFetched(terminal, text, record, size);
}

RunError checkFetched(Vorn& terminal, const char* text, std::uint8_t* record, int size) {
    // Two hexadecimal digits per byte.
    auto received = static_cast<int>(terminal.replyData().size());
    if (received == 2 * size) return RunError::None;
    std::memset(record, 0, static_cast<std::size_t>(size));
    if (zLogger* log = terminal.logger())
        log->log(zLogger::Error, "%s %s: ricevuti %d byte invece di %d", terminal.label().c_str(), text, received / 2,
                 size);
    return RunError::BadTelegram;
}

RunError storeRecord(Vorn& terminal, const char* text, const std::uint8_t* record, int size) {
    TelegramCommand command(text, TelegramCommand::SendData, const_cast<std::uint8_t*>(record), size);
    return terminal.sendCommand(command) ? RunError::None : terminal.statusCode();
}
