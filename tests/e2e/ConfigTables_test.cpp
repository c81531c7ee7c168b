// Causes, alarms and operating parameters end to end: the table files sent
// to a simulated terminal and read back, the parameter blocks read, changed
// from the parameter file and sent, and what bad files and faulty blocks do.
#include "Eventually.h"
#include "SimulatorTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

namespace {

std::string terminal5(int port, const std::string& model, const std::string& extra = "") {
    return "[Terminal 5]\nCOM_TYPE=RS485\nTERM_TYPE=" + model + "\nNODE_NR=5\nCOM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" +
           std::to_string(port) + "\n" + extra;
}

// Requests in the wire log whose command text starts with `prefix`.
int requests(const std::string& wire, const std::string& prefix) {
    std::istringstream lines(wire);
    int n = 0;
    for (std::string line; std::getline(lines, line);)
        if (contains(line, " RX #") && contains(line, "\"" + prefix)) ++n;
    return n;
}

// The state file without its layout blanks, for checks of neighbouring fields.
std::string compact(const std::string& json) {
    std::string out;
    bool inText = false;
    for (char c : json) {
        if (c == '"') inText = !inText;
        if (inText || (c != ' ' && c != '\n')) out += c;
    }
    return out;
}

class ConfigTablesTest : public SimulatorTest {
protected:
    // One terminal of node 5, described by a JSON object's inner fields.
    void start(const std::string& model, const std::string& fields = "", std::vector<std::string> extra = {}) {
        std::ofstream(stateIn) << "{\"terminals\": [{\"node\": 5, \"model\": \"" << model << "\""
                               << (fields.empty() ? "" : ", ") << fields << "}]}";
        extra.insert(extra.begin(), {"--state", stateIn});
        runSimulator(extra);
    }
    void writeData(const ToolInstall& install, const std::string& name, const std::string& text) {
        std::ofstream(install.dataDir() / name, std::ios::binary) << text;
    }
    std::string stateIn = scratch("_in.json");
};

std::string causeLines(int count) {
    std::string text = "# causes of the plant\n\n";
    for (int i = 1; i <= count; ++i) {
        char line[40];
        std::snprintf(line, sizeof line, "%02dCausa numero %d\n", i, i);
        text += line;
    }
    return text;
}

}  // namespace

