#include "CommandLine.h"
#include "TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest()
        : path(std::filesystem::temp_directory_path() / ("cmdline_" + std::to_string(getpid()) + ".log")),
          log(path.c_str()),
          parser(log, state, settings) {
        std::filesystem::remove(path);
        settings.punches.fileName = "tmb.dat";
        settings.employees.fileName = "emp.dat";
    }
    ~CommandLineTest() override { std::filesystem::remove(path); }

    std::vector<CommandId> commands(const char* line) {
        parsed = ParsedCommandLine();
        parser.parse(line, parsed);
        std::vector<CommandId> ids;
        for (CommandId id : parsed.commands) ids.push_back(id);
        return ids;
    }
    std::vector<std::string> terminals() const {
        std::vector<std::string> t;
        for (const zString& number : parsed.terminals) t.push_back(number.c_str());
        return t;
    }
    std::string logText() { return readFile(path); }

    std::filesystem::path path;
    zLogger log;
    RunState state;
    RunSettings settings;
    CommandLineParser parser;
    ParsedCommandLine parsed;
};

using Ids = std::vector<CommandId>;
using Names = std::vector<std::string>;

}  // namespace

TEST_F(CommandLineTest, DollarCmdIsDroppedOnlyAsTheFirstToken) {
    EXPECT_EQ(commands("$CMD -n5 -r"), Ids{CommandId::DownloadAndClear});
    EXPECT_EQ(terminals(), Names{"5"});
    EXPECT_EQ(commands("-n5 $CMD -r"), Ids{CommandId::DownloadAndClear});  // ignored: no dash
    EXPECT_EQ(commands("$cmd -v"), Ids{CommandId::Version});       // case-sensitive: just a word without a dash
    EXPECT_EQ(state.errorCode, RunError::None);
}

TEST_F(CommandLineTest, TerminalSelection) {
    commands("-n0 -t");
    EXPECT_TRUE(terminals().empty());
    commands("-n -t");
    EXPECT_TRUE(terminals().empty());
    commands("-nabc -t");
    EXPECT_TRUE(terminals().empty());
    EXPECT_EQ(commands("-n3 -N7 -v"), Ids{CommandId::Version});
    EXPECT_EQ(terminals(), (Names{"3", "7"}));
    commands("-n3\t\t-n3   -v");
    EXPECT_EQ(terminals(), (Names{"3", "3"}));
}

TEST_F(CommandLineTest, OneLetterOptionsIgnoreCaseAndTrailingCharacters) {
    EXPECT_EQ(commands("-vxyz -V /v"), (Ids{CommandId::Version, CommandId::Version, CommandId::Version}));
    EXPECT_EQ(commands("-SYNC -syncg -Sync"), (Ids{CommandId::PcClockFromTimeService, CommandId::PcClockFromTerminal, CommandId::PcClockFromTimeService}));
    EXPECT_EQ(commands("-h -? -H -d -k -K"), (Ids{CommandId::Help, CommandId::Help, CommandId::Help, CommandId::SetClock, CommandId::DeleteEmployees, CommandId::DeleteEmployees}));
    EXPECT_EQ(commands("-@ -@F -@z -@Zap"), (Ids{CommandId::Reset, CommandId::FactoryReset, CommandId::DeleteRecoverable, CommandId::DeleteRecoverable}));
    EXPECT_EQ(commands("-i -in -IS -ir -id"), (Ids{CommandId::WriteEeprom, CommandId::CountFingerprints, CommandId::SendFingerprints, CommandId::ReceiveFingerprints, CommandId::DeleteFingerprints}));
    EXPECT_EQ(commands("-r -x -r"), (Ids{CommandId::DownloadAndClear, CommandId::DownloadAndKeep, CommandId::DownloadAndClear}));  // duplicates kept, order kept
    EXPECT_EQ(state.errorCode, RunError::None);
}

