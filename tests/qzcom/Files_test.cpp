// Badge list, configuration, raw telegram files, logo, the file store and
// the firmware load.
#include "QzHostTest.h"

#include <cstdlib>

class FilesTest : public QzHostTest {
protected:
    void open(const std::vector<std::string>& simArgs = {}, const std::string& settings = "") {
        startSimulator(simArgs);
        writeSettings(hostDir, "ETHERNET_TIMEOUT=2\n" + settings);
        ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    }
    std::string local(const std::string& name) const { return readText(workDir / name); }
};

TEST_F(FilesTest, TfileSendsTextLinesAndEndsWithFFFF) {
    open();
    writeText(workDir / "qzcom.msg", "Hello\r\n;not sent\nWorld\nx\nnever\n");
    EXPECT_EQ(call("TFILE,qzcom.msg").code, 0);
    const std::string log = wireLog();
    EXPECT_NE(log.find("code=F0 \"qzcom.msg 0000 Hello\""), std::string::npos) << log;
    EXPECT_NE(log.find("code=F0 \"qzcom.msg 0001 World\""), std::string::npos);
    EXPECT_NE(log.find("code=F0 \"qzcom.msg FFFF\""), std::string::npos);
    EXPECT_EQ(countOf(log, "code=F0 "), 3);
}

TEST_F(FilesTest, TfileSendsBinaryFilesIn128ByteBlocks) {
    open();
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i % 256);
    writeText(workDir / "logo.bin", bytes);
    EXPECT_EQ(call("TFILE,logo.bin").code, 0);
    const std::string log = wireLog();
    EXPECT_NE(log.find("code=F0 \"logo.bin 0000 000102030405"), std::string::npos);
    EXPECT_EQ(countOf(log, "code=F0 \"logo.bin 000"), 3);
    // Round trip through the terminal's store.
    std::filesystem::remove(workDir / "logo.bin");
    EXPECT_EQ(call("RFILE,logo.bin").code, 0);
    EXPECT_EQ(local("logo.bin"), bytes);
    EXPECT_EQ(call("DFILE,logo.bin").code, 0);
    EXPECT_NE(wireLog().find("code=F2 \"logo.bin\""), std::string::npos);
}

TEST_F(FilesTest, RfileDecodesHexIntoBytes) {
    writeText(root / "abcr.bin", "AB\r");
    open({"--file", "abcr.bin=" + (root / "abcr.bin").string()});
    EXPECT_EQ(call("RFILE,abcr.bin").code, 0);
    EXPECT_EQ(local("abcr.bin"), "AB\r");
    EXPECT_NE(wireLog().find("\"41420D\""), std::string::npos) << wireLog();
}

TEST_F(FilesTest, RfileOfTheTransactionFileAppendsOnlyInAppendMode) {
    writeText(root / "terminal.trn", "new line\r\nsecond\n");
    const std::string store = "qzcom.trn=" + (root / "terminal.trn").string();
    open({"--file", store}, "TRN_APPEND_MODE=1\nDISABLE_MESSAGE_BOX=1\n");
    writeText(workDir / "qzcom.trn", "old\n");
    EXPECT_EQ(call("RFILE,qzcom.trn").code, 0);
    EXPECT_EQ(local("qzcom.trn"), "old\nnew line\nsecond\n");

    writeSettings(hostDir, "TRN_APPEND_MODE=0\nDISABLE_MESSAGE_BOX=1\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    EXPECT_EQ(call("RFILE,qzcom.trn").code, 0);
    EXPECT_EQ(local("qzcom.trn"), "new line\nsecond\n");
}

TEST_F(FilesTest, RfileOfAMissingFileEndsWithTheTerminalsCode) {
    open();
    EXPECT_EQ(call("RFILE,nothing.bin").code, 2);
}

TEST_F(FilesTest, Tx536SendsTheLoaderAndStartsIt) {
    open();
    EXPECT_EQ(call("TX536").code, 98);
    writeText(workDir / "FC_536.LDR", std::string(130, '\x5a'));
    EXPECT_EQ(call("TX536").code, 0);
    const std::string log = wireLog();
    EXPECT_EQ(countOf(log, "code=F0 \"FC_536.LDR 000"), 2);
    EXPECT_NE(log.find("code=98 \"\""), std::string::npos);
}

TEST_F(FilesTest, RxBadgeWritesTheListAndTxBadgeSendsItBack) {
    open({"--badges", "3"}, "DISABLE_MESSAGE_BOX=1\n");
    EXPECT_EQ(call("RXBADGE").code, 0);
    const std::string list = local("qzcom.bdg");
    EXPECT_EQ(countOf(list, "\n"), 5);
    EXPECT_EQ(list.substr(list.size() - 6), "end;\n\n");
    EXPECT_NE(wireLog().find("code=48 \"0004\""), std::string::npos);
    // The closing "end;" line is long enough to go as a record; the empty line ends the list.
    EXPECT_EQ(call("TXBADGE").code, 0);
    EXPECT_EQ(countOf(wireLog(), "code=43 "), 4);
    EXPECT_NE(wireLog().find("code=43 \"end;\\x0a\""), std::string::npos);
}

TEST_F(FilesTest, RxConfigStopsAtARepeatedReply) {
    open({"--config", "5"}, "DISABLE_MESSAGE_BOX=1\n");
    EXPECT_EQ(call("RXCONFIG").code, 0);
    const std::string config = local("qzcom.cfg");
    EXPECT_EQ(countOf(config, "\n"), 5);
    EXPECT_EQ(config.substr(0, 35), "0001 Parameter 001 value     7\n0002");
    EXPECT_EQ(countOf(wireLog(), "code=95 "), 6);
}

TEST_F(FilesTest, TxConfigTakesTheFirstLinesValueColumnForAll) {
    open();
    // The first line's value begins at column 29 (counted from 0).
    writeText(workDir / "qzcom.cfg",
              "0001 First parameter name    A1  \r\n"
              "0002 Second one is longer   VALUE2\n"
              "0003 Third   X" + std::string(15, ' ') + "B3\n"
              "short\n"
              "0004 never sent at all         C4\n");
    EXPECT_EQ(call("TXCONFIG").code, 0);
    const std::string log = wireLog();
    EXPECT_NE(log.find("code=94 \"0001 A1\""), std::string::npos) << log;
    EXPECT_NE(log.find("code=94 \"0002 ALUE2\""), std::string::npos);
    EXPECT_NE(log.find("code=94 \"0003 B3\""), std::string::npos);
    EXPECT_EQ(countOf(log, "code=94 "), 3);
    EXPECT_NE(log.find("code=97 \"STORE\""), std::string::npos);
}

TEST_F(FilesTest, TxConfigFailureLeavesItsDiagnosticForDebugMode) {
    open({"--reply-code", "12@940002*"});
    writeText(workDir / "qzcom.cfg", "0001 First parameter name    A1\n0002 Second parameter      B2\n");
    EXPECT_EQ(call("TXCONFIG").code, 12);
    EXPECT_EQ(countOf(wireLog(), "code=97 "), 0);
    writeSettings(hostDir, "DEBUG_ENABLE=2\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Par.002   Error 012"), std::string::npos);
}

