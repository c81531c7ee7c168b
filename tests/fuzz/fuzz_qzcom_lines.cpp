// Feeds arbitrary file bytes to the QZ family's text file reading and to
// the line parsers of the table sends, the configuration and the firmware load.
#include "TableLines.h"
#include "TextFile.h"
#include "TransactionLine.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_qzcom_lines." + std::to_string(getpid());
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    qzcom::LineReader in(path);
    std::size_t column = 0;
    int number = 0;
    while (auto read = in.next(255)) {
        if (read->size() > 255 || read->find('\r') != std::string::npos) __builtin_trap();
        const std::string line = qzcom::withoutLineEnd(*read);
        if (number == 0) column = qzcom::configColumn(line);
        ++number;
        if (qzcom::bellRecord(line, number).size() > 2047) __builtin_trap();
        if (qzcom::readerRecord(line, number).size() > 2047) __builtin_trap();
        if (qzcom::holidayRecord(line).empty()) __builtin_trap();
        const std::string repaired = qzcom::repairedVacationLine(line);
        if (repaired != line && repaired.size() != 51 && repaired.size() < 45) __builtin_trap();
        (void)qzcom::configValue(line, column);
        (void)qzcom::endsTheLoad(line);
        if (qzcom::transactionLine(line, {true, true, 7}).size() != line.size() + 1) __builtin_trap();
    }
    (void)qzcom::countTableLines(path);
    return 0;
}
