// Reads one variable from a memory-variable file: entries of a 32-byte
// header (name in bytes 0-10, type letter with its high bit set in byte 11)
// followed by the value.
#include "cFile.h"
#include "exportGuard.h"
#include "mirtadll.h"

#include <algorithm>
#include <cstring>

using namespace hostutil;

namespace {

constexpr std::size_t kMaxRead = 10000;
constexpr std::size_t kTypeOffset = 11;
constexpr std::size_t kValueOffset = 32;
constexpr unsigned char kTypeCharacter = 0xC3;
constexpr unsigned char kTypeLogical = 0xCC;

}  // namespace

static int VEDIVARBody(const char* path, const char* name, char* value) {
    CFile file = openFile(path, "rb");
    if (!file) return -2;
    unsigned char data[kMaxRead];
    const std::size_t size = std::fread(data, 1, sizeof data, file.get());
    if (size == 0) return -3;
    if (!name || !*name) return -1;

    // The name with its terminating zero, exactly, anywhere in the bytes read.
    const auto* key = reinterpret_cast<const unsigned char*>(name);
    const std::size_t keySize = std::strlen(name) + 1;
    const unsigned char* end = data + size;
    const unsigned char* at = std::search(static_cast<const unsigned char*>(data), end, key, key + keySize);
    if (at == end) return -1;

    // Everything past the bytes read counts as zero, so a truncated entry
    // never reads outside them.
    const std::size_t offset = static_cast<std::size_t>(at - data);
    auto byteAt = [&](std::size_t i) { return offset + i < size ? data[offset + i] : 0; };
    if (!value) return 1;
    if (byteAt(kTypeOffset) == kTypeCharacter) {
        std::size_t i = kValueOffset;
        for (; byteAt(i) != 0; ++i) *value++ = static_cast<char>(byteAt(i));
        *value = '\0';
    } else if (byteAt(kTypeOffset) == kTypeLogical) {
        std::strcpy(value, byteAt(kValueOffset) ? "T" : "F");
    }
    return 1;
}

extern "C" MIRTA_API int VEDIVAR(const char* path, const char* name, char* value) {
    return hostutil::guarded("VEDIVAR", -2, [&] { return VEDIVARBody(path, name, value); });
}
