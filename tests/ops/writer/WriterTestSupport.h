#pragma once
// Shared by the writer tests: an in-memory parameter file with the reader's
// look-up rule, a log that keeps its lines, a scratch directory, and wire
// bytes of records.
#include "ParameterLookup.h"
#include "TerminalTime.h"
#include "TextFile.h"
#include "zLogger.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Lines of a parameter file, looked up like the reader does: header compared
// without case, key compared without case over the key's length, the first
// matching line with "=" wins.
class MemoryParameters : public ParameterLookup {
public:
    explicit MemoryParameters(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    bool getValue(std::string_view sectionText, std::string_view keyText, zString& value) const override;

private:
    std::vector<std::string> lines_;
};

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
};

// A log whose lines the test reads back, without their time stamps.
class CapturedLog : public zLogSink {
public:
    explicit CapturedLog(const ScratchDir& dir);
    zLogger& logger() { return log_; }
    const std::vector<std::string>& lines() const { return lines_; }
    bool has(const std::string& line) const;
    void addLogLine(const char* line) override;

private:
    zLogger log_;
    std::vector<std::string> lines_;
};

void writeFile(const std::string& path, const std::string& text);

std::uint32_t terminalSeconds(int year, int month, int day, int hour, int minute, int second = 0);

// Wire bytes of a TransactionRecord, with its CRC.
std::vector<std::uint8_t> transactionBytes(int company, int terminal, std::uint32_t employee, std::uint32_t time,
                                           int flags, int cause, std::uint32_t job = 0, int workHigh = 0);
void put16(std::uint8_t* p, std::uint16_t v);
void put32(std::uint8_t* p, std::uint32_t v);
