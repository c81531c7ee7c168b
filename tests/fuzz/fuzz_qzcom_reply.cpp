// Feeds arbitrary received bytes to the QZ family's line collection and reply
// decoding, as they arrive on a serial line and on a socket.
#include "Frame.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qzcom::LineCollector collector;
    for (char byte : bytes) {
        auto state = collector.add(byte);
        if (collector.line().size() > qzcom::kMaxLine) __builtin_trap();
        if (state == qzcom::LineCollector::State::More) continue;
        for (bool tagged : {false, true}) {
            std::optional<int> tag;
            const std::string text = qzcom::replyText(collector.line(), tagged, &tag);
            if (text.size() + 2 > collector.line().size() && !text.empty()) __builtin_trap();
            if (tag && (*tag < 0 || *tag > 9999)) __builtin_trap();
            const int code = qzcom::replyCode(text);
            if (code < 0 || code > 9999) __builtin_trap();
        }
        collector.clear();
    }
    return 0;
}
