#pragma once
// A small tmpfs mounted over a directory for the tests of full and
// read-only file systems; it needs root, and tells why when it cannot mount.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

class SmallTmpfs {
public:
    explicit SmallTmpfs(std::filesystem::path dir, const char* size = "64k") : dir_(std::move(dir)) {
        if (::geteuid() != 0) {
            why_ = "not running as root";
            return;
        }
        std::string options = std::string("size=") + size + ",mode=0755";
        if (::mount("tmpfs", dir_.c_str(), "tmpfs", 0, options.c_str()) != 0)
            why_ = std::string("mount failed: ") + std::strerror(errno);
        else
            mounted_ = true;
    }
    ~SmallTmpfs() {
        if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& whyNot() const { return why_; }

    // Writes a filler file until the file system has no room left.
    void fill() const {
        std::ofstream out(dir_ / "filler", std::ios::binary);
        std::string block(4096, 'x');
        while (out.write(block.data(), static_cast<std::streamsize>(block.size())) && out.flush()) {
        }
    }
    bool makeReadOnly() const {
        return ::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::filesystem::path dir_;
    bool mounted_ = false;
    std::string why_;
};
