// Table sends: files in the working directory, sent record by record.
#include "QzHostTest.h"

class TableTest : public QzHostTest {
protected:
    void SetUp() override {
        startSimulator();
        writeSettings(hostDir, "ETHERNET_TIMEOUT=1\n");
        ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    }
    void table(const std::string& name, const std::string& text) { writeText(workDir / name, text); }
    static std::string repeated(const std::string& line, int times) {
        std::string text;
        for (int i = 0; i < times; ++i) text += line;
        return text;
    }
};

TEST_F(TableTest, SeventyBellsSendTheClearTelegramAnd64Records) {
    table("qzcom.bel", repeated("08 30 IN 1 005\n", 70));
    EXPECT_EQ(call("TXBELLLIST").code, 0);
    const std::string log = wireLog();
    EXPECT_EQ(countOf(log, "code=14 \"CLEAR\""), 1);
    EXPECT_EQ(countOf(log, "code=13 "), 64);
    EXPECT_NE(log.find("code=13 \"1 08 30 IN 1 005\""), std::string::npos);
    EXPECT_NE(log.find("code=13 \"64 08 30 IN 1 005\""), std::string::npos);
}

TEST_F(TableTest, AMissingTableFileGives98AndSendsNothing) {
    for (const char* word : {"TXBELLLIST", "TXHDAYS", "TXREADERS", "TXBADGE", "TXTBASE", "TXTMODEL",
                             "TXCAUSALI", "TXCCAUSALI", "TXMESSAGE", "TXADVISE", "TXMENSA", "TXPROD",
                             "TXFERIE", "TXBLKLIST", "TXMCIMP"})
        EXPECT_EQ(call(word).code, 98) << word;
    EXPECT_EQ(requestsLogged(), 0);
}

TEST_F(TableTest, TimeBasesIn33GroupsGive2After32) {
    table("qzcom.tba", repeated("; comment\nline one of the base\nline two\nline three\nline four\n", 33));
    EXPECT_EQ(call("TXTBASE").code, 2);
    const std::string log = wireLog();
    EXPECT_EQ(countOf(log, "code=45 "), 32);
    EXPECT_NE(log.find("code=45 \"01 line one of the base\\x0a line two\\x0a line three\\x0a line four\\x0a \""),
              std::string::npos)
        << log.substr(0, 2000);
}

TEST_F(TableTest, TimeBasesLeaveAPartialGroupUnsent) {
    table("qzcom.tba", repeated("a time base line\n", 6));
    EXPECT_EQ(call("TXTBASE").code, 0);
    EXPECT_EQ(countOf(wireLog(), "code=45 "), 1);
}

TEST_F(TableTest, FiveCanteenTitlesGive2WithoutSendingAnything) {
    table("qzcom.men", "@Menu one\nPasta\n@Menu two\n@Menu three\n@Menu four\n@Menu five\nSoup\n");
    EXPECT_EQ(call("TXMENSA").code, 2);
    EXPECT_EQ(requestsLogged(), 0);
}

TEST_F(TableTest, CanteenMenusAreSentWhole) {
    table("qzcom.men", "@Lunch\r\nPasta al pomodoro\r\nInsalata\r\n@Dinner\r\nSoup\r\n");
    EXPECT_EQ(call("TXMENSA").code, 0);
    const std::string log = wireLog();
    EXPECT_NE(log.find("code=16 \"0 Lunch\""), std::string::npos);
    EXPECT_NE(log.find("code=15 \"0 01 Insalata\""), std::string::npos);
    EXPECT_NE(log.find("code=15 \"1 00 Soup\""), std::string::npos);
    EXPECT_NE(log.find("code=16 \"3 \""), std::string::npos);
    EXPECT_NE(log.find("code=17 \"02 01 00 00\""), std::string::npos);
}

TEST_F(TableTest, CanteenLimits) {
    table("qzcom.men", "@A title far too long\n");
    EXPECT_EQ(call("TXMENSA").code, 1);
    table("qzcom.men", "@Lunch\nAn item line that is far too long\n");
    EXPECT_EQ(call("TXMENSA").code, 3);
    table("qzcom.men", "@Lunch\n" + repeated("Item\n", 13));
    EXPECT_EQ(call("TXMENSA").code, 4);
    EXPECT_EQ(requestsLogged(), 0);
}

