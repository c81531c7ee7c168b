#include "ResultFile.h"

#include "RunContext.h"
#include "zReplacingFile.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace {

zString resultPath(const zString& dataDirectory) {
    return zString::format("%s/%s", dataDirectory.c_str(), kResultFileName);
}

}  // namespace

zString resultLine(RunError error, int count) {
    if (error == RunError::None) return zString::format("%5.5d\n", count);
    int value = resultFileValue(error);
    return zString::format("%c%4.4d\n", value < 0 ? '-' : '0', std::abs(value));
}

bool writeResultFile(const zString& dataDirectory, const zString& line) {
    zReplacingFile file(resultPath(dataDirectory).c_str());
    return file.open() && file.write(line.c_str(), static_cast<std::size_t>(line.length())) && file.commit();
}

bool writeRunResult(RunState& state, const zString& line) {
    if (writeResultFile(state.dataDirectory, line)) return true;
    state.resultFileFailed = true;
    return false;
}

bool removeResultFile(const zString& dataDirectory) {
    return ::unlink(resultPath(dataDirectory).c_str()) == 0 || errno == ENOENT;
}
