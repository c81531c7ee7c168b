#include "ResultFile.h"

#include "RunContext.h"
#include "zReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// The result line is short; a longer file is not ours to read whole.
constexpr int kResultLineMax = 512;

zString pathIn(const zString& dataDirectory, const char* name) {
    return zString::format("%s/%s", dataDirectory.c_str(), name);
}

bool replaceFile(const zString& path, const char* text, std::size_t size) {
    zReplacingFile file(path.c_str());
    return file.open() && file.write(text, size) && file.commit();
}

bool removeFile(const zString& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

}  // namespace

zString resultLine(RunError error, int count) {
    if (error == RunError::None) return zString::format("%5.5d\n", count);
    int value = resultFileValue(error);
    return zString::format("%c%4.4d\n", value < 0 ? '-' : '0', std::abs(value));
}

bool writeResultFile(const zString& dataDirectory, const zString& line) {
    return replaceFile(pathIn(dataDirectory, kResultFileName), line.c_str(), static_cast<std::size_t>(line.length()));
}

bool writeRunResult(RunState& state, const zString& line) {
    if (writeResultFile(state.dataDirectory, line)) return true;
    state.resultFileFailed = true;
    return false;
}

bool removeResultFile(const zString& dataDirectory) { return removeFile(pathIn(dataDirectory, kResultFileName)); }

zString readResultLine(const zString& dataDirectory) {
    std::FILE* file = std::fopen(pathIn(dataDirectory, kResultFileName).c_str(), "r");
    if (!file) return {};
    char line[kResultLineMax] = {};
    bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    if (!read) return {};
    zString text(line);
    if (text.length() > 0 && text[text.length() - 1] == '\n') text = text.left(text.length() - 1);
    return text;
}

bool writeReportFile(const zString& dataDirectory, const std::string& text) {
    return replaceFile(pathIn(dataDirectory, kReportFileName), text.data(), text.size());
}

bool removeReportFile(const zString& dataDirectory) { return removeFile(pathIn(dataDirectory, kReportFileName)); }
