// Transaction downloads with their marker files, and the clock.
#include "QzHostTest.h"

#include <sys/stat.h>
#include <utime.h>

#include <regex>
#include <sstream>

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

time_t modified(const std::filesystem::path& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mtime;
}

void makeOld(const std::filesystem::path& path) {
    utimbuf old{1000000000, 1000000000};
    utime(path.c_str(), &old);
}

}  // namespace

class DownloadTest : public QzHostTest {
protected:
    void open(const std::vector<std::string>& simArgs, const std::string& settings = "") {
        startSimulator(simArgs);
        writeSettings(hostDir, settings);
        ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    }
    std::vector<std::string> work(const std::string& name) const { return linesOf(readText(workDir / name)); }
};

TEST_F(DownloadTest, MarkerCycleFirstRunSecondRunAndNewRecords) {
    // 25 records: three blocks, the third ending in "END OF TRANSIT"; then 3 new ones.
    open({"--records", "25", "--memory-blocks", "5", "--add-records", "3@3"});
    EXPECT_EQ(call("RXTRANSIT").code, 0);
    auto first = work("qzc01.trn");
    ASSERT_EQ(first.size(), 25u);
    for (const auto& line : first) {
        EXPECT_EQ(line.size(), 27u) << line;
        EXPECT_TRUE(line[0] == 'E' || line[0] == 'U') << line;
        EXPECT_GE(line[1], '0');
        EXPECT_LE(line[1], '7');
    }
    const std::string marker = readText(workDir / "qzc01.qzr");
    EXPECT_EQ(marker.size(), 27u);
    EXPECT_EQ(marker.substr(1, 25), first[0].substr(2, 25));
    EXPECT_EQ(countOf(wireLog(), "code=30"), 3);

    // Three new records came after the first run: only they are fetched.
    EXPECT_EQ(call("RXTRANSIT").code, 0);
    auto second = work("qzc01.trn");
    EXPECT_EQ(second.size(), 3u);
    const std::string newMarker = readText(workDir / "qzc01.qzr");
    EXPECT_NE(newMarker, marker);

    // Nothing new: an empty file, and the marker is not rewritten.
    makeOld(workDir / "qzc01.qzr");
    EXPECT_EQ(call("RXTRANSIT").code, 0);
    EXPECT_EQ(readText(workDir / "qzc01.trn"), "");
    EXPECT_EQ(readText(workDir / "qzc01.qzr"), newMarker);
    EXPECT_EQ(modified(workDir / "qzc01.qzr"), 1000000000);
}

TEST_F(DownloadTest, AllModeReadsTheWholeMemoryUntilAReplyCodeEndsIt) {
    open({"--records", "25", "--memory-blocks", "5"});
    QzResult r = call("RXTRANSIT,all");
    EXPECT_EQ(r.code, 3);  // the simulated terminal refuses a block past its memory
    auto lines = work("qzc01.trn");
    ASSERT_EQ(lines.size(), 50u);
    // Its 'E' reads as an exit mark like any record's first character.
    EXPECT_EQ(lines[25], "E=ND OF TRANSIT            ");
    EXPECT_FALSE(std::filesystem::exists(workDir / "qzc01.qzr"));
}

TEST_F(DownloadTest, AllModeIgnoresTheMarker) {
    open({"--records", "12", "--memory-blocks", "2", "--reply-code", "5@300002*"});
    EXPECT_EQ(call("RXTRANSIT").code, 0);
    EXPECT_EQ(work("qzc01.trn").size(), 12u);
    EXPECT_EQ(call("RXTRANSIT,all").code, 5);
    EXPECT_EQ(work("qzc01.trn").size(), 20u);
}

TEST_F(DownloadTest, ConversionWritesTheTerminalAddressWhenAsked) {
    open({"--records", "5"}, "WRITE_ID_NUMBER=1\n");
    EXPECT_EQ(call("RXTRANSIT").code, 0);
    for (const auto& line : work("qzc01.trn")) EXPECT_EQ(line.substr(25), "01") << line;
}

