#include "zLogger.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

thread_local std::string threadLabel;
// The logger this thread keeps quiet, if any.
thread_local const zLogger* quietFor = nullptr;

}  // namespace

zLogger::ThreadLabel::ThreadLabel(std::string label) : previous_(std::move(threadLabel)) {
    threadLabel = std::move(label);
}

zLogger::ThreadLabel::~ThreadLabel() { threadLabel = std::move(previous_); }

zLogger::zLogger(const zString& path) : file_(path) {
    lastDate_ = clock_();
    lastDate_.day = 0;  // the first line of a run always writes a day header
    line_[0] = '\0';
}

zLogger::~zLogger() {
    file_.close();
    if (quietFor == this) quietFor = nullptr;
}

void zLogger::setEnabled(bool on) {
    if (!on)
        quietFor = this;
    else if (quietFor == this)
        quietFor = nullptr;
}

void zLogger::log(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vlog(Info, fmt, args);
    va_end(args);
}

void zLogger::log(Kind kind, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vlog(kind, fmt, args);
    va_end(args);
}

void zLogger::vlog(Kind kind, const char* fmt, va_list args) {
    if (quietFor == this) return;
    std::lock_guard<std::mutex> lock(mutex_);

    fnd::LocalTime now = clock_();
    if (now.day != lastDate_.day) {
        lastDate_ = now;
        std::tm tm{};
        tm.tm_year = now.year - 1900;
        tm.tm_mon = now.month - 1;
        tm.tm_mday = now.day;
        tm.tm_wday = now.weekday;
        char header[50];
        std::size_t n = std::strftime(header, sizeof header, "#--- %A, %d-%b-%Y ---", &tm);
        writeToFile(header, static_cast<int>(n));
    }

    int used = 0;
    if (kind == Header) line_[used++] = '#';
    used += std::snprintf(line_ + used, kLineSize - used, "%2.2d:%2.2d:%2.2d:%3.3d ", now.hour, now.minute,
                          now.second, now.millisecond);
    int wanted = std::vsnprintf(line_ + used, kLineSize - used, fmt, args);
    if (!threadLabel.empty() && wanted >= 0 && std::strncmp(line_ + used, threadLabel.c_str(), threadLabel.size()) != 0) {
        // Room made in place: the label and a blank go before the text.
        const int shift = static_cast<int>(threadLabel.size()) + 1;
        const int keep = std::min(wanted, kLineSize - 1 - used - shift);
        if (keep >= 0) {
            std::memmove(line_ + used + shift, line_ + used, static_cast<std::size_t>(keep));
            std::memcpy(line_ + used, threadLabel.data(), threadLabel.size());
            line_[used + shift - 1] = ' ';
            wanted = keep + shift;
            line_[used + wanted] = '\0';
        }
    }
    int length = used + (wanted < 0 ? 0 : wanted);
    if (length > kLineSize - 1) length = kLineSize - 1;

    if (level_ == 0 && (kind == Info || kind == Header)) return;

    writeToFile(line_, length);

    if (sink_) {
        char shown[kListWidth + 1];
        std::snprintf(shown, sizeof shown, "%.*s", kListWidth, line_);
        sink_->addLogLine(shown);
    }
}

void zLogger::writeToFile(const char* text, int length) {
    if (!writeToFile_) return;
    if (!file_.isOpen() && !file_.open() && !file_.create()) {
        writeToFile_ = false;
        return;
    }
    std::size_t written = 0;
    bool ok = file_.seekEnd() && file_.write(text, static_cast<std::size_t>(length), written) &&
              file_.write("\n", 1, written);
    // Flushed per line so that a crash or a kill keeps everything logged so far.
    if (ok) ok = file_.flush();
    if (!ok) {
        file_.close();
        writeToFile_ = false;
    }
}

std::string zLogger::visible(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c >= 0x20 && c < 0x7f) {
                    out.push_back(static_cast<char>(c));
                } else {
                    char hex[5];
                    std::snprintf(hex, sizeof hex, "\\x%02x", c);
                    out += hex;
                }
        }
    }
    return out;
}