TEST_F(CommandLineTest, TwoLetterOptionsNeedBothLettersInOneCase) {
    EXPECT_EQ(commands("-ea -EA -yr -YZ -gl -uf -ot"), (Ids{CommandId::ReceiveEmployees, CommandId::ReceiveEmployees, CommandId::CountPunches, CommandId::CountRecoverable, CommandId::LatestTransactions, CommandId::UpgradeFirmware, CommandId::SwitchOff}));
    EXPECT_EQ(state.errorCode, RunError::None);
    EXPECT_EQ(commands("-Ea -v"), Ids{CommandId::Version});
    EXPECT_EQ(state.errorCode, RunError::InvalidParameter);
    EXPECT_NE(logText().find("Comando Sconosciutto --Ea\n"), std::string::npos);
}

TEST_F(CommandLineTest, UnknownOptionsAreLoggedSkippedAndLeave87) {
    EXPECT_TRUE(commands("-c -m -s -synchronise -q -e -@x -ix -y1").empty());
    EXPECT_EQ(state.errorCode, RunError::InvalidParameter);
    auto text = logText();
    for (const char* t : {"-c\n", "-m\n", "-s\n", "-synchronise\n", "-q\n", "-e\n", "-@x\n", "-ix\n", "-y1\n"})
        EXPECT_NE(text.find(std::string("Comando Sconosciutto -") + t), std::string::npos) << t;
    EXPECT_FALSE(parser.parse("-qq", parsed));
}

TEST_F(CommandLineTest, ParseOptionRefusesTokensWithoutDash) {
    EXPECT_EQ(parser.parseOption("r"), CommandId::Unknown);
    EXPECT_EQ(state.errorCode, RunError::InvalidParameter);
    EXPECT_NE(logText().find("Invalid Command line parameter r"), std::string::npos);
}

TEST_F(CommandLineTest, GluedFileNamesReplaceTheRunWideFiles) {
    EXPECT_EQ(commands("-r"), Ids{CommandId::DownloadAndClear});
    EXPECT_EQ(settings.punches.fileName, "tmb.dat");  // empty remainder: unchanged
    EXPECT_EQ(commands("-r/data/dati/tmb.txt"), Ids{CommandId::DownloadAndClear});
    EXPECT_EQ(settings.punches.fileName, "/data/dati/tmb.txt");
    commands("-xa.txt");
    EXPECT_EQ(settings.punches.fileName, "a.txt");
    commands("-jb.txt -zc.txt");
    EXPECT_EQ(settings.punches.fileName, "c.txt");

    commands("-tEMP1.TXT");
    EXPECT_EQ(settings.employees.fileName, "EMP1.TXT");
    commands("-eaE2 -esE3");
    EXPECT_EQ(settings.employees.fileName, "E3");
    commands("-EDE4");
    EXPECT_EQ(settings.employees.fileName, "E4");
    commands("-gsCAUSE.TXT -asALL.TXT -isFP.DAT");
    EXPECT_EQ(settings.causes.fileName, "CAUSE.TXT");
    EXPECT_EQ(settings.alarms.fileName, "ALL.TXT");
    EXPECT_EQ(settings.fingerprints.fileName, "FP.DAT");
    commands("-irFP2.DAT");
    EXPECT_EQ(settings.fingerprints.fileName, "FP2.DAT");
    // Options without a file keep everything as it is.
    commands("-ggX -vY.TXT");
    EXPECT_EQ(settings.causes.fileName, "CAUSE.TXT");
    EXPECT_EQ(settings.punches.fileName, "c.txt");
}

TEST_F(CommandLineTest, EmptyAndOverlongCommandLines) {
    EXPECT_TRUE(commands("").empty());
    EXPECT_TRUE(commands(" \t ").empty());
    std::string longName(5000, 'p');
    EXPECT_EQ(commands(("-r" + longName).c_str()), Ids{CommandId::DownloadAndClear});
    EXPECT_EQ(settings.punches.fileName.length(), 5000);
}
