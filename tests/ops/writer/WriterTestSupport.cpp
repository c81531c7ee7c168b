#include "WriterTestSupport.h"

#include "crc16.h"

#include <cstdlib>
#include <fstream>
#include <strings.h>

bool MemoryParameters::getValue(std::string_view sectionText, std::string_view keyText, zString& value) const {
    zString section(sectionText), key(keyText);
    bool inSection = false;
    bool seen = false;
    for (const std::string& line : lines_) {
        if (!line.empty() && line[0] == '[') {
            if (inSection) return false;  // only the first section of a header counts
            inSection = !seen && strcasecmp(line.c_str(), section.c_str()) == 0;
            seen = seen || inSection;
            continue;
        }
        if (!inSection || line.size() < static_cast<std::size_t>(key.length())) continue;
        std::size_t equals = line.find('=');
        if (equals == std::string::npos || strncasecmp(line.c_str(), key.c_str(), key.length()) != 0) continue;
        value = zString(std::string_view(line).substr(equals + 1));
        value.trim();
        return true;
    }
    return false;
}

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "writer-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

CapturedLog::CapturedLog(const ScratchDir& dir) : log_(dir.path("cmdvorn.log").c_str()) { log_.setListSink(this); }

void CapturedLog::addLogLine(const char* line) {
    std::string text(line);
    if (text.rfind("#--- ", 0) == 0) return;
    // "HH:MM:SS:mmm " precedes every line.
    lines_.push_back(text.size() > 13 ? text.substr(13) : std::string());
}

bool CapturedLog::has(const std::string& line) const {
    for (const std::string& l : lines_)
        if (l == line) return true;
    return false;
}

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::uint32_t terminalSeconds(int year, int month, int day, int hour, int minute, int second) {
    CalendarRecord c;
    c.year = static_cast<std::uint8_t>(year - 1900);
    c.month = static_cast<std::uint8_t>(month);
    c.day = static_cast<std::uint8_t>(day);
    c.hour = static_cast<std::uint8_t>(hour);
    c.minute = static_cast<std::uint8_t>(minute);
    c.second = static_cast<std::uint8_t>(second);
    return TerminalTime::fromCalendar(c).seconds();
}

void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::uint8_t> transactionBytes(int company, int terminal, std::uint32_t employee, std::uint32_t time,
                                           int flags, int cause, std::uint32_t job, int workHigh) {
    std::vector<std::uint8_t> b(19);
    b[0] = static_cast<std::uint8_t>(company);
    b[1] = static_cast<std::uint8_t>(terminal);
    put32(&b[2], employee);
    put32(&b[6], time);
    b[10] = static_cast<std::uint8_t>(flags);
    b[11] = static_cast<std::uint8_t>(cause);
    put32(&b[12], job);
    b[16] = static_cast<std::uint8_t>(workHigh);
    put16(&b[17], fnd::crc16(b.data(), 17));
    return b;
}
