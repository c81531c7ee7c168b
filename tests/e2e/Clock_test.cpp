// Clocks end to end: a simulated terminal's clock read and set, its
// daylight-saving dates sent and read back, and the PC clock taken from the
// terminal (written to PCCLOCK_FILE, never to the machine's clock).
#include "SimulatorTest.h"
#include "SyncDifference.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string terminal5(int port) {
    return "[Terminal 5]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=5\nCOM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" +
           std::to_string(port) + "\n";
}

class ClockTest : public SimulatorTest {
protected:
    void start(std::vector<std::string> extra = {}) {
        extra.insert(extra.begin(), {"--terminal", "5:VORN3"});
        runSimulator(extra);
    }
    long clockOffset() {
        sim->stop();
        std::string state = readFile(stateOut);
        auto at = state.find("\"clockOffset\": ");
        return at == std::string::npos ? 99999 : std::atol(state.c_str() + at + 15);
    }
    std::map<std::string, std::string> pcClock() const { return {{"PCCLOCK_FILE", pcClockFile}}; }

    std::string pcClockFile = scratch("_pcclock.txt");
};

}  // namespace

TEST_F(ClockTest, TerminalClockIsReadAndSetToTheHostClock) {
    start({"--clock", "2020-01-01 00:00:00"});
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort()));
    auto r = install.run({"-yd"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");
    EXPECT_TRUE(contains(r.out, "[Term 005] GetTime: 01/01/20 00:00:0")) << r.out;
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 005] GetTime: 01/01/20 00:00:0"));

    install.run({"-d"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");
    EXPECT_TRUE(contains(readFile(wireLog), "\"TI,SE\" data=4"));
    // The terminal's clock now runs with the host's, within the second the
    // telegram needs.
    long offset = clockOffset();
    EXPECT_LE(std::labs(offset), 1) << offset;
}

TEST_F(ClockTest, DaylightSavingDatesRoundTrip) {
    start();
    int port = sim->tcpPort();
    ToolInstall on(CMDV32_PATH, "[Global]\nGL_DAYLIGHT=on\nGL_LEGALE=28/3-2:0\nGL_SOLARE=31.10.3.0\n" + terminal5(port));
    auto r = on.run({"-lg"});
    EXPECT_TRUE(contains(r.out, "[Term 005] Ora Legale Disattivata!")) << r.out;
    on.run({"-ls"});
    EXPECT_EQ(on.readData("RIDUVA.RET"), "00001\n");
    r = on.run({"-lg"});
    EXPECT_TRUE(contains(r.out, "[Term 005] Ora Legale: 28/03 02:00")) << r.out;
    EXPECT_TRUE(contains(r.out, "[Term 005] Ora Solare: 31/10 03:00"));
    EXPECT_TRUE(contains(on.readData("cmdvorn.log"), "[Term 005] Ora Solare: 31/10 03:00"));

    // Switched off, the dates must still be right and are still sent.
    ToolInstall off(CMDV32_PATH, "[Global]\nGL_DAYLIGHT=off\nGL_LEGALE=29/3-2:30\nGL_SOLARE=25-10-3-0\n" + terminal5(port));
    off.run({"-ls"});
    EXPECT_EQ(off.readData("RIDUVA.RET"), "00001\n");
    r = off.run({"-lg"});
    EXPECT_TRUE(contains(r.out, "[Term 005] Ora Legale Disattivata!")) << r.out;
    auto state = (sim->stop(), readFile(stateOut));
    EXPECT_TRUE(contains(state, "\"active\": 0"));
    EXPECT_TRUE(contains(state, "-03-29 02:30:00\"")) << state;
    EXPECT_TRUE(contains(state, "-10-25 03:00:00\""));
}

TEST_F(ClockTest, WrongDaylightSavingKeysSendNothing) {
    start();
    int port = sim->tcpPort();
    struct Case {
        std::string keys;
        std::string message;
    } cases[] = {
        {"GL_LEGALE=28/3-2:0\nGL_SOLARE=31.10.3.0\n", "Errore: Manca parametro GL_DAYLIGHT"},
        {"GL_DAYLIGHT=ON\nGL_SOLARE=31.10.3.0\n", "Errore: Manca parametro GL_LEGALE"},
        {"GL_DAYLIGHT=ON\nGL_LEGALE=28.3.2.0\nGL_SOLARE=31.10.3.0\n", "Errore parametro GL_LEGALE: 28.3.2.0"},
        {"GL_DAYLIGHT=ON\nGL_LEGALE=28/3-24:0\nGL_SOLARE=31.10.3.0\n", "Errore parametro GL_LEGALE: 28/3-24:0"},
        {"GL_DAYLIGHT=ON\nGL_LEGALE=28/3-2:0\n", "Errore: Manca parametro GL_SOLARE"},
        {"GL_DAYLIGHT=ON\nGL_LEGALE=28/3-2:0\nGL_SOLARE=31.4.3.0\n", "Errore parametro GL_SOLARE: 31.4.3.0"},
        {"GL_DAYLIGHT=ON\nGL_LEGALE=28/3-2:0\nGL_SOLARE=31.10\n", "Errore parametro GL_SOLARE: 31.10"},
    };
    for (const Case& c : cases) {
        ToolInstall install(CMDV32_PATH, "[Global]\n" + c.keys + terminal5(port));
        install.run({"-ls"});
        EXPECT_EQ(install.readData("RIDUVA.RET"), "-0200\n") << c.keys;
        EXPECT_TRUE(contains(install.readData("cmdvorn.log"), c.message)) << c.keys;
    }
    EXPECT_FALSE(contains(readFile(wireLog), "TL,SE"));
}

TEST_F(ClockTest, PcClockTakesTheTerminalsTime) {
    start({"--clock", "2024-02-29 12:34:56"});
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort()));
    install.run({"-syncg"}, pcClock());
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");
    std::string set = readFile(pcClockFile);
    ASSERT_EQ(set.size(), 24u) << set;
    EXPECT_EQ(set.substr(0, 18), "2024-02-29 12:34:5");
    EXPECT_EQ(set.substr(19), ".000\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 005] PC-Time: sincronizzato a 29/02/24 12:34:5"));
}

