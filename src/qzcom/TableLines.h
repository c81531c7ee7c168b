#pragma once
// The line parsers of the table sends and the firmware load, apart from any
// file or link, so each can be tested and fuzzed on its own.
#include <string>

namespace qzcom {

// "%02d %02d %s %01d %03d" -> "%01d %02d %02d %s %01d %03d" with the running number.
std::string bellRecord(const std::string& line, int number);
// "%02d %02d" -> "%02d%02d".
std::string holidayRecord(const std::string& line);
// "%02d %01d %08lX %04d %02d %d %d" -> the same after the running number.
std::string readerRecord(const std::string& line, int number);
// A vacation line: key and five values of the form "+9999.99"; a line with
// any value of another length becomes the key (or "999999") and five "+9999.99".
std::string repairedVacationLine(const std::string& line);
// The value a configuration line sends: its text from `column` on.
std::string configValue(const std::string& line, std::size_t column);
// The column where a configuration line's last word begins.
std::size_t configColumn(const std::string& firstLine);
// An S-record after which nothing more is sent (S4 and above: count and termination).
bool endsTheLoad(const std::string& record);

}  // namespace qzcom
