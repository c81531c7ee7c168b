// Employee master data end to end: the employee file sent to the simulated
// terminals in their own record formats, read back into DUMMY.EMP, counted
// and deleted.
#include "SimulatorTest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

// Requests of one node with the given command text in the wire log.
int requests(const std::string& wire, int node, const std::string& command) {
    char nodeText[16];
    std::snprintf(nodeText, sizeof nodeText, "node=%02d", node);
    std::istringstream lines(wire);
    int n = 0;
    for (std::string line; std::getline(lines, line);)
        if (contains(line, " RX #") && contains(line, nodeText) && contains(line, "\"" + command + "\"")) ++n;
    return n;
}

// The JSON object of the employee with that number in a state file.
std::string employeeIn(const std::string& state, std::uint32_t number) {
    auto at = state.find("\"number\": " + std::to_string(number) + ",");
    if (at == std::string::npos) return {};
    auto open = state.rfind('{', at);
    auto close = state.find('}', at);
    return state.substr(open, close - open + 1);
}

std::string terminalSection(int node, const std::string& model, int port, const std::string& extra = "") {
    return "[Terminal " + std::to_string(node) + "]\nCOM_TYPE=RS485\nTERM_TYPE=" + model +
           "\nNODE_NR=" + std::to_string(node) + "\nCOM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" + std::to_string(port) +
           "\n" + extra;
}

class EmployeesTest : public SimulatorTest {
protected:
    void start(std::vector<std::string> extra) { runSimulator(extra); }
    void writeData(const ToolInstall& install, const std::string& name, const std::string& text) {
        std::ofstream(install.dataDir() / name, std::ios::binary) << text;
    }

    std::string stateIn = scratch("_in.json");
};

const char* kEmployeeFile =
    "# employees of the plant\n"
    "\n"
    ",5,1234,ROSSI MARIO,,3\n"
    ",5,77,BIANCHI LUCA,,4,REPARTO A,TURNO 2\n";

}  // namespace

TEST_F(EmployeesTest, AssociatedUploadFollowsTheTerminalNumberAndAllUploadIgnoresIt) {
    start({"--terminal", "3:VORN1", "--terminal", "4:VORN1"});
    int port = sim->tcpPort();
    ToolInstall install(CMDV32_PATH, "[Global]\n[Anagrafiche]\nFILE_NAME=emp.txt\n" + terminalSection(3, "VORN1", port) +
                                         terminalSection(4, "VORN1", port));
    writeData(install, "emp.txt", kEmployeeFile);

    auto r = install.run({"-t"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    auto wire = readFile(wireLog);
    EXPECT_EQ(requests(wire, 3, "EM,SE"), 1);
    EXPECT_EQ(requests(wire, 4, "EM,SE"), 1);
    // Employee 1234 of company 5: number, company, then the name.
    EXPECT_TRUE(contains(wire, "EM,SE\\x02d204000005000052")) << wire;
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 003] Invio 2 Anagr.")) << log;
    EXPECT_TRUE(contains(log, "[Term 003] 1 anagrafiche inviate"));

    // A file name glued to -es replaces [Anagrafiche] for the run.
    writeData(install, "other.txt", kEmployeeFile);
    install.run({"-n3", "-esother.txt"});
    wire = readFile(wireLog);
    EXPECT_EQ(requests(wire, 3, "EM,SE"), 3);
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 003] 2 anagrafiche inviate"));

    auto state = stopAndReadState();
    auto rossi = employeeIn(state, 1234);
    EXPECT_TRUE(contains(rossi, "\"company\": 5")) << rossi;
    EXPECT_TRUE(contains(rossi, "\"name\": \"ROSSI MARIO\""));
    EXPECT_TRUE(contains(employeeIn(state, 77), "\"TURNO 2\""));
}

TEST_F(EmployeesTest, CompanyOfTheTerminalSectionReplacesTheFilesAndBadLinesAreSkipped) {
    start({"--terminal", "3:VORN1"});
    ToolInstall install(CMDV32_PATH, "[Global]\n[Anagrafiche]\nFILE_NAME=emp.txt\nCOMPANY=9\n" +
                                         terminalSection(3, "VORN1", sim->tcpPort(), "COMPANY=7\n"));
    writeData(install, "emp.txt",
              std::string(kEmployeeFile) +
                  ",5,0,NESSUNO,,0\n"
                  ",5,abc,LETTERE,,0\n"
                  ",5,56," + std::string(4000, 'X') + ",,0\n"
                  ",5,57,VERDI ANNA MARIA ROSA LUNGA,,0;\n");

    install.run({"-es"});
    // Invalid lines are reported and skipped; the command still succeeds.
    // A line of any length is an employee like the others.
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00004\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 003] Sostituzione Cd. Azienda: Sezione [Terminal 3], COMPANY=7")) << log;
    EXPECT_TRUE(contains(log, "Riga:,5,0,NESSUNO,,0"));
    EXPECT_TRUE(contains(log, "Riga:,5,abc,LETTERE,,0"));
    EXPECT_TRUE(contains(log, "[Term 003] Parametro non definito in configuration file Matricola = 0"));
    EXPECT_FALSE(contains(log, "Riga:,5,56,XXXX"));

    auto state = stopAndReadState();
    EXPECT_TRUE(contains(employeeIn(state, 1234), "\"company\": 7"));
    EXPECT_TRUE(contains(employeeIn(state, 77), "\"company\": 7"));
    // Names keep 20 characters; the last ";" of a line is a blank.
    EXPECT_TRUE(contains(employeeIn(state, 57), "\"name\": \"VERDI ANNA MARIA ROS\""));
    EXPECT_TRUE(contains(employeeIn(state, 56), "\"name\": \"" + std::string(20, 'X') + "\"")) << state;
}

