#include "PrmCfg.h"
#include "PrmFixture.h"

namespace {

const char* kOneTerminal =
    "[Terminal 01]\n"
    "COM_TYPE=RS232\n"
    "NODE_NR=1\n"
    "PORT=COM1:9600,N,8,1\n";

class PrmCfgTest : public PrmFixture {
protected:
    zString value(const char* section, const char* key) {
        zString v;
        EXPECT_TRUE(config->getValue(section, key, v)) << section << " " << key;
        return v;
    }
    bool found(const char* section, const char* key) {
        zString v;
        return config->getValue(section, key, v);
    }
};

TEST(PrmCfgLine, CommentsAndBlanksAreCutButQuotedSemicolonStays) {
    EXPECT_EQ(PrmCfg::cleanLine("  PASSWORD = secret   ; the modem one\r"), zString("PASSWORD = secret"));
    EXPECT_EQ(PrmCfg::cleanLine("FLDSEP=';'"), zString("FLDSEP=';'"));
    EXPECT_EQ(PrmCfg::cleanLine("FLDSEP=';' ; separator"), zString("FLDSEP=';'"));
    // An apostrophe on one side only does not protect the comment mark.
    EXPECT_EQ(PrmCfg::cleanLine("NAME=it';s"), zString("NAME=it'"));
    EXPECT_EQ(PrmCfg::cleanLine("; only a comment"), zString(""));
    EXPECT_EQ(PrmCfg::cleanLine("\t \r"), zString(""));
}

TEST_F(PrmCfgTest, LookUpFollowsSectionAndKeyRules) {
    ASSERT_TRUE(load(std::string("\n; heading comment\n\n") +
                     "[global] ; odd case\n"
                     "log_level = 1\n"
                     "KEYWITHOUTEQUALS\n"
                     "DATA_OUT_OLD=first\n"
                     "Data_Out = second\n"
                     "Data_Out = third\n"
                     "[ Spaced ]\n"
                     "A=1\n"
                     "[Layout]\n"
                     "FLDSEP=';' ; comment\n"
                     "EMPTY=\n"
                     "[Layout]\n"
                     "ONLYINSECOND=1\n" +
                     kOneTerminal));
    // Prefix matching: the first line that starts with the key and has "=".
    EXPECT_EQ(value("[Global]", "DATA_OUT"), zString("first"));
    EXPECT_EQ(value("[GLOBAL]", "LOG_LEVEL"), zString("1"));
    EXPECT_FALSE(found("[Global]", "KEYWITHOUTEQUALS"));
    // Blanks inside the brackets count.
    EXPECT_FALSE(found("[Spaced]", "A"));
    EXPECT_EQ(value("[ Spaced ]", "a"), zString("1"));
    EXPECT_EQ(value("[Layout]", "FLDSEP"), zString("';'"));
    EXPECT_EQ(value("[Layout]", "EMPTY"), zString(""));
    // A repeated section is not searched; keys stop at the next header.
    EXPECT_FALSE(found("[Layout]", "ONLYINSECOND"));
    EXPECT_FALSE(found("[Layout]", "COM_TYPE"));
    EXPECT_TRUE(config->hasSection("[LAYOUT]"));
    EXPECT_FALSE(config->hasSection("[Missing]"));
}

TEST_F(PrmCfgTest, LongerKeyMustBeAskedFirst) {
    ASSERT_TRUE(load(std::string(kOneTerminal) + "[Other]\nROUTER_NODE=9\nROUTER=3\n"));
    // ROUTER also matches the ROUTER_NODE line, which is why readers ask for
    // ROUTER_NODE first.
    EXPECT_EQ(value("[Other]", "ROUTER"), zString("9"));
    EXPECT_EQ(value("[Other]", "ROUTER_NODE"), zString("9"));
}

TEST_F(PrmCfgTest, VeryLongLinesAndZeroBytesAreLines) {
    std::string longValue(20000, 'x');
    std::string text = "[Global]\nDATA_OUT=" + longValue + "\n";
    text += std::string("[Junk]\nA=1") + '\0' + "B=2\n";
    text += kOneTerminal;
    ASSERT_TRUE(load(text));
    EXPECT_EQ(settings.dataOut.length(), 20000);
    EXPECT_EQ(value("[Junk]", "A"), zString("1"));
    // A zero byte ends a line; the rest of the file is still read.
    EXPECT_EQ(value("[Junk]", "B"), zString("2"));
    EXPECT_EQ(mgr->terminalCount(), 1);
}

TEST_F(PrmCfgTest, LogLevelAppliesToTheRestOfTheLoad) {
    ASSERT_TRUE(load("[Global]\nLOG_LEVEL=0\n"
                     "[Terminal 02]\nCOM_TYPE=rs485\nNODE_NR=2\nPORT=COM1:9600\n" +
                     std::string(kOneTerminal)));
    EXPECT_EQ(log->logLevel(), 0);
    EXPECT_FALSE(logged("COM_TYPE"));
    EXPECT_FALSE(logged("Elenco terminali"));
}

TEST_F(PrmCfgTest, LogLevelDefaultsToOne) {
    log->setLogLevel(0);
    ASSERT_TRUE(load(kOneTerminal));
    EXPECT_EQ(log->logLevel(), 1);
}

TEST_F(PrmCfgTest, FileSectionsAndTheirModes) {
    ASSERT_TRUE(load(std::string("[Anagrafiche]\nFILE_NAME = dip.txt\n") +
                     "[Timbrature]\nFILE_NAME=tmb.txt\nFILE_MODE=new\nBACKUP=tmb.bak\n"
                     "[Accessi]\nFILE_MODE=N\n"
                     "[Mensa]\nFILE_NAME=mensa.txt\nFILE_MODE=Append\n"
                     "[Commesse]\nFILE_NAME=job.txt\nFILE_MODE=Nuovo\n"
                     "[Giustificativi]\nFILE_NAME=cause.txt\n"
                     "[Alarmi]\nFILE_NAME=old-spelling.txt\n"
                     "[Fingerprint]\nFILE_NAME=fp.dat\n" +
                     kOneTerminal));
    const RunSettings& s = settings;
    EXPECT_EQ(s.employees.fileName, zString("dip.txt"));
    EXPECT_EQ(s.punches.fileName, zString("tmb.txt"));
    EXPECT_TRUE(s.punches.startAfresh);
    EXPECT_EQ(s.punches.backup, zString("tmb.bak"));
    // FILE_MODE counts only beside a FILE_NAME.
    EXPECT_TRUE(s.access.fileName.isEmpty());
    EXPECT_FALSE(s.access.startAfresh);
    EXPECT_FALSE(s.canteen.startAfresh);
    EXPECT_TRUE(s.jobs.startAfresh);
    EXPECT_EQ(s.causes.fileName, zString("cause.txt"));
    EXPECT_EQ(s.alarms.fileName, zString("old-spelling.txt"));
    EXPECT_EQ(s.fingerprints.fileName, zString("fp.dat"));
}

TEST_F(PrmCfgTest, AllarmiWinsOverAlarmi) {
    ASSERT_TRUE(load(std::string("[Alarmi]\nFILE_NAME=old.txt\n[Allarmi]\nFILE_NAME=new.txt\n") + kOneTerminal));
    EXPECT_EQ(settings.alarms.fileName, zString("new.txt"));
}

TEST_F(PrmCfgTest, InterruptNumbers) {
    ASSERT_TRUE(load(std::string("[Global]\nCOM2Irq=7\n/dev/ttyUSB0Irq=5\n/dev/ttyUSB1Irq=40\n") + kOneTerminal));
    const PrmCfg* cfg = config.get();
    EXPECT_EQ(cfg->irqFor("COM1"), 4);
    EXPECT_EQ(cfg->irqFor("COM3"), 4);
    EXPECT_EQ(cfg->irqFor("COM4"), 3);
    EXPECT_EQ(cfg->irqFor("COM2"), 7);
    EXPECT_EQ(cfg->irqFor("/dev/ttyUSB0"), 5);
    EXPECT_EQ(cfg->irqFor("/dev/ttyUSB1"), 0);  // out of 1..16: none
    EXPECT_EQ(cfg->irqFor("/dev/ttyUSB2"), 0);
}

TEST_F(PrmCfgTest, NoTerminalSectionFails) {
    EXPECT_FALSE(load("[Global]\nLOG_LEVEL=1\n[Terminal07]\nCOM_TYPE=RS232\nNODE_NR=7\nPORT=COM1:9600\n"));
    EXPECT_TRUE(logged("0 terminali definiti!!"));
}

TEST_F(PrmCfgTest, RejectedTerminalsStillLoad) {
    EXPECT_TRUE(load("[Terminal 01]\nNODE_NR=1\n"));
    EXPECT_EQ(mgr->terminalCount(), 0);
    EXPECT_FALSE(logged("0 terminali definiti!!"));
}

TEST_F(PrmCfgTest, UnopenableFileFails) {
    zFile missing((dir / "no-such-dir" / "cmdvorn.prm").string().c_str());
    EXPECT_FALSE(PrmCfg(missing, *log).load(*mgr, settings));
    EXPECT_TRUE(logged("Error open "));
    EXPECT_TRUE(logged("The system cannot find the path specified.") ||
                logged("The system cannot find the file specified."));
}

TEST_F(PrmCfgTest, ReloadStartsAfresh) {
    ASSERT_TRUE(load(std::string("[Timbrature]\nFILE_NAME=a.txt\n") + kOneTerminal));
    ASSERT_TRUE(load(kOneTerminal));
    EXPECT_EQ(mgr->terminalCount(), 1);
    EXPECT_EQ(mgr->linkCount(), 1);
    EXPECT_TRUE(settings.punches.fileName.isEmpty());
}

}  // namespace
