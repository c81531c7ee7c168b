// The console binary end to end: exit codes, result file forms and log lines
// of runs that need no terminal to answer.
#include "ToolInstall.h"

#include <gtest/gtest.h>

namespace {

// Two terminals on a bridge endpoint nobody listens on: nothing here is
// supposed to reach them.
const char* kTwoTerminals =
    "[Global]\n"
    "LOG_LEVEL=1\n"
    "[Terminal 1]\n"
    "COM_TYPE=RS485\n"
    "NODE_NR=1\n"
    "PORT=tcp//127.0.0.1:9\n"
    "[Terminal Magazzino]\n"
    "COM_TYPE=RS485\n"
    "NODE_NR=2\n"
    "TERM_NR=7\n"
    "PORT=tcp//127.0.0.1:9\n";

}  // namespace

TEST(Spine, NoArgumentsShowsTheHelpAndExitsZero) {
    ToolInstall install(CMDV32_PATH, "");  // the help needs no parameter file
    auto r = install.run({});
    EXPECT_EQ(r.exitCode, 0);
    std::string expected = readFile(std::string(E2E_DATA_DIR) + "/help_lines.txt");
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(contains(r.out, expected)) << r.out;
    EXPECT_TRUE(r.out.rfind("Cmdv32\n", 0) == 0);
    EXPECT_FALSE(install.dataExists("cmdvorn.log"));
    EXPECT_FALSE(install.dataExists("RIDUVA.RET"));
}

TEST(Spine, MissingParameterFileEndsWithOneAndNoResultFile) {
    ToolInstall install(CMDV32_PATH, "");
    auto r = install.run({"-r"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(install.dataExists("RIDUVA.RET"));
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), " cmdvorn.prm not found !!\n"));
    EXPECT_TRUE(contains(r.err, "cmdvorn.prm not found !!"));
}

TEST(Spine, ParameterFileWithoutTerminalsFailsInitialisation) {
    ToolInstall install(CMDV32_PATH, "[Global]\nLOG_LEVEL=1\n");
    auto r = install.run({"-v"});
    EXPECT_EQ(r.exitCode, 1);
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "0 terminali definiti!!"));
    EXPECT_TRUE(contains(log, "Errore lettura parametri " + install.programDir().string()));
    EXPECT_FALSE(install.dataExists("RIDUVA.RET"));
}

TEST(Spine, OnlyUnknownOptionsIsAFatalStopWith87) {
    ToolInstall install(CMDV32_PATH, kTwoTerminals);
    auto r = install.run({"-c", "-Ea"});
    EXPECT_EQ(r.exitCode, 87);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0200\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "Comando Sconosciutto --c\n"));
    EXPECT_TRUE(contains(log, "Comando Sconosciutto --Ea\n"));
    EXPECT_TRUE(contains(log, "Errore fatale - Impossibile continuare!"));
    EXPECT_FALSE(contains(log, "Inizio sessione"));
}

TEST(Spine, TerminalWithoutOptionStopsWith87ButRecordsNoError) {
    ToolInstall install(CMDV32_PATH, kTwoTerminals);
    auto r = install.run({"-n5"});
    EXPECT_EQ(r.exitCode, 87);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00000\n");
}

TEST(Spine, OnlyHelpShowsItAndWritesNoResultFile) {
    ToolInstall install(CMDV32_PATH, kTwoTerminals);
    auto r = install.run({"-h"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(contains(r.out, " \t-h\tVisualizza la versione e help.\n"));
    EXPECT_FALSE(install.dataExists("RIDUVA.RET"));
}

TEST(Spine, UnknownTerminalNumberGivesError102PerCommand) {
    ToolInstall install(CMDV32_PATH, kTwoTerminals);
    auto r = install.run({"-n99", "-v"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0200\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "Errore Numero Terminale. "));
    EXPECT_TRUE(contains(log, "#--- "));
    EXPECT_TRUE(contains(log, "Cmdv32, ver. "));
    EXPECT_TRUE(contains(log, ". Running on: Linux Version "));
    EXPECT_TRUE(contains(log, "Direttorio parametri: " + install.programDir().string() + "\n"));
    EXPECT_TRUE(contains(log, "Direttorio dati: " + install.dataDir().string() + "\n"));
    EXPECT_TRUE(contains(log, "Inizio sessione: \"-n99 -v \""));
    EXPECT_TRUE(contains(log, "Fine sessione: \"-n99 -v \""));
}

TEST(Spine, CommandsRunTerminalByTerminalInCommandLineOrder) {
    ToolInstall install(CMDV32_PATH, kTwoTerminals);
    // -gg has no operation in this build yet, so each dispatch is logged and
    // counts as done without touching the terminals.
    auto r = install.run({"-n7", "-n1", "-gg", "-gd"});
    EXPECT_EQ(r.exitCode, 0);
    auto log = install.readData("cmdvorn.log");
    auto a = log.find("[Term 007] Invio Cmd. CA,GE,");
    auto b = log.find("[Term 007] Invio Cmd. CA,DE");
    auto c = log.find("[Term 001] Invio Cmd. CA,GE,");
    auto d = log.find("[Term 001] Invio Cmd. CA,DE");
    ASSERT_NE(d, std::string::npos) << log;
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_LT(c, d);
}

TEST(Spine, EveryRunStartsItsLogWithADayHeader) {
    ToolInstall install(CMDV32_PATH, kTwoTerminals);
    install.run({"-n99", "-v"});
    install.run({"-n99", "-v"});
    auto log = install.readData("cmdvorn.log");
    auto first = log.find("#--- ");
    ASSERT_EQ(first, 0u);
    EXPECT_NE(log.find("#--- ", first + 1), std::string::npos);
}

TEST(Spine, UnwritableDataDirectoryRunsThenEndsWith111AndSaysSo) {
    ToolInstall install(CMDV32_PATH, kTwoTerminals);
    // Nobody, root included, can create files in /proc.
    auto r = runProcess((install.programDir() / "Cmdv32").string(), {"-n99", "-v"}, "/proc");
    EXPECT_EQ(r.exitCode, 111);
    EXPECT_TRUE(contains(r.err, "File write error : /proc/RIDUVA.RET")) << r.err;
}
