#pragma once
// The terminal's side of the telegram envelope: reading a request the PC sent
// and building the reply a terminal sends back. Written on its own, from the
// wire format, so that it checks the tool instead of sharing its mistakes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornsim {

using Bytes = std::vector<std::uint8_t>;

constexpr char kSoh = 0x01;
constexpr char kStx = 0x02;
constexpr char kEot = 0x04;
constexpr std::size_t kMaxTelegram = 1024;

struct Request {
    int destination = 0;
    int source = 0;
    int sequence = 0;
    int timeoutField = 0;
    std::string text;
    std::optional<Bytes> data;  // present when the request carried an STX
};

enum class RequestError { None, Malformed, BadChecksum };

struct ParsedRequest {
    RequestError error = RequestError::None;
    std::string reason;  // why it was refused, for the wire log
    Request request;
};

// `frame` runs from SOH to EOT inclusive.
ParsedRequest parseRequest(std::string_view frame);

struct ReplyParts {
    int destination = 0;  // anything but 0 is a misaddressed reply
    int source = 0;       // the answering node
    int sequence = 0;
    std::string text;
    std::optional<Bytes> data;
    std::optional<std::string> rawData;  // sent after STX as it is, instead of data
    bool corruptChecksum = false;
};

std::string buildReply(const ReplyParts& reply);

std::string hexEncode(const Bytes& data);
std::optional<Bytes> hexDecode(std::string_view hex);

// Readable form of raw bytes: printable ASCII as is, the rest as \xHH.
std::string escapeBytes(std::string_view bytes);

}  // namespace vornsim
