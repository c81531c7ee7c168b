#include "ResultFile.h"

#include <cstdio>
#include <cstdlib>

zString resultLine(RunError error, int count) {
    if (error == RunError::None) return zString::format("%5.5d\n", count);
    int value = resultFileValue(error);
    return zString::format("%c%4.4d\n", value < 0 ? '-' : '0', std::abs(value));
}

bool writeResultFile(const zString& dataDirectory, const zString& line) {
    zString path = zString::format("%s/%s", dataDirectory.c_str(), kResultFileName);
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    bool ok = std::fwrite(line.c_str(), 1, static_cast<size_t>(line.length()), f) == static_cast<size_t>(line.length());
    return std::fclose(f) == 0 && ok;
}
