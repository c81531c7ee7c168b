#pragma once
// RIPEMD-160 message digest, fed in pieces so that files of any size are
// hashed without holding them in memory. Each object holds its own state,
// so separate objects may be used on separate threads.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace hostutil {

class Ripemd160 {
public:
    using Digest = std::array<std::uint8_t, 20>;

    Ripemd160();
    void update(const void* data, std::size_t size);
    Digest finish();  // pads and returns the digest; the object is then spent

    static std::string toHex(const Digest& digest);  // 40 lower-case digits

private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 5> h_;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t totalBytes_ = 0;
};

}  // namespace hostutil