TEST_F(FilesTest, TxFileSendsEachLineAsARawTelegram) {
    open();
    writeText(workDir / "raw.txt", "13 hello\r\n21,0101\nend\n14 not sent\n");
    EXPECT_EQ(call("TXFILE,raw.txt").code, 0);
    const std::string log = wireLog();
    EXPECT_NE(log.find("code=13 \"hello\""), std::string::npos);
    EXPECT_NE(log.find("code=21 \"0101\""), std::string::npos);
    EXPECT_EQ(requestsLogged(), 2);
}

TEST_F(FilesTest, TxLogoSendsTheRowsOfAMonochromeBitmap) {
    const std::string convert = IMAGEMAGICK_CONVERT;
    if (convert.empty()) GTEST_SKIP() << "ImageMagick is not installed";
    const std::string bmp = (workDir / "logo.bmp").string();
    const std::string command = convert +
                                " -size 160x64 xc:white -fill black -draw 'rectangle 0,0 15,7' -monochrome"
                                " -colors 2 -depth 1 -type bilevel BMP3:" + bmp;
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_EQ(std::filesystem::file_size(bmp), 1342u);
    open();
    EXPECT_EQ(call("TXLOGO,logo.bmp").code, 0);
    const std::string log = wireLog();
    EXPECT_EQ(countOf(log, "code=FD "), 64);
    EXPECT_NE(log.find("code=FD \"064 " + std::string(40, 'f') + "\""), std::string::npos);
    EXPECT_NE(log.find("code=FD \"001 0000" + std::string(36, 'f') + "\""), std::string::npos);
    EXPECT_NE(log.find("code=FD \"009 " + std::string(40, 'f') + "\""), std::string::npos);
    EXPECT_LT(log.find("code=FD \"064 "), log.find("code=FD \"001 "));
}

TEST_F(FilesTest, TxLogoRefusesAShortFile) {
    open();
    writeText(workDir / "short.bmp", std::string(1341, '\0'));
    EXPECT_EQ(call("TXLOGO,short.bmp").code, 98);
    EXPECT_EQ(call("TXLOGO,missing.bmp").code, 98);
    EXPECT_EQ(requestsLogged(), 0);
}

TEST_F(FilesTest, FirmwareLoadReadsTheS19FileUpToItsTerminationRecord) {
    open();
    writeText(workDir / "fw01.s19", "S00600004844521B\r\nS1130000285F245F2212226A000424290008237C2A\nS9030000FC\nS1after\n");
    EXPECT_EQ(call("TXS19NX,fw01 new").code, 0);
    const std::string log = wireLog();
    EXPECT_NE(log.find("code=90 \"0\""), std::string::npos) << log;
    EXPECT_NE(log.find("code=98 \"ERASE\""), std::string::npos);
    EXPECT_NE(log.find("code=97 \"S00600004844521B\""), std::string::npos);
    EXPECT_NE(log.find("code=97 \"S9030000FC\""), std::string::npos);
    EXPECT_EQ(log.find("S1after"), std::string::npos);
    EXPECT_NE(log.find("code=90 \"1\""), std::string::npos);
    // Opened, opened again for the erase, and once more at the end.
    EXPECT_TRUE(eventually([&] { return countOf(wireLog(), "CONNECT\n") == 3; })) << wireLog();
}

TEST_F(FilesTest, FirmwareModeWordAndAFileWithoutTermination) {
    open();
    writeText(workDir / "fw02.s19", "S00600004844521B\nS1130000285F245F2212226A000424290008237C2A");
    EXPECT_EQ(call("TXS19NX,fw02").code, 0);
    const std::string log = wireLog();
    EXPECT_NE(log.find("code=90 \"3\""), std::string::npos);
    EXPECT_NE(log.find("code=97 \"S1130000285F245F2212226A000424290008237C2A\""), std::string::npos);
    EXPECT_EQ(countOf(log, "code=97 "), 2);
}

TEST_F(FilesTest, MissingFirmwareFileGives0AndSendsNothing) {
    open();
    EXPECT_EQ(call("TXS19,nothing").code, 0);
    EXPECT_EQ(requestsLogged(), 0);
    EXPECT_EQ(call("13,x").code, 0);  // the link was opened again
}
