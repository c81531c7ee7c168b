#include "TableLines.h"

#include "TableText.h"

#include <sstream>

namespace qzcom {

std::string bellRecord(const std::string& line, int number) {
    int a = 0, b = 0, c = 0, d = 0;
    char text[80] = "";
    std::sscanf(line.c_str(), "%02d %02d %79s %01d %03d", &a, &b, text, &c, &d);
    return format("%01d %02d %02d %s %01d %03d", number, a, b, text, c, d);
}

std::string holidayRecord(const std::string& line) {
    int day = 0, month = 0;
    std::sscanf(line.c_str(), "%02d %02d", &day, &month);
    return format("%02d%02d", day, month);
}

std::string readerRecord(const std::string& line, int number) {
    int a = 0, b = 0, d = 0, e = 0, f = 0, g = 0;
    unsigned long c = 0;
    std::sscanf(line.c_str(), "%02d %01d %08lX %04d %02d %d %d", &a, &b, &c, &d, &e, &f, &g);
    return format("%02d %02d %01d %08lX %04d %02d %d %d", number, a, b, c, d, e, f, g);
}

std::string repairedVacationLine(const std::string& line) {
    constexpr std::size_t kKeyLength = 6, kValueLength = 8;
    constexpr int kValues = 5;
    std::istringstream fields(line);
    std::string key, value;
    fields >> key;
    bool sound = true;
    for (int i = 0; i < kValues; ++i) sound = (fields >> value) && value.size() == kValueLength && sound;
    if (sound) return line;
    if (key.size() != kKeyLength) key = "999999";
    return key + " +9999.99 +9999.99 +9999.99 +9999.99 +9999.99";
}

std::size_t configColumn(const std::string& firstLine) {
    const std::size_t blank = firstLine.find_last_of(' ');
    return blank == std::string::npos ? 0 : blank + 1;
}

std::string configValue(const std::string& line, std::size_t column) {
    return column < line.size() ? line.substr(column) : std::string();
}

bool endsTheLoad(const std::string& record) { return record.size() > 1 && record[1] > '3'; }

}  // namespace qzcom
