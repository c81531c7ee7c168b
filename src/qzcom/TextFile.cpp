#include "TextFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace qzcom {

constexpr std::size_t kCountLimit = 300;
constexpr std::size_t kShortestCounted = 3;

LineReader::LineReader(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}

LineReader::~LineReader() {
    if (file_) std::fclose(file_);
}

std::optional<std::string> LineReader::next(std::size_t limit) {
    if (!file_) return std::nullopt;
    std::string line;
    int c = 0;
    while (line.size() < limit && (c = std::getc(file_)) != EOF) {
        if (c == '\r') continue;
        line += static_cast<char>(c);
        if (c == '\n') break;
    }
    if (line.empty() && c == EOF) return std::nullopt;
    return line;
}

std::string withoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int countLines(const std::string& path, std::size_t limit) {
    LineReader in(path);
    int count = 0;
    while (in.next(limit)) ++count;
    return count;
}

int countTableLines(const std::string& path) {
    LineReader in(path);
    int count = 0;
    while (auto line = in.next(kCountLimit)) {
        if (line->size() < kShortestCounted) break;
        ++count;
    }
    return count;
}

OutputFile::OutputFile(const std::string& path, const char* mode) : file_(std::fopen(path.c_str(), mode)) {}

OutputFile::~OutputFile() { close(); }

bool OutputFile::write(const std::string& bytes) {
    return file_ && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
}

bool OutputFile::close() {
    if (!file_) return false;
    const bool flushed = std::fflush(file_) == 0 && ::fsync(fileno(file_)) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return flushed && closed;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool writeWholeFile(const std::string& path, const std::string& text) {
    OutputFile out(path, "w");
    return out.write(text) && out.close();
}

}  // namespace qzcom
