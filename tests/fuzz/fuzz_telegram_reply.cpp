// Feeds arbitrary received bytes to the reply search and decoding.
#include "Telegram.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TelegramFrame frame;
    frame.build(5, 2, TelegramCommand("RE,GE,1"));
    std::size_t n = size < TelegramFrame::kBufferSize ? size : TelegramFrame::kBufferSize;
    std::memcpy(frame.receiveBuffer(), data, n);
    frame.setReceivedLength(n);
    RunError status = frame.parse();
    if (status != RunError::None && status != RunError::BadCrc && status != RunError::BadTelegram) __builtin_trap();
    unsigned char record[64];
    frame.decodeReplyData(record, sizeof record);
    if (status == RunError::None && frame.replyText().size() > TelegramFrame::kBufferSize) __builtin_trap();
    (void)frame.replyData();
    return 0;
}