TEST_F(EmployeesTest, LineWithoutNameStopsTheUploadAndFails) {
    start({"--terminal", "3:VORN1"});
    ToolInstall install(CMDV32_PATH, "[Global]\n[Anagrafiche]\nFILE_NAME=emp.txt\n" + terminalSection(3, "VORN1", sim->tcpPort()));
    writeData(install, "emp.txt", ",5,1234,ROSSI MARIO,,3\nHEAD,5,1235\n,5,1236,DOPO,,3\n");
    install.run({"-es"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0110\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "Error Nome Dipendente HEAD."));
    auto state = stopAndReadState();
    EXPECT_NE(employeeIn(state, 1234), "");
    EXPECT_EQ(employeeIn(state, 1236), "");
}

TEST_F(EmployeesTest, VornLGetsShortRecordsWithoutName) {
    start({"--terminal", "4:VORN-L"});
    ToolInstall install(CMDV32_PATH, "[Global]\n[Anagrafiche]\nFILE_NAME=emp.txt\n" + terminalSection(4, "VORN-L", sim->tcpPort()));
    writeData(install, "emp.txt", kEmployeeFile);
    install.run({"-t"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");
    auto wire = readFile(wireLog);
    EXPECT_TRUE(contains(wire, "\"US,SE\" data=12 | "))  << wire;
    EXPECT_TRUE(contains(wire, "US,SE\\x020500000000004d000000")) << wire;
    auto bianchi = employeeIn(stopAndReadState(), 77);
    EXPECT_TRUE(contains(bianchi, "\"name\": \"\"")) << bianchi;
}

TEST_F(EmployeesTest, ReceiveOnAnEmptyTerminalWritesNothingAndSucceeds) {
    start({"--terminal", "3:VORN1"});
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminalSection(3, "VORN1", sim->tcpPort()));
    auto r = install.run({"-ea"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00000\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 003] 0 anagrafiche ricevute"));
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 003] Comando EM,GE, eseguito."));
    EXPECT_FALSE(install.dataExists("DUMMY.EMP"));
}

TEST_F(EmployeesTest, ReceivedLinesInEveryFormatByteForByte) {
    std::ofstream(stateIn) << R"({"terminals":[
        {"node":3,"model":"VORN1","employeeFormat":"EM","employees":[
          {"company":5,"number":1234,"name":"ROSSI MARIO","texts":["REPARTO A","","","","","","","T8"],"jo":12,"jc":34},
          {"company":6,"number":99,"name":"NERI","disabled":true,"jo":7}]},
        {"node":2,"model":"VORN2","employeeFormat":"UM","employees":[
          {"company":1,"number":5,"name":"VERDI GIUSEPPE LUNGO"}]},
        {"node":4,"model":"VORN-L","employees":[
          {"company":2,"number":4000000000,"name":"IGNOTO","disabled":true}]}]})";
    start({"--state", stateIn});
    int port = sim->tcpPort();
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminalSection(3, "VORN1", port) + terminalSection(2, "VORN2", port) +
                                         terminalSection(4, "VORN-L", port));
    install.run({"-ea"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00004\n");
    EXPECT_EQ(install.readData("DUMMY.EMP"),
              "12,00005,000001234,ROSSI MARIO         ,34,3,REPARTO A,,,,,,,T8\n"
              "DISABLED->7,00006,000000099,NERI                ,0,3,,,,,,,,\n"
              "0,00001,000000005,VERDI GIUSEPPE L    , 0, 2\n"
              "DISABLED->0,00002,4000000000,                    , 0, 4\n");
    auto wire = readFile(wireLog);
    EXPECT_EQ(requests(wire, 2, "UM,GF,0"), 1);
    EXPECT_EQ(requests(wire, 4, "US,GI,0"), 1);
    // Nothing is asked past the count, so no warning spoils the result.
    EXPECT_EQ(requests(wire, 4, "US,GI,1"), 0);
    EXPECT_EQ(requests(wire, 3, "EM,GN,0"), 1);

    // The received file is an employee file again.
    install.run({"-n3", "-k", "-esDUMMY.EMP"});
    auto state = stopAndReadState();
    EXPECT_TRUE(contains(employeeIn(state, 1234), "\"T8\""));
    EXPECT_TRUE(contains(employeeIn(state, 99), "\"disabled\": false"));
}

TEST_F(EmployeesTest, DeleteAndCountUseTheFormatOfEachTerminal) {
    start({"--terminal", "3:VORN1", "--terminal", "2:VORN2:UM", "--terminal", "4:VORN-L", "--employees", "3"});
    int port = sim->tcpPort();
    ToolInstall install(CMDV32_PATH, "[Global]\n" + terminalSection(3, "VORN1", port) + terminalSection(2, "VORN2", port) +
                                         terminalSection(4, "VORN-L", port));
    install.run({"-yt"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00009\n");
    auto log = install.readData("cmdvorn.log");
    EXPECT_TRUE(contains(log, "[Term 002] Num. anagr.= 3"));
    auto wire = readFile(wireLog);
    EXPECT_EQ(requests(wire, 3, "VE"), 1);
    EXPECT_EQ(requests(wire, 2, "MP,GE"), 1);
    EXPECT_EQ(requests(wire, 4, "EM,CO"), 1);

    install.run({"-k"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00003\n");
    wire = readFile(wireLog);
    EXPECT_EQ(requests(wire, 3, "EM,DE,*,*"), 1);
    EXPECT_EQ(requests(wire, 2, "UM,DE,*"), 1);
    EXPECT_EQ(requests(wire, 4, "US,DE,*"), 1);
    EXPECT_EQ(countOf(install.readData("cmdvorn.log"), "Anagrafiche cancellate"), 3);
    EXPECT_TRUE(contains(stopAndReadState(), "\"employees\": []"));
}

TEST_F(EmployeesTest, PersonalTextsAndEmployeeInformation) {
    start({"--terminal", "3:VORN1"});
    ToolInstall install(CMDV32_PATH, "[Global]\n[Anagrafiche]\nFILE_NAME=emp.txt\n" + terminalSection(3, "VORN1", sim->tcpPort()));
    writeData(install, "emp.txt", ",5,1234,ROSSI MARIO,,3,PRIMO,SECONDO\n,5,77,BIANCHI LUCA,,4,ALTRO\n");
    install.run({"-es"});
    writeData(install, "emp.txt", ",5,1234,ROSSI MARIO,,3,NUOVO,TESTO\n,5,77,BIANCHI LUCA,,4,ALTRO DATO\n");
    install.run({"-ed"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 003] 1 informazioni inviati"));

    auto r = install.run({"-ei"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00002\n");
    EXPECT_TRUE(contains(r.out, "=== Ric. Informazioni su Dipendenti da: [Term 003]")) << r.out;
    EXPECT_TRUE(contains(r.out, "5 1234          ROSSI MARIO \t mai timbrato"));

    auto state = stopAndReadState();
    EXPECT_TRUE(contains(employeeIn(state, 1234), "\"NUOVO\""));
    EXPECT_FALSE(contains(employeeIn(state, 77), "ALTRO DATO"));
}

TEST_F(EmployeesTest, TenThousandEmployeesAndAFullMemory) {
    std::ofstream(stateIn) << R"({"terminals":[{"node":3,"model":"VORN1","version":{"numOfEmp":10000}},
                                              {"node":4,"model":"VORN1","version":{"numOfEmp":10}}]})";
    start({"--state", stateIn});
    int port = sim->tcpPort();
    ToolInstall install(CMDV32_PATH, "[Global]\n[Anagrafiche]\nFILE_NAME=emp.txt\n" + terminalSection(3, "VORN1", port) +
                                         terminalSection(4, "VORN1", port));
    std::string file;
    for (int i = 1; i <= 10000; ++i) file += ",1," + std::to_string(i) + ",DIPENDENTE " + std::to_string(i) + ",,0,TESTO\n";
    writeData(install, "emp.txt", file);

    install.run({"-n3", "-es"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "10000\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 003] 10000 anagrafiche inviate"));

    // A terminal that refuses an employee stops the upload there.
    install.run({"-n4", "-es"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "-0002\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"), "[Term 004] 10 anagrafiche inviate"));
    EXPECT_EQ(requests(readFile(wireLog), 4, "EM,SE"), 11);
}

TEST_F(EmployeesTest, ConfiguredLayoutOfTheEmployeeFile) {
    start({"--terminal", "3:VORN1"});
    ToolInstall install(CMDV32_PATH, "[Global]\n[Anagrafiche]\nFILE_NAME=emp.txt\nFORMAT=F1,F2,F3,F4\nF1=MATRICOLA\n"
                                     "F2=NAME\nF3=COMPANY\nF4=INFO2\nFLDSEP=';'\n" +
                                         terminalSection(3, "VORN1", sim->tcpPort()));
    writeData(install, "emp.txt", "1234;ROSSI MARIO;5;SECONDO\n1235;  ;5;\n");
    install.run({"-t"});
    EXPECT_EQ(install.readData("RIDUVA.RET"), "00001\n");
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"),
                         "[Term 003] Parametro non definito in configuration file Nome dipendente =blank"));
    auto rossi = employeeIn(stopAndReadState(), 1234);
    EXPECT_TRUE(contains(rossi, "\"company\": 5")) << rossi;
    EXPECT_TRUE(contains(rossi, "\"SECONDO\""));
}
