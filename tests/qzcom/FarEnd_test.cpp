// What a far end cannot do to the host: write outside the working
// directory, keep a transfer going without end, hold the host with a count,
// feed it another request's answer, or make it write where it happens to be.
#include "QzHostTest.h"

#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// Runs one call on its own thread, as a host whose window thread stays free.
class BackgroundCall {
public:
    explicit BackgroundCall(std::function<QzResult()> run)
        : thread_([this, run] {
              result_ = run();
              done_ = true;
          }) {}
    ~BackgroundCall() {
        if (thread_.joinable()) thread_.join();
    }
    QzResult result() {
        thread_.join();
        return result_;
    }
    bool done() const { return done_; }

private:
    QzResult result_{};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace

class FarEndTest : public QzHostTest {
protected:
    void open(const std::vector<std::string>& simArgs, const std::string& settings = "") {
        startSimulator(simArgs);
        writeSettings(hostDir, "ETHERNET_TIMEOUT=2\nDISABLE_MESSAGE_BOX=1\n" + settings);
        ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    }
    std::string tcpTo(const std::filesystem::path& dir) const {
        return "TCP:127.0.0.1 " + std::to_string(sim->tcpPort()) + " 1 " + dir.string();
    }
    std::string local(const std::string& name) const { return readText(workDir / name); }
    BackgroundCall* background(const std::string& command) {
        calls_.push_back(std::make_unique<BackgroundCall>([this, command] { return call(command); }));
        return calls_.back().get();
    }

private:
    std::vector<std::unique_ptr<BackgroundCall>> calls_;
};

// Names from the terminal's list ----------------------------------------------

TEST_F(FarEndTest, TemplateNamesThatLeaveTheWorkingDirectoryAreRefused) {
    // Two levels down, so that "../../" would land inside the test's folder.
    const auto deep = workDir / "a" / "b";
    std::filesystem::create_directories(deep);
    const std::filesystem::path absolute = "/tmp/qzX.TPL";
    std::filesystem::remove(absolute);
    for (const std::string& name : {std::string("../../xx.TPL"), absolute.string(), std::string("0000\x05\x06\x07x.TPL")}) {
        SCOPED_TRACE(name);
        sim.reset();
        startSimulator({"--templates", "2", "--reader-type", "4", "--template-file", name});
        writeSettings(hostDir, "ETHERNET_TIMEOUT=2\nDISABLE_MESSAGE_BOX=1\n");
        ASSERT_EQ(call("OPENCOM," + tcpTo(deep)).code, 0);
        EXPECT_EQ(call("RXTEMPLATE").code, 2);
        EXPECT_FALSE(std::filesystem::exists(workDir / "xx.TPL"));
        EXPECT_FALSE(std::filesystem::exists(absolute));
        // The whole list is checked before any template is fetched.
        EXPECT_FALSE(std::filesystem::exists(deep / "00001001.TPL"));
        EXPECT_EQ(countOf(wireLog(), "code=F1 \"00001001.TPL"), 0);
    }
    std::filesystem::remove(absolute);
}

TEST_F(FarEndTest, TxTemplateSendsNoFileNamedOutsideTheWorkingDirectory) {
    const auto deep = workDir / "a" / "b";
    std::filesystem::create_directories(deep);
    writeText(workDir / "yy.TPL", "private host data");
    startSimulator({"--reader-type", "4"});
    writeSettings(hostDir, "DISABLE_MESSAGE_BOX=1\n");
    ASSERT_EQ(call("OPENCOM," + tcpTo(deep)).code, 0);
    writeText(deep / "00001001.TPL", "mine");
    writeText(deep / "template.txt", "00001001.TPL\n../../yy.TPL\n");
    EXPECT_EQ(call("TXTEMPLATE").code, 2);
    EXPECT_EQ(countOf(wireLog(), "code=F0 "), 0) << wireLog();
}

// Transfers that never end ---------------------------------------------------

TEST_F(FarEndTest, AFetchEndsAtTheAnnouncedSize) {
    open({"--endless", "big.bin@300"});
    writeText(workDir / "big.bin", "kept");
    EXPECT_EQ(call("RFILE,big.bin").code, WQZCOM_TRANSFER_BOUND);
    // Three blocks hold 300 bytes, a fourth may bring the end answer; no more.
    EXPECT_LE(countOf(wireLog(), "code=F1 \"big.bin"), 4);
    EXPECT_EQ(local("big.bin"), "kept");  // replaced only by a complete transfer
}

TEST_F(FarEndTest, AFetchWithoutSizeEndsAtItsTotalTime) {
    open({"--endless", "qzcom.log"}, "TRANSFER_TIMEOUT=1\n");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(call("RFILE,qzcom.log").code, WQZCOM_TRANSFER_BOUND);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(std::filesystem::exists(workDir / "qzcom.log"));
}

TEST_F(FarEndTest, AFetchEndsBeforeBlockNumbersOutgrowFourHexDigits) {
    open({"--endless", "huge.bin"});
    EXPECT_EQ(call("RFILE,huge.bin").code, WQZCOM_TRANSFER_BOUND);
    const std::string log = wireLog();
    EXPECT_NE(log.find("code=F1 \"huge.bin FFFE\""), std::string::npos);
    EXPECT_EQ(log.find("code=F1 \"huge.bin FFFF\""), std::string::npos);
    EXPECT_EQ(log.find("code=F1 \"huge.bin 10000\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(workDir / "huge.bin"));
}

TEST_F(FarEndTest, StopWithoutAWindowEndsAFetchBetweenBlocks) {
    open({"--endless", "stop.bin"});
    BackgroundCall* fetch = background("RFILE,stop.bin");
    ASSERT_TRUE(eventually([&] { return countOf(wireLog(), "code=F1 \"stop.bin") >= 3; }));
    qz().QzcomStop();
    ASSERT_TRUE(eventually([&] { return fetch->done(); }));
    EXPECT_EQ(fetch->result().code, 92);
    EXPECT_FALSE(std::filesystem::exists(workDir / "stop.bin"));
    // The next call starts without the old request.
    EXPECT_EQ(call("13,x").code, 0);
}

// Counts read from a file that came from a terminal ------------------------

TEST_F(FarEndTest, GroupHeadersWithUnbelievableCountsAreRefused) {
    open({"--reader-type", "2"});
    const std::string finger(32, 'A');
    std::string lines;
    for (int i = 0; i < 16 * 11; ++i) lines += finger + "\n";
    for (const std::string& header : {std::string("BIO 1001 FP 11\n"), std::string("BIO 1001 FP -1\n"),
                                      std::string("BIO 1001 FP 18446744073709551615\n")}) {
        SCOPED_TRACE(header);
        writeText(workDir / "template.bio", header + lines);
        EXPECT_EQ(call("TXTEMPLATE").code, 1);
    }
    // A group the file ends inside.
    writeText(workDir / "template.bio", "BIO 1001 FP 2\n" + lines.substr(0, 20 * 33));
    EXPECT_EQ(call("TXTEMPLATE").code, 1);
    EXPECT_EQ(countOf(wireLog(), "code=F0 "), 0);
    EXPECT_EQ(countOf(wireLog(), "code=E0 \"TxTemplate\""), 0);
}

TEST_F(FarEndTest, ABadgeListPastItsMaximumIsRefused) {
    writeText(root / "list.bio", "99999999\n1001\n");
    open({"--reader-type", "2", "--reply-code", "0@E0RxBadgeList", "--file", "qzcom.bio=" + (root / "list.bio").string()});
    EXPECT_EQ(call("RXTEMPLATE").code, 2);
    EXPECT_EQ(countOf(wireLog(), "code=E0 \"RxTemplate"), 0);
}

// Stale replies on a serial line ---------------------------------------------

TEST_F(FarEndTest, ALateReplyOnTheSerialLineShiftsNoLaterExchange) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i % 251);
    writeText(root / "three.bin", bytes);
    // Request 2 asks for block 0: its answer comes after the time-out, with
    // the retry's answer queued right behind it.
    startSimulator({"--file", "three.bin=" + (root / "three.bin").string(), "--late", "1500@2"});
    writeSettings(hostDir, "SERIAL_TIMEOUT=1\nNUM_RETRY=2\nDISABLE_MESSAGE_BOX=1\n");
    ASSERT_EQ(call("OPENCOM," + serialConnection()).code, 0);
    EXPECT_EQ(call("RFILE,three.bin").code, 0);
    EXPECT_EQ(local("three.bin"), bytes);
}

TEST_F(FarEndTest, ALateReplyDoesNotCutTheConfigurationShort) {
    startSimulator({"--config", "5", "--late", "1500@1"});
    writeSettings(hostDir, "SERIAL_TIMEOUT=1\nNUM_RETRY=2\nDISABLE_MESSAGE_BOX=1\n");
    ASSERT_EQ(call("OPENCOM," + serialConnection()).code, 0);
    EXPECT_EQ(call("RXCONFIG").code, 0);
    EXPECT_EQ(countOf(local("qzcom.cfg"), "\n"), 5);
}

// The working directory ------------------------------------------------------

TEST_F(FarEndTest, AWorkingDirectoryThatCannotBeEnteredFailsTheCall) {
    startSimulator({"--records", "5"});
    EXPECT_EQ(call("OPENCOM," + tcpTo(root / "missing")).code, WQZCOM_NO_WORK_DIR);
    EXPECT_EQ(call("13,x").code, WQZCOM_NOT_OPEN);

    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    std::filesystem::rename(workDir, root / "moved");
    EXPECT_EQ(call("RXTRANSIT").code, WQZCOM_NO_WORK_DIR);
    EXPECT_FALSE(std::filesystem::exists(hostDir / "qzc01.trn"));
    EXPECT_FALSE(std::filesystem::exists(hostDir / "qzc01.qzr"));
    EXPECT_EQ(countOf(wireLog(), "code=30"), 0);
    EXPECT_EQ(std::filesystem::current_path(), hostDir);
}

// The template file -----------------------------------------------------------

TEST_F(FarEndTest, ATemplateFileThatCannotBeReplacedGivesACode) {
    open({"--templates", "2", "--reader-type", "2"});
    std::filesystem::create_directory(workDir / "template.bio");  // in the way of the rename
    EXPECT_EQ(call("RXTEMPLATE").code, 4);
    EXPECT_TRUE(std::filesystem::is_directory(workDir / "template.bio"));
    int left = 0;
    for (const auto& entry : std::filesystem::directory_iterator(workDir))
        if (entry.path().filename().string().rfind("template.bio.", 0) == 0) ++left;
    EXPECT_EQ(left, 0) << "a temporary file was left behind";
}

// Marker files under faults ----------------------------------------------------

TEST_F(FarEndTest, AMarkerThatCannotBeWrittenGives5) {
    open({"--records", "5"});
    std::filesystem::create_directory(workDir / "qzc01.qzr");
    EXPECT_EQ(call("RXTRANSIT").code, 5);
    EXPECT_EQ(readText(workDir / "qzc01.trn").size(), 5u * 28);  // 27 characters and a line end
}

TEST_F(FarEndTest, AnOutputFileThatCannotBeWrittenGives4AndKeepsTheMarker) {
    open({"--records", "5"});
    writeText(workDir / "qzc01.qzr", "previous marker\n");
    std::filesystem::create_directory(workDir / "qzc01.trn");
    EXPECT_EQ(call("RXTRANSIT").code, 4);
    EXPECT_EQ(readText(workDir / "qzc01.qzr"), "previous marker\n");
    EXPECT_EQ(countOf(wireLog(), "code=30"), 0);
}

TEST_F(FarEndTest, StopDuringADownloadLeavesTheMarkerAlone) {
    open({"--records", "3000", "--baud", "9600"});
    writeText(workDir / "qzc01.qzr", "previous marker\n");
    BackgroundCall* download = background("RXTRANSIT");
    ASSERT_TRUE(eventually([&] { return countOf(wireLog(), "code=30") >= 2; }));
    qz().QzcomStop();
    ASSERT_TRUE(eventually([&] { return download->done(); }, std::chrono::seconds(20)));
    download->result();
    EXPECT_EQ(readText(workDir / "qzc01.qzr"), "previous marker\n");
    EXPECT_LT(countOf(wireLog(), "code=30"), 300);
}

TEST_F(FarEndTest, SecondKindStopsAtTheOldMarkerAndCutsTheNewOne) {
    // Records of 200 characters; two new ones arrive after the first download.
    open({"--second-kind", "4", "--second-kind-length", "200", "--add-second-kind", "2@5"});
    EXPECT_EQ(call("RXPTRANSIT").code, 0);
    ASSERT_EQ(countOf(local("qzc01.trp"), "\n"), 4);
    const std::string firstMarker = local("qzc01.qzp");
    EXPECT_EQ(firstMarker.size(), 124u + 1);  // the compared length and its line end
    EXPECT_EQ(firstMarker, local("qzc01.trp").substr(0, 124) + "\n");

    EXPECT_EQ(call("RXPTRANSIT").code, 0);
    const std::string second = local("qzc01.trp");
    EXPECT_EQ(countOf(second, "\n"), 2);  // only the new ones, up to the old marker
    EXPECT_EQ(second.find(firstMarker.substr(0, 124)), std::string::npos);
    EXPECT_EQ(local("qzc01.qzp"), second.substr(0, 124) + "\n");
}
