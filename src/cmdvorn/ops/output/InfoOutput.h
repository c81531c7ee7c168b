#pragma once
// The run's information lines (versions, parameters, clocks, employee
// states): shown by the front end and, when [Global] DATA_OUT names a file,
// appended to it line by line.
#include "zLogger.h"
#include "zString.h"

class InfoSink {
public:
    virtual ~InfoSink() = default;
    virtual void addInfoLine(const char* line) = 0;
};

class InfoOutput {
public:
    static constexpr int kLineSize = 516;

    explicit InfoOutput(zLogger& log) : log_(log) {}

    void setSink(InfoSink* sink) { sink_ = sink; }
    void setDataOut(zString path) { dataOut_ = std::move(path); }

    void line(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

private:
    void appendToDataOut(const char* text);

    zLogger& log_;
    InfoSink* sink_ = nullptr;
    zString dataOut_;
    bool firstLine_ = true;
};
