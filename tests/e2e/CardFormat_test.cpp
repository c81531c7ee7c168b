// The badge card format end to end: the format of the parameter file (or
// the built-in one) sent and read back, the test read of the last badge,
// a format no badge can satisfy refused before anything is sent, one at
// odds with its own length sent with a warning, and the console build
// running no fingerprint command.
#include "SimulatorTest.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::string terminal5(int port) {
    return "[Terminal 5]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=5\nCOM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" +
           std::to_string(port) + "\n";
}

const char* kBuiltInRecord =
    "43414c5649524f4e45204d4300000000000000000011010004000000000402000000000906000000000f0100000000100100000000"
    "6ef5";

const char* kCardFormatSection =
    "[Card Format]\nNAME=STABILIMENTO NORD\nLEN=12\nFORMAT=F1,F2,F3,F4,F5\nF1=PL,FR=0,LE=2,DF=3\n"
    "F2=CO,FR=2,LE=2\nF3=MA,FR=4,LE=6\nF4=LE,FR=10,LE=1\nF5=RE,FR=11,LE=1,DF=2\n";

class CardFormatTest : public SimulatorTest {
protected:
    void startWith(const std::string& terminalJson) {
        std::ofstream(stateIn) << "{\"terminals\":[{\"node\":5,\"model\":\"VORN3\"" + terminalJson + "}]}";
        runSimulator({"--state", stateIn});
    }
    std::string stateIn = scratch("_in.json");
};

}  // namespace

TEST_F(CardFormatTest, BuiltInFormatIsSentByteForByteAndReportedBack) {
    startWith("");
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort()));
    auto r = install.run({"-fs"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    EXPECT_TRUE(contains(readFile(wireLog), std::string("FO,SE\\x02") + kBuiltInRecord)) << readFile(wireLog);
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 005] Formato badge trasmesso"));
    EXPECT_TRUE(contains(r.out,
                         "=== [Term 005] Badge format info===\n Nome: CALVIRONE MC\n Lun.: 17\n Dir : Bidirectional\n"
                         "   Cod. Impianto: Da 00, Lun. 4, default 0\n"
                         "    Cod. Azienda: Da 04, Lun. 2, default 0\n"
                         " Cod. Dipendente: Da 09, Lun. 6, default 0\n"
                         "    Livello dip.: Da 15, Lun. 1, default 0\n"
                         "   Badge release: Da 16, Lun. 1, default 0\n"))
        << r.out;
}