TEST_F(DownloadTest, RepeatableCodesRepeatTheBlockUpToFourTimes) {
    open({"--records", "5", "--reply-code", "97@1", "--reply-code", "98@2"});
    EXPECT_EQ(call("RXTRANSIT").code, 0);
    EXPECT_EQ(countOf(wireLog(), "code=30 \"0000\""), 3);
    EXPECT_EQ(work("qzc01.trn").size(), 5u);
}

TEST_F(DownloadTest, AFifthRepeatableErrorOnOneBlockGives90) {
    open({"--records", "15", "--reply-code", "97@300001*"});
    EXPECT_EQ(call("RXTRANSIT").code, 90);
    EXPECT_EQ(countOf(wireLog(), "code=30 \"0001\""), 5);
    EXPECT_EQ(work("qzc01.trn").size(), 10u);
    EXPECT_FALSE(std::filesystem::exists(workDir / "qzc01.qzr"));
}

TEST_F(DownloadTest, ATerminalThatFallsSilentLeavesTheMarkerAlone) {
    open({"--records", "15", "--no-reply", "300001*"}, "ETHERNET_TIMEOUT=0\n");
    writeText(workDir / "qzc01.qzr", "previous marker\n");
    EXPECT_EQ(call("RXTRANSIT").code, 91);
    EXPECT_EQ(work("qzc01.trn").size(), 10u);
    EXPECT_EQ(readText(workDir / "qzc01.qzr"), "previous marker\n");
}

TEST_F(DownloadTest, AShortBlockIsRepeated) {
    open({"--records", "5", "--oversize", "1"});
    // The oversized reply is a time-out; the next request gets the block.
    EXPECT_EQ(call("RXTRANSIT").code, 91);
    EXPECT_EQ(call("RXTRANSIT").code, 0);
    EXPECT_EQ(work("qzc01.trn").size(), 5u);
}

TEST_F(DownloadTest, SecondKindWithItsMarker) {
    open({"--second-kind", "4"});
    EXPECT_EQ(call("RXPTRANSIT").code, 0);
    auto lines = work("qzc01.trp");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(readText(workDir / "qzc01.qzp"), lines[0] + "\n");
    EXPECT_EQ(call("RXPTRANSIT").code, 0);
    EXPECT_EQ(readText(workDir / "qzc01.trp"), "");
}

TEST_F(DownloadTest, LoadTransitOfTheDefaultCodeAndAGivenOne) {
    startSimulator({"--load-records", "3@42"});
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    EXPECT_EQ(call("LOADTRANSIT,42").code, 0);
    auto lines = work("qz4201.trn");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 2), "42");
    EXPECT_EQ(readText(workDir / "qz4201.qzr"), lines[0] + "\n");
    EXPECT_NE(wireLog().find("code=42 \"0002\""), std::string::npos);
    EXPECT_EQ(call("LOADTRANSIT,42").code, 0);
    EXPECT_EQ(readText(workDir / "qz4201.trn"), "");
    EXPECT_EQ(call("LOADTRANSIT,x").code, 0);  // any other length means 31
    EXPECT_NE(wireLog().find("code=31 \"0000\""), std::string::npos);
}

TEST_F(DownloadTest, LoadTransitGives96AfterFourRepeatableErrors) {
    open({"--load-records", "3", "--reply-code", "98@31*"});
    EXPECT_EQ(call("LOADTRANSIT").code, 96);
    EXPECT_EQ(countOf(wireLog(), "code=31"), 5);
}

TEST_F(DownloadTest, TxTimeSendsTheLocalTime) {
    open({});
    EXPECT_EQ(call("TXTIME").code, 0);
    std::smatch m;
    const std::string log = wireLog();
    ASSERT_TRUE(std::regex_search(log, m, std::regex("code=01 \"(\\d{12})([0-6])\"")));
    char expected[16];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(expected, sizeof expected, "%y%m%d", &local);
    EXPECT_EQ(m[1].str().substr(0, 6), expected);
}
