#include "ripemd160.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string digestOf(const std::string& message) {
    hostutil::Ripemd160 md;
    md.update(message.data(), message.size());
    return hostutil::Ripemd160::toHex(md.finish());
}

}  // namespace

// The test vectors published with the algorithm.
TEST(Ripemd160, PublishedVectors) {
    EXPECT_EQ(digestOf(""), "9c1185a5c5e9fc54612808977ee8f548b2258d31");
    EXPECT_EQ(digestOf("a"), "0bdc9d2d256b3ee9daae347be6f4dc835a467ffe");
    EXPECT_EQ(digestOf("abc"), "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc");
    EXPECT_EQ(digestOf("message digest"), "5d0689ef49d2fae572b881b123a85ffa21595f36");
    EXPECT_EQ(digestOf("abcdefghijklmnopqrstuvwxyz"), "f71c27109c692c1b56bbdceb5b9d2865b3708dbc");
    EXPECT_EQ(digestOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "12a053384a9c0c88e405a06c27dcf49ada62eb2b");
    EXPECT_EQ(digestOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "b0e20b6e3116640286ed3a87a5713079b21f5189");
    std::string eightTimes;
    for (int i = 0; i < 8; ++i) eightTimes += "1234567890";
    EXPECT_EQ(digestOf(eightTimes), "9b752e45573d4b39f4dbd3323cab82bf63326bfb");
    EXPECT_EQ(digestOf(std::string(1000000, 'a')), "52783243c1697bdbe16d37f97f68f08325dc1528");
}

// Feeding a message in pieces of any size gives the digest of the whole,
// across every padding boundary (55/56/63/64 bytes left over).
TEST(Ripemd160, PiecewiseFeedingMatchesWhole) {
    std::string message;
    for (int i = 0; i < 300; ++i) message += static_cast<char>(i * 7 + 3);
    for (std::size_t length : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 300u}) {
        const std::string part = message.substr(0, length);
        const std::string whole = digestOf(part);
        for (std::size_t piece : {1u, 3u, 63u, 64u, 100u}) {
            hostutil::Ripemd160 md;
            for (std::size_t at = 0; at < part.size(); at += piece)
                md.update(part.data() + at, std::min(piece, part.size() - at));
            EXPECT_EQ(hostutil::Ripemd160::toHex(md.finish()), whole)
                << "length " << length << ", pieces of " << piece;
        }
    }
}