TEST_F(CardFormatTest, ConfiguredFormatTravelsWithItsDirection) {
    startWith("");
    int port = sim->tcpPort();
    ToolInstall bi(CMDV32_PATH, std::string("[Global]\n") + kCardFormatSection + "DIRECTION=bi\n" + terminal5(port));
    auto r = bi.run({"-fs"});
    EXPECT_EQ(r.exitCode, 0) << bi.readData("cmdvorn.log");
    EXPECT_TRUE(contains(r.out, " Nome: STABILIMENTO NORD\n Lun.: 12\n Dir : Bidirectional\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "   Cod. Impianto: Da 00, Lun. 2, default 3\n"));
    EXPECT_TRUE(contains(r.out, "   Badge release: Da 11, Lun. 1, default 2\n"));

    ToolInstall mono(CMDV32_PATH, std::string("[Global]\n") + kCardFormatSection + "DIRECTION=Mono\n" + terminal5(port));
    mono.run({"-fs"});
    r = mono.run({"-fg"});
    EXPECT_EQ(mono.readData("RIDUVA.RET"), "00001\n");
    EXPECT_TRUE(contains(r.out, " Dir : Monodirectional\n")) << r.out;
    std::string state = stopAndReadState();
    EXPECT_TRUE(contains(state, "\"name\": \"STABILIMENTO NORD\"")) << state;
    EXPECT_TRUE(contains(state, "\"bidirectional\": false"));
}

TEST_F(CardFormatTest, ImpossibleFormatIsRefusedAndNothingIsSent) {
    startWith("");
    std::string section = "[Card Format]\nNAME=ROTTO\nLEN=40\nFORMAT=F1,F2,F3\nF1=PL,FR=0,LE=2\nF2=CO,FR=2,LE=2\nF3=MA,FR=38,LE=6\n";
    ToolInstall install(CMDV32_PATH, "[Global]\n" + section + terminal5(sim->tcpPort()));
    auto r = install.run({"-fs"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0200\n");
    std::string log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Errore valore parametro. [Card Format] campo oltre le cifre di un badge: "
                              "campo 3: da 38 lun. 6, oltre le 40 cifre di un badge"))
        << log;
    EXPECT_FALSE(contains(readFile(wireLog), "FO,SE"));
}

TEST_F(CardFormatTest, FormatAtOddsWithItsLengthIsSentAsConfiguredWithAWarning) {
    startWith("");
    int port = sim->tcpPort();
    std::string pastLength = "[Card Format]\nNAME=CORTO\nLEN=12\nFORMAT=F1,F2,F3\nF1=PL,FR=0,LE=2\nF2=CO,FR=2,LE=2\nF3=MA,FR=8,LE=6\n";
    ToolInstall install(CMDV32_PATH, "[Global]\n" + pastLength + terminal5(port));
    auto r = install.run({"-fs"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    std::string log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] [Card Format] campo oltre la lunghezza del badge: campo 3: da 8 lun. 6, "
                              "badge di 12 cifre"))
        << log;
    EXPECT_FALSE(contains(log, "Errore valore parametro"));
    EXPECT_TRUE(contains(r.out, " Cod. Dipendente: Da 08, Lun. 6, default 0\n")) << r.out;

    // Without LEN the badge length travels as 0.
    ToolInstall noLength(CMDV32_PATH, "[Global]\n[Card Format]\nDIRECTION=bi\nFORMAT=F1\nF1=PL,FR=0,LE=4\n" + terminal5(port));
    r = noLength.run({"-fs"});
    EXPECT_EQ(noLength.readData("RIDUVA.RET"), "00002\n") << noLength.readData("cmdvorn.log");
    EXPECT_TRUE(contains(r.out, " Nome: \n Lun.: 0\n Dir : Bidirectional\n")) << r.out;
}

TEST_F(CardFormatTest, TestReadShowsTheBadgeSplitByTheTerminalsFormat) {
    startWith(",\"badgeRead\":{\"flags\":1,\"length\":3,\"digits\":[1,2,3,15]}");
    ToolInstall install(CMDV32_PATH, std::string("[Global]\n") + kCardFormatSection + terminal5(sim->tcpPort()));
    auto r = install.run({"-fr"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    EXPECT_TRUE(contains(r.out, "=== [Term 005] Test lettura Badge ===\n Card Format Name: CALVIRONE MC\n"
                                " flg=1, len=3, data=123\n\n"
                                " Name       from len value     [default]\n"
                                " ---------------------------------------\n"
                                " PL         00   04  123        [0]\n"
                                " CO         04   02             [0]\n"))
        << r.out;
}

TEST_F(CardFormatTest, TestReadWithACorruptFormatEndsWith135) {
    startWith(",\"cardFormat\":{\"check\":1234},\"badgeRead\":{\"digits\":[1,2,3,15]}");
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort()));
    auto r = install.run({"-fr"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 005] Errore CRC nei dati ricevuti.  FO,GE"));
    EXPECT_FALSE(contains(readFile(wireLog), "FO,LR"));
    EXPECT_FALSE(contains(r.out, "Test lettura Badge"));
}

TEST_F(CardFormatTest, ConsoleBuildHasNoFingerprintCommands) {
    startWith(",\"fingerprints\":[{\"company\":1,\"employee\":7,\"template\":\"ab\"}]");
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort()));
    auto r = install.run({"-in", "-ir", "-is", "-id"});
    EXPECT_EQ(r.exitCode, 0);
    std::string log = install.readData("cmdvorn.log");
    for (int id : {44, 45, 46, 47})
        EXPECT_TRUE(contains(log, "Fatal Error! Func. " + std::to_string(id) + " not defined")) << log;
    EXPECT_FALSE(contains(readFile(wireLog), "FP,"));
    EXPECT_FALSE(install.dataExists("FingerPrint.dat"));
}