TEST_F(ConfigTablesTest, FortyCauseLinesSendThirtyAndReadBack) {
    start("VORN1");
    ToolInstall install(CMDV32_PATH, "[Global]\n[Giustificativi]\nFILE_NAME=causes.txt\n" + terminal5(sim->tcpPort(), "VORN1"));
    writeData(install, "causes.txt", causeLines(40));

    auto r = install.run({"-gs"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00030\n");
    EXPECT_EQ(requests(readFile(wireLog), "CA,SE,"), 30);
    EXPECT_TRUE(contains(readFile(wireLog), "\"CA,SE,1e\"")) << "code 30 travels in hexadecimal";
    EXPECT_TRUE(contains(r.out, " ==== [Term 005] Invio Giustificativi ====")) << r.out;
    EXPECT_TRUE(contains(r.out, "\t[Term 005] 30 Giustificativi inviati"));
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Invio Giustificativi, file=causes.txt")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] 30 Giustificativi inviati"));
    EXPECT_TRUE(contains(log, "[Term 005] 10 righe oltre i 30 giustificativi non inviate"));

    r = install.run({"-gg"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00030\n");
    EXPECT_TRUE(contains(r.out, " ==== [Term 005] Ricezione Giustificativi ====")) << r.out;
    EXPECT_TRUE(contains(r.out, "\t01Causa numero 1\n"));
    EXPECT_TRUE(contains(r.out, "\t30Causa numero 30\n"));
    EXPECT_TRUE(contains(r.out, "\t[Term 005] 30 Giustificativi ricevuti"));
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 005] Ricezione Giustificativi"));

    install.run({"-gd"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");
    r = install.run({"-gg"});
    EXPECT_FALSE(contains(r.out, "\t01")) << r.out;
    EXPECT_TRUE(contains(stopAndReadState(), "\"model\": \"VORN1\""));
}

TEST_F(ConfigTablesTest, BadCauseLinesAreReportedAndSkippedAndTheCommandFails) {
    start("VORN1");
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort(), "VORN1"));
    writeData(install, "mine.txt",
              "01Malattia\r\n"
              "AXFerie\n"
              "07\n"
              "3 Trasferta con un nome molto lungo\n" +
                  std::string(200, '9') + "\n");

    // The file name glued to the option replaces the (missing) configured one.
    install.run({"-gsmine.txt"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0200\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Errore valore parametro. Cod. giustificativo AX")) << log;
    EXPECT_TRUE(contains(log, "Riga:AXFerie"));
    EXPECT_TRUE(contains(log, "[Term 005] Errore valore parametro. Descrizione mancante"));
    EXPECT_TRUE(contains(log, "[Term 005] Errore valore parametro. Riga > 131"));
    EXPECT_TRUE(contains(log, "[Term 005] 2 Giustificativi inviati"));

    auto state = compact(stopAndReadState());
    EXPECT_TRUE(contains(state, "{\"code\":1,\"text\":\"Malattia\"}")) << state;
    // Descriptions keep 20 characters.
    EXPECT_TRUE(contains(state, "{\"code\":3,\"text\":\"Trasferta con un nom\"}")) << state;
}

TEST_F(ConfigTablesTest, CauseFileMissingIsCreatedEmptyAndUnopenableFails) {
    start("VORN1");
    ToolInstall install(CMDV32_PATH, "[Global]\n[Giustificativi]\nFILE_NAME=none.txt\n" + terminal5(sim->tcpPort(), "VORN1"));
    install.run({"-gs"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00000\n");
    EXPECT_TRUE(install.dataExists("none.txt"));

    std::filesystem::create_directory(install.dataDir() / "adir");
    install.run({"-gsadir"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0100\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 005] File open error   adir")) << install.readData("cmdvorn.log");
    EXPECT_EQ(requests(readFile(wireLog), "CA,"), 0);
}

TEST_F(ConfigTablesTest, AlarmLineBecomesItsRecordAndReadsBack) {
    start("VORN2");
    ToolInstall install(CMDV32_PATH, "[Global]\n[Allarmi]\nFILE_NAME=alarms.txt\n" + terminal5(sim->tcpPort(), "VORN2"));
    writeData(install, "alarms.txt", "# siren\n3,07:30,10,SI,SI,SI,SI,SI,NO,NO\n4,12:00,5,NO,NO,NO,NO,NO,SI\n");

    auto r = install.run({"-as"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    auto wire = readFile(wireLog);
    // 27000 s, days 0x1F, duration 10, then the CRC-16 of those seven bytes (0x58c6).
    EXPECT_TRUE(contains(wire, "\"AL,SE,3\" data=13")) << wire;
    EXPECT_TRUE(contains(wire, "AL,SE,3\\x02786900001f0a00c658")) << wire;
    EXPECT_TRUE(contains(r.out, " ==== [Term 005] Invio Allarmi ===="));
    EXPECT_TRUE(contains(r.out, "\t[Term 005] 2 Allarmi inviati"));
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 005] Invio Allarmi, file=alarms.txt"));

    r = install.run({"-ag"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00024\n");
    EXPECT_EQ(requests(readFile(wireLog), "AL,GE,"), 24);
    EXPECT_TRUE(contains(r.out, " ==== [Term 005] Ricezione Allarmi ===="));
    EXPECT_TRUE(contains(r.out, "\t 3->Alle Ore: 07:30 giorni=SI,SI,SI,SI,SI,NO,NO, durata 10, ultima act.:"));
    EXPECT_TRUE(contains(r.out, "\t 4->Alle Ore: 12:00 giorni=NO,NO,NO,NO,NO,SI,NO, durata 5, ultima act.:"));
    EXPECT_TRUE(contains(r.out, "\t 0->Alle Ore: 00:00 giorni=NO,NO,NO,NO,NO,NO,NO, durata 0, ultima act.:00:00"));
    EXPECT_TRUE(contains(r.out, "\t[Term 005] 24 Allarmi ricevuti"));

    auto state = compact(stopAndReadState());
    // The simulator refuses a record with a wrong CRC: it was stored, so it is right.
    EXPECT_TRUE(contains(state, "\"number\":3,\"start\":27000,\"days\":31,\"duration\":10,")) << state;
}

TEST_F(ConfigTablesTest, AlarmWhoseStartHasPassedCarriesTodaysDayNumber) {
    start("VORN1");
    ToolInstall install(CMDV32_PATH, "[Global]\n[Allarmi]\nFILE_NAME=alarms.txt\n" + terminal5(sim->tcpPort(), "VORN1"));
    writeData(install, "alarms.txt", "1,00:00,1,SI\n");
    std::time_t before = std::time(nullptr);
    install.run({"-as"});
    std::time_t after = std::time(nullptr);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");

    // Days since 31 December 1989 on the PC's local date, little-endian;
    // at midnight itself the start has not passed yet.
    auto lastActivation = [](std::time_t t) {
        std::tm local{};
        localtime_r(&t, &local);
        std::tm date{};
        date.tm_year = local.tm_year;
        date.tm_mon = local.tm_mon;
        date.tm_mday = local.tm_mday;
        std::tm epoch{};
        epoch.tm_year = 89;
        epoch.tm_mon = 11;
        epoch.tm_mday = 31;
        auto days = static_cast<std::uint32_t>((timegm(&date) - timegm(&epoch)) / 86400);
        if (local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0) days = 0;
        char hex[9];
        std::snprintf(hex, sizeof hex, "%02x%02x%02x%02x", days & 0xFF, days >> 8 & 0xFF, days >> 16 & 0xFF, days >> 24);
        return std::string(hex);
    };
    auto wire = readFile(wireLog);
    const std::string request = "AL,SE,1\\x02";
    auto at = wire.find(request);
    ASSERT_NE(at, std::string::npos) << wire;
    std::string data = wire.substr(at + request.size(), 26);
    EXPECT_EQ(data.substr(0, 14), "00000000010100") << data;  // 00:00, the first day only, duration 1
    EXPECT_TRUE(data.substr(18) == lastActivation(before) || data.substr(18) == lastActivation(after)) << data;
}

TEST_F(ConfigTablesTest, AlarmNumbersAboveTheCapacityAreSkippedWith107) {
    start("VORN1");
    ToolInstall install(CMDV32_PATH, "[Global]\n[Allarmi]\nMAX_ALLARM=10\n" + terminal5(sim->tcpPort(), "VORN1"));
    writeData(install, "alarms.txt",
              "24,06:00,3,SI\n"
              "25,06:00,3,SI\n"
              "1,25:61,3,SI\n"
              "2,08:00\n"
              "5,08:00,x\n"
              "6,08:00,3,SI,SI,SI,SI,SI,SI,SI,SI\n"
              "7,23:59,65535,NO,NO,NO,NO,NO,NO,SI\n");

    auto r = install.run({"-asalarms.txt"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0200\n");
    auto wire = readFile(wireLog);
    EXPECT_EQ(requests(wire, "AL,SE,"), 2);
    EXPECT_TRUE(contains(wire, "\"AL,SE,18\""));
    EXPECT_TRUE(contains(wire, "\"AL,SE,7\""));
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Errore valore parametro. Num. alarm 25")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] Errore valore parametro. Ora 25:61"));
    EXPECT_TRUE(contains(log, "[Term 005] Errore valore parametro. Campi 2 < 3"));
    EXPECT_TRUE(contains(log, "[Term 005] Errore valore parametro. Durata x"));
    EXPECT_TRUE(contains(log, "[Term 005] Errore valore parametro. Giorni > 7"));
    EXPECT_TRUE(contains(log, "[Term 005] 2 Allarmi inviati"));

    // Below 24 counts as 24.
    install.run({"-ag"});
    EXPECT_EQ(requests(readFile(wireLog), "AL,GE,"), 24);

    install.run({"-ad"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");
    EXPECT_TRUE(contains(readFile(wireLog), "\"AL,DE,*\""));
    EXPECT_FALSE(contains(stopAndReadState(), "\"alarms\""));
}

TEST_F(ConfigTablesTest, LongReportOfABlockWithActivationTwelve) {
    start("VORN2", "\"parameters\": {\"doorActivation\": 12, \"password\": \"1234\"}");
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort(), "VORN2"));
    auto r = install.run({"-pg"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");
    EXPECT_TRUE(contains(r.out, "==== [Term 005] - Parametri operativi ===\n       Password: 1234\n           Tipo: VORN2\n"))
        << r.out;
    EXPECT_TRUE(contains(r.out, " Attivaz. Apriporta: ACCESSI  PRESENZE \n"));
}

TEST_F(ConfigTablesTest, SendLongBlockCarriesTheDefinitionAndCutsALongPassword) {
    start("VORN3", "\"parameters\": {\"password\": \"OLDPASS\", \"rings\": 7, \"label8\": \"VECCHIA\", \"doorTime\": 42}");
    ToolInstall install(CMDV32_PATH, "[Global]\n[Labels]\nLABEL_1=Ferie\nLABEL_2=Straordinario notturno lungo\n" +
                                         terminal5(sim->tcpPort(), "VORN3", "TERM_NR=17\nPASSWORD=SEGRETISSIMA\n"));
    auto r = install.run({"-ps"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00003\n");
    auto wire = readFile(wireLog);
    EXPECT_EQ(requests(wire, "PA,GE"), 2);
    EXPECT_EQ(requests(wire, "PA,SE"), 1);
    // Seven characters and the NUL: the model byte (3) stays.
    EXPECT_TRUE(contains(wire, "PA,SE\\x0253454752455449000311")) << wire;
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 017] PASSWORD di 12 caratteri: inviati i primi 7"));
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 017] LABEL_2 di 28 caratteri: inviati i primi 20"));
    EXPECT_TRUE(contains(r.out, "   Nr. Terminal: 17\n"));
    EXPECT_TRUE(contains(r.out, "   Num. squilli: 0\n"));
    EXPECT_TRUE(contains(r.out, "    Info Labels: Ferie,Straordinario nottur,,,,,,\n")) << r.out;
    EXPECT_TRUE(contains(r.out, " PRESENZE   SI   4    NO     "));
    EXPECT_TRUE(contains(r.out, "    Tempo Apriporta: 42 sec.\n"));

    auto state = compact(stopAndReadState());
    EXPECT_TRUE(contains(state, "\"password\":\"SEGRETI\",\"model\":3,\"termNr\":17,")) << state;
    EXPECT_TRUE(contains(state, "\"rings\":0,"));
    EXPECT_TRUE(contains(state, "\"procedures\":[0,0,0,1,4,0,0,0,0,0,0,0]"));
    EXPECT_TRUE(contains(state, "\"label8\":\"\","));
}

TEST_F(ConfigTablesTest, VornLWithoutKeysGetsBackItsOwnValuesWithTheDefinitionsNodeAndSpeed) {
    start("VORN-L", "\"lineParameters\": {\"node\": 9, \"speed\": 0, \"punchMode\": 1, \"confirm\": 1, \"causes\": 1, "
                    "\"relayMode\": 3, \"relayTime\": 33, \"display\": 2}");
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort(), "VORN-L"));
    auto r = install.run({"-ps"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    // Node 5 and 38400 from the definition, the rest as the terminal had it.
    EXPECT_TRUE(contains(readFile(wireLog), "GL,PS\\x020503010101032102")) << readFile(wireLog);
    EXPECT_TRUE(contains(r.out, "      Numero Nodo: 5\n   Velocita comm.: 38400\n  Mod. timbratura: Con verso automatico\n"))
        << r.out;
    EXPECT_TRUE(contains(r.out, "        Mod. rele: Attivazione Sirena\n     Rele timeout: 33\n   Display Acceso: Lu-Ve 06-19\n"));
}

TEST_F(ConfigTablesTest, VornLKeysOfTheTerminalSectionFillTheBlock) {
    start("VORN-L");
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort(), "VORN-L",
                                                               "GL_TIMB=auto\nGL_CONFIRM=on\nGL_CAUSE=off\nGL_RELE=door_out\n"
                                                               "GL_R_TIME=256\nGL_LCD=lcd_on7day\n"));
    auto r = install.run({"-ps"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    EXPECT_TRUE(contains(r.out, "        Mod. rele: Apriporta Uscita\n     Rele timeout: 10\n   Display Acceso: Lu-Do 06-19\n"))
        << r.out;
    auto state = compact(stopAndReadState());
    EXPECT_TRUE(contains(state, "\"punchMode\":1,\"confirm\":1,\"causes\":0,\"relayMode\":2,\"relayTime\":10,\"display\":3"))
        << state;
}

TEST_F(ConfigTablesTest, ShortReportOfDisplayModeSeven) {
    start("VORN-L", "\"lineParameters\": {\"display\": 7}");
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort(), "VORN-L"));
    auto r = install.run({"-pg"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");
    EXPECT_TRUE(contains(r.out, "==== [Term 005] - Parametri operativi ===\n      Numero Nodo: 5\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "   Display Acceso: Lu-Ve 06-19\n"));
}

TEST_F(ConfigTablesTest, BlockOfTheWrongSizeIsRefusedAndNothingIsSentBack) {
    start("VORN1", "\"parameters\": {\"raw\": \"0102030405\"}");
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort(), "VORN1"));
    install.run({"-pg"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 005] PA,GE: ricevuti 5 byte invece di 240"));
    install.run({"-ps"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    EXPECT_EQ(requests(readFile(wireLog), "PA,SE"), 0);
}

TEST_F(ConfigTablesTest, LineProtocolModelsAndTheEepromEntriesFailClearly) {
    start("VORN1");
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort(), "VORNT3"));
    auto r = install.run({"-ps"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0200\n");
    EXPECT_TRUE(contains(r.out, " ==== Send Params Not implemented for Calvet ====")) << r.out;
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), " ==== Send Params Not implemented for Calvet ===="));
    // -pg asks the line protocol's "@CFG nn"; a telegram terminal answers none of them.
    r = install.run({"-pg"});
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "==== [Term 005] - Parametri operativi ==="));
    EXPECT_FALSE(contains(install.readData("cmdvorn.log"), "   CFG"));

    ToolInstall vorn1(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort(), "VORN1"));
    vorn1.run({"-i"});
    EXPECT_EQ(vorn1.readData("RIDUVA.RET"), "-0200\n");
    EXPECT_TRUE(contains(vorn1.readData("cmdvorn.log"), "[Term 005] Parametri EEPROM: si impostano dalla finestra"));
    EXPECT_EQ(requests(readFile(wireLog), ""), 0);
}

TEST_F(ConfigTablesTest, CtrlCStopsReadingTheAlarmsWith106) {
    start("VORN1", "", {"--reply-delay", "100"});
    std::string section = terminal5(sim->tcpPort(), "VORN1");
    section.replace(section.find("COM_TIME_OUT=101"), 16, "COM_TIME_OUT=5");  // seconds: the replies are slow
    ToolInstall install(CMDV32_PATH, "[Global]\n" + section);
    auto running = install.start({"-ag"});
    ASSERT_TRUE(eventually([&] { return contains(readFile(wireLog), "\"AL,GE,2\""); }));
    running->signal(SIGINT);
    auto r = running->wait(std::chrono::seconds(60));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Commando interroto dall'utente!")) << log;
    EXPECT_LT(requests(readFile(wireLog), "AL,GE,"), 24);
}
