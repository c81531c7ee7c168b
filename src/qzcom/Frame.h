#pragma once
// The frames of the QZ family. A request is STX, 0x80 + address, an optional
// tag "*%04d", a two-character code, data, a check byte (0x80 OR the sum of
// the preceding bytes modulo 128) and CR. A reply is SOH, an address byte,
// the optional tag, the reply text, a check byte and CR; its address and
// check byte are not verified.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qzcom {

constexpr char kStx = 0x02;
constexpr char kSoh = 0x01;
constexpr char kCr = 0x0d;
constexpr std::size_t kMaxLine = 1024;  // longest frame either way
constexpr int kTagLimit = 4096;         // tags are 0..4095

unsigned char checkByte(std::string_view bytes);

// The whole request frame; `tag` only in the tagged protocol.
std::string requestFrame(int address, std::optional<int> tag, std::string_view code,
                         std::string_view data);

// The reply text of a received line (SOH through CR); `tagged` when the line
// carries a tag. `tag` receives the line's tag, or nothing when it has none
// that reads as four digits.
std::string replyText(std::string_view line, bool tagged, std::optional<int>* tag = nullptr);

// "T01Rx0012" gives 12; any text not in the T..Rx form gives 0.
int replyCode(std::string_view text);

// Collects one reply line a byte at a time: SOH starts the line afresh (so
// noise before it is dropped), CR ends it.
class LineCollector {
public:
    enum class State { More, Complete, Overflow };
    State add(char byte);
    const std::string& line() const { return line_; }
    void clear() { line_.clear(); }

private:
    std::string line_;
};

}  // namespace qzcom