TEST_F(ClockTest, TimeServiceWithoutAModemLineSaysSoAndLeavesThePcClock) {
    start();
    ToolInstall none(CMDV32_PATH, "[Global]\n" + terminal5(sim->tcpPort()));
    auto r = none.run({"-sync"}, pcClock());
    EXPECT_EQ(r.exitCode, 0);
    auto log = none.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "Configuration error: manca ezione [Time_Sync]")) << log;
    EXPECT_TRUE(contains(log, "System: Inizio Sincronizzazione Orologio"));
    EXPECT_TRUE(contains(log, "System: Errore Sincronizzazione Orologio. Non so che modem usare !"));
    // Only the special command ran: the console leaves no result file.
    EXPECT_FALSE(none.dataExists("RIDUVA.RET"));

    ToolInstall noPort(CMDV32_PATH, "[Global]\n[Time_Sync]\nMODEM_DIAL_NR=0123\n" + terminal5(sim->tcpPort()));
    r = noPort.run({"-n5", "-sync", "-yd"}, pcClock());
    log = noPort.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "Configuration error: manca \"PORT\" per [Time_Sync]")) << log;
    EXPECT_TRUE(contains(log, "Non so che modem usare !"));
    // The terminal command still runs, after the synchronisation.
    EXPECT_LT(log.find("Non so che modem usare"), log.find("GetTime"));
    EXPECT_EQ(noPort.readData("RIDUVA.RET"), "00001\n");
    EXPECT_FALSE(std::filesystem::exists(pcClockFile));
}

// The time service dialled through the simulator's modem.
class TimeServiceTest : public ClockTest {
protected:
    void startService(std::vector<std::string> extra) {
        extra.insert(extra.begin(), {"--modem", "all", "--time-service", "0612345", "--time-service-interval", "40"});
        start(extra);
    }
    std::string parameters() const {
        return "[Global]\n[Time_Sync]\nPORT=" + sim->modemPath() + ":9600,N,8,1\nMODEM_DIAL_NR=0612345\n"
               "[Terminal 5]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=5\nPORT=/dev/null\n";
    }
};

TEST_F(TimeServiceTest, PcClockTakesTheServicesTime) {
    const int offset = 7200;
    startService({"--time-service-offset", std::to_string(offset)});
    ToolInstall install(CMDV32_PATH, parameters());
    std::time_t before = std::time(nullptr) + offset;
    auto r = install.run({"-sync"}, pcClock());
    std::time_t after = std::time(nullptr) + offset;
    EXPECT_EQ(r.exitCode, 0);
    auto log = install.readData("cmdvorn.log");
    auto difference = loggedSyncDifference(log);
    ASSERT_TRUE(difference) << log;
    EXPECT_NEAR(*difference, -offset, 1) << log;
    std::string set = readFile(pcClockFile);
    ASSERT_EQ(set.size(), 10 * 24u) << set;
    // Each line is a time the service sent: between the start and the end of the call, two hours ahead.
    char first[32], last[32];
    std::tm t{};
    localtime_r(&before, &t);
    std::strftime(first, sizeof first, "%Y-%m-%d %H:%M:%S.000\n", &t);
    localtime_r(&after, &t);
    std::strftime(last, sizeof last, "%Y-%m-%d %H:%M:%S.000\n", &t);
    EXPECT_GE(set.substr(0, 24), std::string(first));
    EXPECT_LE(set.substr(216), std::string(last));
}

TEST_F(TimeServiceTest, RightPcClockIsNotSet) {
    startService({});
    ToolInstall install(CMDV32_PATH, parameters());
    install.run({"-sync"}, pcClock());
    auto log = install.readData("cmdvorn.log");
    // A second may turn between a line and the look at the PC clock.
    auto difference = loggedSyncDifference(log);
    ASSERT_TRUE(difference) << log;
    EXPECT_NEAR(*difference, 0, 1) << log;
    EXPECT_LE(readFile(pcClockFile).size(), 24u);
}

TEST_F(TimeServiceTest, NoTimeCodeLineIsAModemError) {
    startService({"--time-service-junk", "20"});
    ToolInstall install(CMDV32_PATH, parameters());
    auto r = install.run({"-n5", "-sync", "-yd"}, pcClock());
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "System: Errore Sincronizzazione Orologio - nessun CTD msg. ricevuto !")) << log;
    EXPECT_FALSE(std::filesystem::exists(pcClockFile));
}
