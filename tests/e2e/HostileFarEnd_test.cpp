// Far ends that are quick, broken or hostile: whatever they send, no punch
// is deleted unless it was saved, nothing that is not a punch is written,
// and the result is never reported better than it was.
#include "SimulatorTest.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

int lines(const std::string& text) { return countOf(text, "\n"); }

std::string files() {
    return "[Global]\n"
           "[Timbrature]\nFILE_NAME=tmb.txt\n"
           "[Accessi]\nFILE_NAME=tmb.txt\n"
           "[Mensa]\nFILE_NAME=tmb.txt\n"
           "[Commesse]\nFILE_NAME=tmb.txt\n";
}

std::string tcpTerminal(int node, int port, const std::string& model = "VORN3") {
    return "[Terminal " + std::to_string(node) + "]\nCOM_TYPE=RS485\nTERM_TYPE=" + model + "\nNODE_NR=" +
           std::to_string(node) + "\nCOM_TIME_OUT=101\nMAX_RETRY=2\nPORT=tcp//127.0.0.1:" + std::to_string(port) + "\n";
}

class HostileFarEndTest : public SimulatorTest {};

}  // namespace

TEST_F(HostileFarEndTest, AnotherNodesLateReplyIsNeverTakenAsTheAddressedOnes) {
    // Nodes 5 and 6 share one bridge. While node 6 is asked for its first
    // record, node 5 answers the same request with the same sequence number.
    runSimulator({"--terminal", "5:VORN3", "--terminal", "6:VORN3", "--records", "3", "--seed", "4", "--stray", "2"});
    ToolInstall install(CMDV32_PATH, files() + tcpTerminal(5, sim->tcpPort()) + tcpTerminal(6, sim->tcpPort()));
    install.run({"-n6", "-r"});
    auto out = install.readData("tmb.txt");
    EXPECT_EQ(lines(out), 3) << out;
    EXPECT_FALSE(contains(out, " 0005 ")) << out;  // the terminal field of node 5's punches
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 006] Risposta dal nodo 5 invece del nodo 6")) << log;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00003\n");
    auto state = stopAndReadState();
    EXPECT_EQ(countOf(state, "\"employee\""), 3) << state;  // node 5 keeps its three
}

TEST_F(HostileFarEndTest, RecordReplyWithoutItsDataIsNotAPunch) {
    // Without data the decoded record is all zeros, whose check is 0 too.
    runSimulator({"--terminal", "5:VORN3", "--records", "4", "--short-data", "RE,GE,1"});
    ToolInstall install(CMDV32_PATH, files() + tcpTerminal(5, sim->tcpPort()));
    install.run({"-r"});
    auto out = install.readData("tmb.txt");
    EXPECT_EQ(lines(out), 3) << out;
    EXPECT_FALSE(contains(out, "000000 31/12/89")) << out;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] RE,GE,1: ricevuti 0 byte invece di 19")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] 1 Timbrature RIMASTE sul terminale")) << log;
    EXPECT_FALSE(contains(readFile(wireLog), "\"RE,DE\""));
}

TEST_F(HostileFarEndTest, ControlBytesOfAReplyAreEscapedInTheLog) {
    runSimulator({"--terminal", "5:VORN3", "--control-text", "VE"});
    ToolInstall install(CMDV32_PATH, files() + tcpTerminal(5, sim->tcpPort()));
    install.run({"-v"});
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] <node 5> VE \\r\\n12:00:00.000 I [Term 001] Comando RE,DE eseguito.\\x05"))
        << log;
    EXPECT_FALSE(contains(log, "\r")) << log;
    EXPECT_FALSE(contains(log, "\x05")) << log;
    EXPECT_FALSE(contains(log, "\n12:00:00.000 I [Term 001]")) << log;
}

