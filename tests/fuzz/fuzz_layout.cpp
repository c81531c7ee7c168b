// Feeds arbitrary layout definitions (key lines of one section) and record
// bytes to the layout loader and the line composer.
#include "LayoutLines.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace {

// Every section holds the same lines; keys match like the parameter file's.
class Lines : public ParameterLookup {
public:
    explicit Lines(const std::string& text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            lines_.push_back(text.substr(start, end - start));
            start = end + 1;
        }
    }
    bool getValue(std::string_view, std::string_view key, zString& value) const override {
        for (const std::string& line : lines_) {
            if (line.size() < key.size() || line.find('=') == std::string::npos) continue;
            if (strncasecmp(line.c_str(), key.data(), key.size()) != 0) continue;
            value = zString(std::string_view(line).substr(line.find('=') + 1));
            value.trim();
            return true;
        }
        return false;
    }

private:
    std::vector<std::string> lines_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static zLogger log("/dev/null");
    std::uint8_t bytes[JobRecord::kSize] = {};
    std::size_t recordBytes = size < sizeof bytes ? size : sizeof bytes;
    std::memcpy(bytes, data, recordBytes);
    Lines parameters(std::string(reinterpret_cast<const char*>(data) + recordBytes, size - recordBytes));

    static LINE_FORMAT layout;
    static PRIVATE_FORMAT_C own;
    static LineBuffer line;
    loadLayout(parameters, "Timbrature", layout, log);
    own.load(parameters, "[Terminal 1]", log);
    if (layout.count > LINE_FORMAT::kMaxFields) __builtin_trap();

    composeLayoutLine(layout, TransactionRecord::decode(bytes), own, line);
    if (line.length() > LineBuffer::kCapacity || line.text()[line.length()] != '\0') __builtin_trap();
    composeLayoutLine(layout, JobRecord::decode(bytes), own, line);
    if (line.length() > LineBuffer::kCapacity || line.text()[line.length()] != '\0') __builtin_trap();
    return 0;
}
