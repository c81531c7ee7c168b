#pragma once
// A named file on a buffered C stream, offered as a byte device. Each
// operation holds the file's own lock. An empty path gives error 87, an
// operation on a closed file error 6.
#include "zCommDev.h"

#include <cstdio>

class zFile : public zCommDev {
public:
    explicit zFile(zString path = zString());
    ~zFile() override;

    // Opens for reading and appending ("a+"), creating a missing file.
    bool open(const char* path = nullptr) override;
    // Opens an existing file for binary reading only ("rb").
    bool openRead(const char* path = nullptr);
    // Creates or truncates for reading and writing ("w+").
    bool create(const char* path = nullptr);
    bool close() override;
    bool isOpen() const override { return fp_ != nullptr; }
    bool write(const void* buffer, std::size_t length, std::size_t& written) override;
    bool read(void* buffer, std::size_t size, std::size_t& count) override;
    bool hasInput() override;
    bool seekStart();
    bool seekEnd();
    long size();
    // Hands buffered data to the system (survives a crash of this process).
    bool flush();
    // Also forces it onto the disk (survives a power cut).
    bool sync();
    LinkKind kind() const override { return LinkKind::File; }
    const char* kindName() const override { return "File"; }

    const zString& path() const { return name_; }

private:
    bool openMode(const char* path, const char* mode);
    bool fail(int err);
    bool requireOpen();  // error 6 on a closed file

    std::FILE* fp_ = nullptr;
    bool lastWasWrite_ = false;
};
