#pragma once
// The run's log: one text file appended to by every run, each line stamped
// with the time of day to the millisecond. A day header ("#--- Monday,
// 07-Dec-2026 ---") precedes the first line of every run and each change of
// day. LOG_LEVEL 0 keeps only warning and error lines. A file that cannot be
// opened or written switches file output off silently; the list sink (the
// window's "Error Log") still gets every line, cut to 125 characters.
//
// Thread-safe: links that run side by side log through one logger, each line
// written whole under a lock. A thread working for one terminal can label its
// lines with it (ThreadLabel), so that interleaved lines stay readable.
#include "zClock.h"
#include "zFile.h"

#include <cstdarg>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

class zLogSink {
public:
    virtual ~zLogSink() = default;
    virtual void addLogLine(const char* line) = 0;
};

class zLogger {
public:
    enum Kind : char { Info = 'I', Header = '#', Warning = 'W', Error = 'E' };
    static constexpr int kLineSize = 1024;
    static constexpr int kListWidth = 125;

    explicit zLogger(const zString& path);
    ~zLogger();
    zLogger(const zLogger&) = delete;
    zLogger& operator=(const zLogger&) = delete;

    void log(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void log(Kind kind, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
    void vlog(Kind kind, const char* fmt, va_list args);

    // Text from a far end as a log line may carry it: control bytes and
    // bytes above 0x7e written as \r, \n, \t or \xNN and backslashes
    // doubled, so that it never ends a line or forges one of the tool's own.
    static std::string visible(std::string_view text);

    void setListSink(zLogSink* sink) { sink_ = sink; }
    void setLogLevel(int level) { level_ = level; }
    int logLevel() const { return level_; }
    // Off: the lines of the calling thread are dropped until it turns them
    // on again (a terminal's quiet exchange), those of other threads not.
    void setEnabled(bool on);
    bool writesToFile() const { return writeToFile_; }
    const zString& path() const { return file_.path(); }

    // While it lives, the lines this thread logs start with label unless
    // they already do ("[Term 005] ..."). Scopes nest; the inner one counts.
    class ThreadLabel {
    public:
        explicit ThreadLabel(std::string label);
        ~ThreadLabel();
        ThreadLabel(const ThreadLabel&) = delete;
        ThreadLabel& operator=(const ThreadLabel&) = delete;

    private:
        std::string previous_;
    };

    // Tests replace the clock to cross midnight without waiting for it.
    void setClock(std::function<fnd::LocalTime()> clock) { clock_ = std::move(clock); }

private:
    void writeToFile(const char* text, int length);

    std::mutex mutex_;  // one line at a time, whole, from any thread
    zFile file_;
    bool writeToFile_ = true;
    zLogSink* sink_ = nullptr;
    int level_ = 1;
    fnd::LocalTime lastDate_;
    char line_[kLineSize];
    std::function<fnd::LocalTime()> clock_ = fnd::localNow;
};
