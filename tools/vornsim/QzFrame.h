#pragma once
// The QZ family's frames as the terminal sees them, written from the wire
// format: a request is STX, 0x80 + address, an optional "*dddd" tag, a
// two-character code, data, a check byte (0x80 OR the byte sum modulo 128)
// and CR; a reply is SOH, 0x80 + address, the tag if the request had one,
// the reply text, a check byte and CR.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornsim::qz {

struct QzRequest {
    int address = 0;
    std::optional<int> tag;
    std::string code;
    std::string data;
};

// Nothing when the frame is malformed or its check byte is wrong; `why` says which.
std::optional<QzRequest> parseQzRequest(std::string_view frame, std::string& why);
std::string buildQzReply(int address, std::optional<int> tag, std::string_view text);

// Cuts a byte stream into request frames: STX starts one (bytes before it
// are noise), CR ends it.
class QzFramer {
public:
    struct Event {
        enum Kind { Frame, Noise, Oversize } kind;
        std::string bytes;
    };
    std::vector<Event> feed(std::string_view bytes);

private:
    std::string frame_;
    std::string noise_;
    bool inFrame_ = false;
};

}  // namespace vornsim::qz
