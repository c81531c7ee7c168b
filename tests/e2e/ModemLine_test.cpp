// The modem line over the simulator's Hayes modem: how long the tool waits
// for the modem's answers, and a call that drops while the tool waits to
// re-check the line.
#include "SimulatorTest.h"

#include <gtest/gtest.h>

namespace {

std::string modemParameters(const std::string& modemPath, int comTimeout) {
    return "[Global]\n"
           "[Timbrature]\nFILE_NAME=tmb.txt\n"
           "[Accessi]\nFILE_NAME=tmb.txt\n"
           "[Mensa]\nFILE_NAME=tmb.txt\n"
           "[Terminal 5]\nCOM_TYPE=MODEM\nTERM_TYPE=VORN3\nNODE_NR=5\nPASSWORD=secret\nPORT=" +
           modemPath + ":38400,N,8,1\nMODEM_DIAL_NR=0123\nMODEM_WAIT_CONNECT=5\nMODEM_PAUSE=0\nCOM_TIME_OUT=" +
           std::to_string(comTimeout) + "\n";
}

class ModemLineTest : public SimulatorTest {
protected:
    void startModem(std::vector<std::string> extra) {
        std::vector<std::string> args{"--terminal", "5:VORN3", "--modem", "all", "--password", "secret",
                                      "--modem-connect-ms", "30"};
        args.insert(args.end(), extra.begin(), extra.end());
        runSimulator(args);
    }
};

}  // namespace

TEST_F(ModemLineTest, ModemCommandsWaitWholeSecondsWhateverTheReplyTimeOut) {
    // COM_TIME_OUT=101 waits 100 ms for a telegram, but a modem command gets
    // its 101 seconds: an answer after 400 ms is still taken.
    startModem({"--modem-reply-ms", "400"});
    ToolInstall install(CMDV32_PATH, modemParameters(sim->modemPath(), 101));
    auto r = install.run({"-v"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    auto log = install.readData("cmdvorn.log");
    EXPECT_FALSE(contains(log, "Modem sembra spento")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] Comando VE eseguito.")) << log;
}

TEST_F(ModemLineTest, NoCarrierBetweenTheTimeOutAndTheLineCheckIsRecovered) {
    // Requests: 1 OPEN, 2 RE,NR, 3-5 RE,GE,0-2. The call drops at RE,GE,2
    // and the modem says so 2.3 s later: after the 2 s time-out, before the
    // line check that follows it by 0.5 s.
    startModem({"--records", "8", "--drop", "5", "--modem-drop-ms", "2300"});
    ToolInstall install(CMDV32_PATH, modemParameters(sim->modemPath(), 2));
    auto r = install.run({"-r"}, {}, std::chrono::seconds(120));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "Linea Caduta !!!!")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] Ripristino connessione modem!")) << log;
    EXPECT_EQ(countOf(log, "Chiamata Modem: 0123"), 2) << log;
    EXPECT_FALSE(contains(log, "RIMASTE")) << log;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00008\n");
    EXPECT_EQ(countOf(install.readData("tmb.txt"), "\n"), 8);
    auto wire = readFile(wireLog);
    EXPECT_EQ(countOf(wire, "\"OPEN\""), 2) << wire;
    EXPECT_EQ(countOf(wire, "\"RE,DE\""), 1);
    EXPECT_TRUE(contains(stopAndReadState(), "\"punches\": []"));
}
