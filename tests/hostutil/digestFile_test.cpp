// RMDcalc through the loaded library.
#include "hostTestSupport.h"
#include "ripemd160.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

namespace {

std::string rmd(const std::string& path) {
    char out[41];
    std::memset(out, '?', sizeof out);
    EXPECT_EQ(mirta().RMDcalc(path.c_str(), out), 1);
    return std::string(out, strnlen(out, sizeof out));
}

long peakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

TEST(RMDcalc, DigestsFileBytesAsLowerCaseHex) {
    TempDir dir;
    writeBytes(dir.path("empty"), "");
    EXPECT_EQ(rmd(dir.path("empty")), "9c1185a5c5e9fc54612808977ee8f548b2258d31");
    writeBytes(dir.path("abc"), "abc");
    EXPECT_EQ(rmd(dir.path("abc")), "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc");
    // Binary content: no text-mode translation of CR LF or zero bytes.
    writeBytes(dir.path("crlf"), std::string("a\r\n\0b", 5));
    hostutil::Ripemd160 md;
    md.update("a\r\n\0b", 5);
    EXPECT_EQ(rmd(dir.path("crlf")), hostutil::Ripemd160::toHex(md.finish()));
}

TEST(RMDcalc, UnreadableFileGivesZeroAndEmptyTextAndTheHostLives) {
    TempDir dir;
    char out[41] = "untouched";
    EXPECT_EQ(mirta().RMDcalc(dir.path("missing").c_str(), out), 0);
    EXPECT_STREQ(out, "");
    std::strcpy(out, "untouched");
    EXPECT_EQ(mirta().RMDcalc(dir.path("").c_str(), out), 0);  // a folder
    EXPECT_STREQ(out, "");
    EXPECT_EQ(mirta().RMDcalc(nullptr, out), 0);
}

// Concurrent digests of different files must not mix their results.
TEST(RMDcalc, ConcurrentCallsKeepTheirOwnResults) {
    TempDir dir;
    writeBytes(dir.path("a"), "abc");
    writeBytes(dir.path("b"), "message digest");
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            const std::string path = dir.path(t % 2 ? "a" : "b");
            const char* want = t % 2 ? "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc"
                                     : "5d0689ef49d2fae572b881b123a85ffa21595f36";
            for (int i = 0; i < 200; ++i) {
                char out[41] = {};
                if (mirta().RMDcalc(path.c_str(), out) != 1 || std::strcmp(out, want) != 0) ++wrong;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(wrong, 0);
}

// A file of hundreds of MiB is digested without being held in memory.
TEST(RMDcalc, HugeFileIsStreamed) {
    TempDir dir;
    const std::string path = dir.path("huge");
    constexpr std::size_t kBlock = 1 << 20;
    constexpr int kBlocks = 256;
    std::vector<char> block(kBlock);
    for (std::size_t i = 0; i < kBlock; ++i) block[i] = static_cast<char>(i * 31 + i / 4096);
    hostutil::Ripemd160 expected;
    {
        std::ofstream out(path, std::ios::binary);
        for (int b = 0; b < kBlocks; ++b) {
            block[0] = static_cast<char>(b);
            out.write(block.data(), kBlock);
            expected.update(block.data(), kBlock);
        }
    }
    const long before = peakRssKiB();
    EXPECT_EQ(rmd(path), hostutil::Ripemd160::toHex(expected.finish()));
    EXPECT_LT(peakRssKiB() - before, 32 * 1024) << "peak memory grew by more than 32 MiB";
}