TEST_F(HostileFarEndTest, DeleteLostToADroppedCallIsNotResentOverRecordsNoCountCovered) {
    // Requests: 1 OPEN, 2 RE,NR, 3-5 RE,GE,0-2, 6 ON, 7 RE,NR, 8 RE,DE. The
    // call drops at RE,DE and two punches are recorded before the redial.
    std::vector<std::string> args{"--terminal", "5:VORN3", "--modem", "all", "--password", "secret", "--modem-connect-ms",
                                  "30", "--records", "3", "--drop", "RE,DE", "--add-records", "2@RE,DE"};
    runSimulator(args);
    ToolInstall install(CMDV32_PATH, files() + "[Terminal 5]\nCOM_TYPE=MODEM\nTERM_TYPE=VORN3\nNODE_NR=5\n"
                                               "PASSWORD=secret\nPORT=" + sim->modemPath() +
                                               ":38400,N,8,1\nMODEM_DIAL_NR=0123\nMODEM_WAIT_CONNECT=5\n"
                                               "MODEM_PAUSE=0\nCOM_TIME_OUT=1\n");
    auto r = install.run({"-r"}, {}, std::chrono::seconds(120));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Ripristino connessione modem!")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] 2 Timbrature RIMASTE sul terminale")) << log;
    EXPECT_FALSE(contains(log, "Timbrature rimosse")) << log;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0001\n");
    EXPECT_EQ(lines(install.readData("tmb.txt")), 3);
    EXPECT_EQ(countOf(readFile(wireLog), "\"RE,DE\""), 1);  // only the one the drop swallowed
    auto state = stopAndReadState();
    EXPECT_EQ(countOf(state, "\"employee\""), 5) << state;
}

TEST_F(HostileFarEndTest, DeleteAfterARedialGoesOutWhenTheFreshCountStillMatches) {
    std::vector<std::string> args{"--terminal", "5:VORN3", "--modem",  "all",     "--password", "secret",
                                  "--modem-connect-ms", "30", "--records", "3", "--drop", "8"};
    runSimulator(args);
    ToolInstall install(CMDV32_PATH, files() + "[Terminal 5]\nCOM_TYPE=MODEM\nTERM_TYPE=VORN3\nNODE_NR=5\n"
                                               "PASSWORD=secret\nPORT=" + sim->modemPath() +
                                               ":38400,N,8,1\nMODEM_DIAL_NR=0123\nMODEM_WAIT_CONNECT=5\n"
                                               "MODEM_PAUSE=0\nCOM_TIME_OUT=1\n");
    install.run({"-r"}, {}, std::chrono::seconds(120));
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 005] Ripristino connessione modem!")) << log;
    EXPECT_TRUE(contains(log, "[Term 005] Timbrature rimosse dal terminale")) << log;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00003\n");
    EXPECT_TRUE(contains(stopAndReadState(), "\"punches\": []"));
}

TEST_F(HostileFarEndTest, ThroughARouterTheReplyMustComeFromTheRoutedTerminal) {
    // Node 9 is reached through node 5; the router's own late answer to the
    // routed request is not node 9's record.
    runSimulator({"--terminal", "5:VORN3", "--terminal", "9:VORN3", "--records", "3", "--seed", "4", "--stray", "2"});
    ToolInstall install(CMDV32_PATH, files() + tcpTerminal(5, sim->tcpPort()) +
                                         "[Terminal 9]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=9\nROUTER_NODE=5\n"
                                         "COM_TIME_OUT=101\nMAX_RETRY=2\n");
    install.run({"-n9", "-r"});
    auto out = install.readData("tmb.txt");
    EXPECT_EQ(lines(out), 3) << out;
    EXPECT_FALSE(contains(out, " 0005 ")) << out;
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 009] Risposta dal nodo 5 invece del nodo 9"));
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00003\n");
}

TEST_F(HostileFarEndTest, EmployeeReadBackWithoutItsDataIsNotWritten) {
    std::string state = scratch("_employees.json");
    std::ofstream(state) << R"({"terminals":[{"node":3,"model":"VORN1","employeeFormat":"EM","employees":[
        {"company":5,"number":1234,"name":"ROSSI MARIO"},{"company":6,"number":99,"name":"NERI"}]}]})";
    runSimulator({"--state", state, "--short-data", "EM,GN,0"});
    ToolInstall install(CMDV32_PATH, "[Global]\n[Terminal 3]\nCOM_TYPE=RS485\nTERM_TYPE=VORN1\nNODE_NR=3\n"
                                     "COM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" + std::to_string(sim->tcpPort()) + "\n");
    install.run({"-ea"});
    auto employees = install.readData("DUMMY.EMP");
    EXPECT_EQ(lines(employees), 1) << employees;
    EXPECT_TRUE(contains(employees, "ROSSI MARIO")) << employees;
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 003] EM,GN,0: ricevuti 0 byte invece di"));
}
