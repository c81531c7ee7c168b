// Biometric templates in their three reader variants, and TXFAR.
#include "QzHostTest.h"

class TemplateTest : public QzHostTest {
protected:
    void open(const std::string& readerType) {
        startSimulator({"--templates", "3", "--reader-type", readerType});
        writeSettings(hostDir, "ETHERNET_TIMEOUT=2\nDISABLE_MESSAGE_BOX=1\n");
        ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    }
    std::string local(const std::string& name) const { return readText(workDir / name); }
};

TEST_F(TemplateTest, GroupsAreDownloadedIntoTemplateBioAndUploadedAgain) {
    open("2");
    EXPECT_EQ(call("RXTEMPLATE").code, 0);
    const std::string groups = local("template.bio");
    EXPECT_EQ(countOf(groups, "\n"), 3 * 33);
    EXPECT_EQ(groups.substr(0, 14), "BIO 1001 FP 2\n");
    EXPECT_EQ(local("bdglst.bio"), "3\n1001\n1002\n1003\n");
    EXPECT_NE(wireLog().find("code=E0 \"RxTemplate 000001003\""), std::string::npos);

    EXPECT_EQ(call("TXTEMPLATE").code, 0);
    const std::string log = wireLog();
    EXPECT_EQ(countOf(log, "code=E0 \"TxTemplate\""), 3);
    EXPECT_NE(log.find("code=F0 \"qzcom.bio 0000 BIO 1002 FP 2\""), std::string::npos);
}

TEST_F(TemplateTest, UpperCaseTemplateFilesAreFetchedAndSentBack) {
    open("4");
    EXPECT_EQ(call("RXTEMPLATE").code, 0);
    EXPECT_EQ(local("template.txt"), "00001001.TPL\n00001002.TPL\n00001003.TPL\n");
    EXPECT_EQ(std::filesystem::file_size(workDir / "00001002.TPL"), 300u);
    EXPECT_EQ(call("TXTEMPLATE").code, 0);
    EXPECT_EQ(countOf(wireLog(), "code=F0 \"00001003.TPL FFFF\""), 1);
}

TEST_F(TemplateTest, LowerCaseTemplateFilesComeWithABinaryList) {
    open("6");
    EXPECT_EQ(call("RXTEMPLATE").code, 0);
    EXPECT_EQ(local("template.txt"), "00001001.tpl\n00001002.tpl\n00001003.tpl\n");
    EXPECT_TRUE(std::filesystem::exists(workDir / "00001003.tpl"));
    EXPECT_NE(wireLog().find("code=F1 \"bdglst.tpl 0000\""), std::string::npos);
    writeText(workDir / "template.txt", "00001001.TPL\n");
    EXPECT_EQ(call("TXTEMPLATE").code, 2);  // type 6 wants ".tpl"
}

TEST_F(TemplateTest, AnUnknownReaderTypeGives1) {
    open("9");
    EXPECT_EQ(call("RXTEMPLATE").code, 1);
    EXPECT_EQ(call("TXTEMPLATE").code, 1);
}

TEST_F(TemplateTest, TxFarSendsTheValueWithEveryBadge) {
    open("2");
    EXPECT_EQ(call("TXFAR,0.75").code, 0);
    const std::string log = wireLog();
    EXPECT_NE(log.find("code=E0 \"TxFar 000001001 0.75\""), std::string::npos) << log;
    EXPECT_NE(log.find("code=E0 \"TxFar 000001003 0.75\""), std::string::npos);
}