TEST_F(TableTest, VacationLinesWithBadValuesAreRepaired) {
    table("qzcom.fer", repeated("header\n", 6) +
                           "123456 +0001.00 +0002.00 1.5 +0004.00 +0005.00\n"
                           "12345 bad\n"
                           "654321 +0001.00 +0002.00 +0003.00 +0004.00 +0005.00\n"
                           "end\n"
                           "999999 never sent\n");
    EXPECT_EQ(call("TXFERIE").code, 0);
    const std::string log = wireLog();
    EXPECT_EQ(countOf(log, "code=27 "), 6);
    EXPECT_NE(log.find("code=27 \"6 header\""), std::string::npos);
    EXPECT_NE(log.find("code=26 \"123456 +9999.99 +9999.99 +9999.99 +9999.99 +9999.99\""), std::string::npos);
    EXPECT_NE(log.find("code=26 \"999999 +9999.99 +9999.99 +9999.99 +9999.99 +9999.99\""), std::string::npos);
    EXPECT_NE(log.find("code=26 \"654321 +0001.00 +0002.00 +0003.00 +0004.00 +0005.00\""), std::string::npos);
    EXPECT_EQ(countOf(log, "code=26 "), 3);
}

TEST_F(TableTest, CausesCloseWithTheirCount) {
    table("qzcom.cau", "Ferie\r\nMalattia\r\nend\r\n");
    EXPECT_EQ(call("TXCAUSALI").code, 0);
    const std::string log = wireLog();
    EXPECT_NE(log.find("code=18 \"01 Ferie\""), std::string::npos);
    EXPECT_NE(log.find("code=18 \"02 Malattia\""), std::string::npos);
    EXPECT_NE(log.find("code=19 \"02\""), std::string::npos);
    EXPECT_EQ(log.find("\\x0d\""), std::string::npos) << "a CR reached a frame";
}

TEST_F(TableTest, CauseLimits) {
    table("qzcom.cau", "A cause name well over the limit\nend\n");
    EXPECT_EQ(call("TXCAUSALI").code, 3);
    EXPECT_EQ(requestsLogged(), 0);
    table("qzcom.cau", repeated("Cause\n", 30));
    EXPECT_EQ(call("TXCAUSALI").code, 4);
    EXPECT_EQ(countOf(wireLog(), "code=18 "), 25);
    EXPECT_EQ(countOf(wireLog(), "code=19 "), 0);
}

TEST_F(TableTest, CompactCausesClearFirstAndStopAfter200) {
    table("qzcom.cau", repeated("Cause\n", 201));
    EXPECT_EQ(call("TXCCAUSALI").code, 4);
    const std::string log = wireLog();
    EXPECT_EQ(countOf(log, "code=19 \"CLEAR\""), 1);
    EXPECT_EQ(countOf(log, "code=18 "), 200);
    EXPECT_NE(log.find("code=18 \"200Cause\""), std::string::npos);
}

TEST_F(TableTest, BadgesGoWithTheirLineEndAndCommentsAreSkipped) {
    table("qzcom.bdg", "; badges\n0000012345 01 Rossi\r\n0000067890 02 Bianchi\nend\n");
    EXPECT_EQ(call("TXBADGE").code, 0);
    const std::string log = wireLog();
    EXPECT_EQ(countOf(log, "code=42 \"CLEAR\""), 1);
    EXPECT_NE(log.find("code=43 \"0000012345 01 Rossi\\x0a\""), std::string::npos) << log;
    EXPECT_EQ(countOf(log, "code=43 "), 2);
}

TEST_F(TableTest, OtherMembersTheirTelegrams) {
    table("qzcom.hdy", "01 01\n25 12\nend\n");
    table("qzcom.rea", "01 1 0000ABCD 0100 02 3 4\n");
    table("qzcom.mdl", "a time model line longer than twenty-three\n");
    table("qzcom.msg", "Hello\nend\n");
    table("qzcom.adv", "Notice\nend\n");
    table("qzcom.prd", "product line one\n");
    table("qzcom.Blk", "12345\nend\n");
    table("qzcom.cim", "777\nend\n");
    for (const char* word : {"TXHDAYS", "TXREADERS", "TXTMODEL", "TXMESSAGE", "TXADVISE", "TXPROD",
                             "TXBLKLIST", "TXMCIMP"})
        EXPECT_EQ(call(word).code, 0) << word;
    const std::string log = wireLog();
    for (const char* sent : {"code=20 \"CLEAR\"", "code=21 \"0101\"", "code=21 \"2512\"",
                             "code=41 \"01 01 1 0000ABCD 0100 02 3 4\"", "code=47 \"CLEAR\"",
                             "code=46 \"01 a time model line longe\"", "code=60 \"001 Hello\"",
                             "code=62 \"001 Notice\"", "code=52 \"product line one\\x0a\"",
                             "code=33 \"ClearAll\"", "code=33 \"Insert 12345\"", "code=62 \"CLEAR\"",
                             "code=63 \"777\""})
        EXPECT_NE(log.find(sent), std::string::npos) << sent;
}

TEST_F(TableTest, AnErrorReplyEndsTheList) {
    sim.reset();
    startSimulator({"--reply-code", "7@13*"});
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    table("qzcom.bel", repeated("08 30 IN 1 005\n", 5));
    EXPECT_EQ(call("TXBELLLIST").code, 7);
    EXPECT_EQ(countOf(wireLog(), "code=13 "), 1);
}
