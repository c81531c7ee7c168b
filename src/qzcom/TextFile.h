#pragma once
// The library's data files: line reading in text mode (CR LF read as LF, so
// no CR ever reaches a frame) with a limit per line like fgets, and output
// files that are synced to the disk before anything depends on them.
#include <cstdio>
#include <optional>
#include <string>

namespace qzcom {

class LineReader {
public:
    explicit LineReader(const std::string& path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    // Up to `limit` characters, stopping after a line feed (kept); a longer
    // line comes in pieces. Nothing at end of file.
    std::optional<std::string> next(std::size_t limit);

private:
    std::FILE* file_;
};

std::string withoutLineEnd(std::string line);
bool fileExists(const std::string& path);

// Lines of up to `limit` characters, as LineReader gives them, to the end.
int countLines(const std::string& path, std::size_t limit);

// The lines a table send scales its progress with: lines of up to 300
// characters, counted up to the end or to the first shorter than 3.
int countTableLines(const std::string& path);

class OutputFile {
public:
    // `mode` as for fopen ("w", "a", "wb").
    OutputFile(const std::string& path, const char* mode);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    bool write(const std::string& bytes);
    // Flushed, synced and closed; false when any of it failed.
    bool close();

private:
    std::FILE* file_;
};

// The whole file's bytes; empty when it cannot be read.
std::string readWholeFile(const std::string& path);

// Replaces `path` by `text`, synced; false when it could not be written.
bool writeWholeFile(const std::string& path, const std::string& text);

}  // namespace qzcom
