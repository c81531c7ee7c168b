#pragma once
// A file that replaces another only once it is complete: written to a
// temporary file beside the target, synced and renamed over it. Until then
// the target stays as it was; an abandoned replacement leaves nothing.
#include <cstddef>
#include <cstdio>
#include <string>

class zReplacingFile {
public:
    explicit zReplacingFile(std::string target);
    ~zReplacingFile();  // abandons what was not committed
    zReplacingFile(const zReplacingFile&) = delete;
    zReplacingFile& operator=(const zReplacingFile&) = delete;

    // False when the temporary file cannot be created beside the target.
    bool open();
    bool isOpen() const { return file_ != nullptr; }
    bool write(const void* data, std::size_t size);
    // Flushes, syncs and renames into place, then syncs the directory that
    // holds the rename; false (and nothing left behind) when any step but
    // the last fails.
    bool commit();

private:
    void abandon();
    void syncDirectory() const;

    std::string target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
};
