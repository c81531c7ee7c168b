#include "InfoOutput.h"

#include "winError.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>

void InfoOutput::line(const char* fmt, ...) {
    char text[kLineSize + 1];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);

    if (sink_) sink_->addInfoLine(text);
    if (!dataOut_.isEmpty()) appendToDataOut(text);
}

void InfoOutput::appendToDataOut(const char* text) {
    bool first = firstLine_;
    firstLine_ = false;
    // Opened and closed for every line, so another program may read it meanwhile.
    std::FILE* f = std::fopen(dataOut_.c_str(), "a");
    if (!f) {
        if (first)
            log_.log("%s open error. %s", dataOut_.c_str(), fnd::winErrorText(fnd::winErrorFromErrno(errno)).c_str());
        return;
    }
    std::fprintf(f, "%s\n", text);
    std::fclose(f);
}
